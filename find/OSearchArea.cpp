#include "find/OSearchArea.h"

#include <algorithm>

OSearchArea ChooseSearchArea(const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                             OOffset selectionEnd, OOffset size, OOffset length) {
    OSearchArea area;
    const bool down = options.down;
    if (options.selectionOnly) {
        area.begin = selectionBegin;
        area.end = selectionEnd < kOffsetMax ? selectionEnd + 1 : kOffsetMax;
        if (!options.fromBeginEnd && selectionBegin <= caret && caret < selectionEnd)
            area.start = caret;
        else
            area.start = down ? area.begin : area.end;
        return area;
    }
    area.start = options.fromBeginEnd ? (down ? 0 : size) : caret;
    if (down) {
        area.begin = area.start;
        area.end = size;
        area.toEnd = true;
    } else {
        area.begin = 0;
        area.end = area.start > size - length ? size : area.start + length;
        area.start = area.end - length;
    }
    return area;
}
