#include "document/OMarkerRules.h"

#include "document/ODoc.h"

#include <algorithm>
#include <numeric>

bool HasMarkers(const ODoc& doc) {
    return !doc.Markers().Empty();
}

bool AnyRange(const ODoc& doc) {
    return !doc.Selection().IsEmpty() || HasMarkers(doc) || !doc.LastFound().IsEmpty();
}

bool AddMarkerOK(const ODoc& doc, OOffset caret, OOffset length) {
    return caret >= 0 && caret < length &&
           (!doc.Selection().IsEmpty() || doc.LastFound().Contains(caret) != 0);
}

bool AddOffsetMarkerOK(const ODoc& doc, OOffset caret, OOffset length) {
    if (caret < 0 || caret >= length) return false;
    ORange point;
    point.Set(caret, caret);
    return doc.Markers().IndexOf(point) < 0;
}

bool MarkerAfter(const ODoc& doc, OOffset caret, OOffset length, bool wrap) {
    return NextMarkerTarget(doc, caret, length, wrap) >= 0;
}

bool MarkerBefore(const ODoc& doc, OOffset caret, OOffset length, bool wrap) {
    return PrevMarkerTarget(doc, caret, length, wrap) >= 0;
}

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
