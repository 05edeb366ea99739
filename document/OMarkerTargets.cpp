#include "document/OMarkerTargets.h"

#include "document/ODoc.h"

#include <algorithm>
#include <numeric>

OOffset NextMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap) {
    const OOffset begin = doc.Markers().NextBegin(caret, doc.Selection(), doc.LastFound(), wrap);
    return begin < 0 ? -1 : ClampToFile(begin, length);
}

OOffset PrevMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap) {
    const OOffset begin =
        doc.Markers().PrevBegin(caret, length, doc.Selection(), doc.LastFound(), wrap);
    return begin < 0 ? -1 : ClampToFile(begin, length);
}

OOffset MarkerMiddle(OOffset begin, OOffset end) {
    // midpoint rounds toward its first argument, here down; an odd negative
    // sum rounds toward zero instead, one up.
    const OOffset low = std::min(begin, end);
    const OOffset high = std::max(begin, end);
    OOffset middle = std::midpoint(low, high);
    if (middle < 0 && ((low ^ high) & 1) != 0) ++middle;
    return middle;
}

OOffset ClampToFile(OOffset offset, OOffset length) {
    return std::clamp<OOffset>(offset, 0, std::max<OOffset>(length - 1, 0));
}
