#include "view/OViewCommands.h"

#include "markers/ORange.h"
#include "view/OViewSettings.h"

#include <algorithm>

void SelectionBeginAt(OSelection& selection, OOffset caret) {
    selection.Set(caret, selection.End());
}

void SelectionEndAt(OSelection& selection, OOffset caret) {
    selection.Set(selection.Begin(), caret);
}

void TogglePane(OViewSettings& s, OCommandId command) {
    switch (command) {
    case ids::ID_PANE_OFFSET:
        s.paneOffset = !s.paneOffset;
        break;
    case ids::ID_PANE_HEX:
        s.paneHex = !s.paneHex;
        if (!s.paneHex && !s.paneText) s.paneText = true;
        break;
    case ids::ID_PANE_TEXT:
        s.paneText = !s.paneText;
        if (!s.paneHex && !s.paneText) s.paneHex = true;
        break;
    default:
        break;
    }
}

int SteppedRecordWidth(const OViewSettings& s, int width, int step) {
    if (s.fitRecord) return width;
    return std::clamp(width + step, std::min(2, width), std::max(s.maxRecordWidth, width));
}

int ChosenFontSize(int points) {
    if (points <= 4) return 0;
    return std::min(points, 20);
}
