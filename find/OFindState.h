#pragma once

#include "find/OFindOptions.h"
#include "find/OMatcher.h"
#include "find/OPattern.h"
#include "platform/OTypes.h"

#include <optional>
#include <string>

// What one document's search keeps between commands: the last pattern and
// replacement as bytes, the matcher prepared for the pattern, the options,
// the area the last command searched and its last match. Offsets are file
// offsets, -1 for none. Reads no file: each command is an OSearchRun, which
// leaves its results here.
class OFindState {
public: // the commands' steps that need no file
    // The Find/Replace command: the options as the dialog leaves them
    // (selection only needs a selection, count only excludes replace, a
    // replace runs down), the texts as bytes (UTF-8 as typed, or code page
    // 437 when oem) and the matcher prepared. False when the pattern is
    // unusable (empty, or wildcards only): then nothing is found and F3 and
    // F2 stay off.
    bool Prepare(const std::string& findText, const std::string& replaceText,
                 const OFindOptions& options, bool selection, bool oem);
    // The area from the options, the caret and the selection (inclusive, -1
    // when empty) over a file of size bytes; where the search starts.
    OOffset ChooseArea(OOffset caret, OOffset selectionBegin, OOffset selectionEnd, OOffset size);
    // F3 (down) and F2: a byte past the last match in the direction, or
    // after a miss the match the last find left. Outside a selection a turn
    // of direction widens the area to the whole file. None when there is
    // neither.
    std::optional<OOffset> Resume(bool down);

public: // queries
    bool Prepared() const { return m_prepared; }
    bool CanFindNext() const { return m_canFindNext; }
    bool CanFindPrev() const { return m_canFindPrev; }
    // Toggling the view's OEM characters makes the prepared pattern wrong.
    void ClearCanFind() { m_canFindNext = m_canFindPrev = false; }
    // The length the last-found range takes.
    int MatchLength() const { return m_matchLength; }
    OOffset LastFound() const { return m_lastFound; }
    const OFindOptions& Options() const { return m_options; }
    // The options a cancelled dialog leaves for the next one.
    void KeepOptions(const OFindOptions& options) { m_options = options; }

private:
    friend class OSearchRun; // every command leaves its results here

    OMatcher m_matcher;
    OFindOptions m_options;
    OPattern m_pattern;
    OPattern m_replacement;
    bool m_prepared = false; // the matcher holds m_pattern
    bool m_canFindNext = false;
    bool m_canFindPrev = false;
    bool m_lastDown = true;
    int m_matchLength = 0;
    OOffset m_lastFound = -1;
    OOffset m_origin = -1; // the match the last find left
    // [begin, end); toEnd: the end follows the file's size as it changes.
    OOffset m_areaBegin = 0;
    OOffset m_areaEnd = 0;
    bool m_areaToEnd = false;
};
