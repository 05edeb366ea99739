#pragma once

#include "platform/OCommandTarget.h"
#include "platform/OTypes.h"
#include "res/OCommandTable.h"

class OMarkerList;
class ORange;

// What the update rules read, gathered by the command's window: the
// document's part, the view's part and the program's.
struct OCommandState {
    // The document.
    OOffset fileSize = 0; // as the views show it; 0 when it cannot be read
    bool writable = false;
    bool modified = false;
    bool clipValid = false;
    bool canFindNext = false;
    bool canFindPrev = false;
    bool canUndo = false;
    bool canRedo = false;
    const ORange* selection = nullptr;
    const ORange* lastFound = nullptr;
    const OMarkerList* markers = nullptr;
    // The view.
    OOffset caret = 0;
    bool offsetPane = true;
    bool hexPane = true;
    bool textPane = true;
    bool fitRecord = false;
    bool hexBase = false;
    bool oemCharacters = false;
    bool syncScroll = false;
    int offsetMode = 1; // 1 record offset, 2 track offset, 3 record number
    // The program.
    bool markerJumpWrap = true;
    bool tooltipUnderOffset = false;
};

// One named condition; false for a state without the document's ranges.
bool Holds(OCondition condition, const OCommandState& state);
// The menu item and button of command: enabled when every condition of its
// rule holds, checked by its check rule.
OCmdUI Evaluate(const OCommandInfo& command, const OCommandState& state);
