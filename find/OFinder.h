#pragma once

#include "document/ODocSearch.h"
#include "find/OFindHost.h"
#include "find/OFindOptions.h"
#include "find/OFindState.h"
#include "find/OSearchBuffer.h"
#include "platform/OTypes.h"

#include <string>

class OFile;

// One document's search, as the document holds it: the state kept between
// commands and the buffer the file is scanned through. Each command runs
// as an OSearchRun over the two; results are file offsets, -1 for none.
class OFinder final : public ODocSearch {
public: // commands
    // The Find/Replace command once the dialog said OK: findText and
    // replaceText as typed (UTF-8), the area from the caret and the
    // selection ([selectionBegin, selectionEnd], -1 when empty).
    OOffset Run(OFile& file, const std::string& findText, const std::string& replaceText,
                const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                OOffset selectionEnd, bool oem, OFindHost& host);
    // F3 and F2: the last pattern again, from the last match.
    OOffset FindNext(OFile& file, OFindHost& host);
    OOffset FindPrev(OFile& file, OFindHost& host);

    OFindState& State() { return m_state; }
    const OFindState& State() const { return m_state; }
    OSearchBuffer& Buffer() { return m_buffer; }

public: // the views' reads while a replace run holds bytes not yet in the file
    void CodePageChanged() override { m_state.ClearCanFind(); }
    bool Attached() const override { return m_buffer.Attached(); }
    OOffset ViewLength(OFile& file) const override { return m_buffer.ViewLength(file); }
    std::ptrdiff_t ReadThrough(OFile& file, OOffset offset, OByte* out,
                               std::size_t count) const override {
        return m_buffer.ReadThrough(file, offset, out, count);
    }

private:
    OFindState m_state;
    OSearchBuffer m_buffer;
};
