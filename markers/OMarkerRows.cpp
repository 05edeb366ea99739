#include "markers/OMarkerRows.h"

#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"

OMarkerRows::OMarkerRows(const OMarkerList& markers, const ORange* selection,
                         const ORange* lastFound, const ORange* underCaret)
    : m_markers(markers) {
    for (const ORange* extra : {selection, lastFound})
        if (extra && !extra->IsEmpty()) m_extras[m_extraCount++] = extra;
    if (!underCaret || underCaret->IsEmpty()) return;
    // The list holds a position at most once, and its rows come last: a
    // marker there wins over the selection or the last match.
    if (const std::ptrdiff_t index = markers.IndexOf(*underCaret); index >= 0) {
        m_rowToSelect = m_extraCount + static_cast<std::size_t>(index);
        return;
    }
    for (std::size_t row = m_extraCount; row-- > 0;) {
        if (m_extras[row]->SamePosition(*underCaret)) {
            m_rowToSelect = row;
            return;
        }
    }
}

const ORange& OMarkerRows::At(std::size_t row) const {
    return row < m_extraCount ? *m_extras[row] : m_markers.At(row - m_extraCount);
}

std::string OMarkerRows::Text(std::size_t row, Column column) const {
    const ORange& range = At(row);
    switch (column) {
    case kNumber:
        return Format("  %zu ", row);
    case kBegin:
        return MessageHex(range.Begin());
    case kEnd:
        return MessageHex(range.End());
    case kLength:
        return range.Length() == 1 ? std::string("1") : MessageHex(range.Length());
    case kTitle:
        return range.Title();
    default:
        return {};
    }
}
