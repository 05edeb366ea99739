#pragma once

#include "find/OFindOptions.h"
#include "platform/OTypes.h"

// Where a search runs and where it starts, from the dialog's options. Pure.
//
// The area is [begin, end): the selection when searching in it, otherwise
// from the start down to the end of the file (toEnd: the end follows the
// file's size as it changes), or up from the file's start to the caret's
// match (a match may begin at the start but not end past the area). Up,
// the start is the last candidate position; down, the first.
struct OSearchArea {
    OOffset begin = 0;
    OOffset end = 0;
    bool toEnd = false;
    OOffset start = 0;

    bool operator==(const OSearchArea&) const = default;
};

// selectionBegin..selectionEnd is the selection (inclusive), -1 when there
// is none; size is the file's length; length the pattern's.
OSearchArea ChooseSearchArea(const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                             OOffset selectionEnd, OOffset size, OOffset length);
