#include "find/OFinder.h"

#include "find/OSearchRun.h"

OOffset OFinder::Run(OFile& file, const std::string& findText, const std::string& replaceText,
                     const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                     OOffset selectionEnd, bool oem, OFindHost& host) {
    return OSearchRun(m_state, m_buffer, file, host)
        .Run(findText, replaceText, options, caret, selectionBegin, selectionEnd, oem);
}

OOffset OFinder::FindNext(OFile& file, OFindHost& host) {
    return OSearchRun(m_state, m_buffer, file, host).FindAgain(true);
}

OOffset OFinder::FindPrev(OFile& file, OFindHost& host) {
    return OSearchRun(m_state, m_buffer, file, host).FindAgain(false);
}
