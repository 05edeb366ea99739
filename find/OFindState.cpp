#include "find/OFindState.h"

#include "find/OSearchArea.h"

// The matcher is prepared before anything is asked or allocated, so an
// unusable pattern costs nothing.
bool OFindState::Prepare(const std::string& findText, const std::string& replaceText,
                         const OFindOptions& options, bool selection, bool oem) {
    m_options = options;
    if (!selection) m_options.selectionOnly = false;
    if (m_options.countOnly) m_options.replace = false;
    if (m_options.replace) m_options.down = true;
    ClearCanFind();

    m_pattern = ParsePattern(PatternTextBytes(findText, oem));
    m_replacement =
        m_options.replace ? ParsePattern(PatternTextBytes(replaceText, oem)) : OPattern{};
    const auto wildcard = static_cast<OByte>(
        ChooseWildcardByte(m_pattern, m_options.replace ? &m_replacement : nullptr));
    for (OPattern* p : {&m_pattern, &m_replacement})
        for (int k = 0; k < p->length; ++k)
            if (p->wildcard[static_cast<std::size_t>(k)])
                p->bytes[static_cast<std::size_t>(k)] = wildcard;
    m_prepared = m_matcher.Prepare(m_pattern, m_options.matchCase, oem);
    if (!m_prepared) m_lastFound = -1;
    return m_prepared;
}

OOffset OFindState::ChooseArea(OOffset caret, OOffset selectionBegin, OOffset selectionEnd,
                               OOffset size) {
    const OSearchArea area =
        ChooseSearchArea(m_options, caret, selectionBegin, selectionEnd, size, m_matcher.Length());
    m_areaBegin = area.begin;
    m_areaEnd = area.end;
    m_areaToEnd = area.toEnd;
    return area.start;
}

std::optional<OOffset> OFindState::Resume(bool down) {
    if (!m_options.selectionOnly && m_lastDown != down) {
        m_areaBegin = 0;
        m_areaToEnd = true;
    }
    m_lastDown = down;
    // Up from the file's first byte gives -1: the run then finds nothing.
    if (m_lastFound >= 0) return m_lastFound + (down ? 1 : -1);
    if (m_origin < 0) return std::nullopt;
    return m_origin;
}
