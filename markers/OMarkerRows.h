#pragma once

#include "markers/OMarkerList.h"
#include "markers/ORange.h"

#include <array>
#include <cstddef>
#include <string>

// The rows a marker choice offers: the selection and then the last-found
// range first when they are offered and not empty, then every marker in
// list order. Rows point into the ranges and the list, so they are valid
// while those stay unchanged (the dialog showing them is modal). Count, At
// and Text cost O(1): a list of 100,000 markers is shown a screen at a time.
class OMarkerRows {
public:
    enum Column { kNumber, kBegin, kEnd, kLength, kTitle, kColumnCount };

    // selection and lastFound are null when not offered. underCaret is the
    // range under the active view's caret (null for none): the row to
    // select is the last one with its position, else row 0.
    OMarkerRows(const OMarkerList& markers, const ORange* selection, const ORange* lastFound,
                const ORange* underCaret);

    std::size_t Count() const { return m_extraCount + m_markers.Count(); }
    // row < Count().
    const ORange& At(std::size_t row) const;
    std::size_t RowToSelect() const { return m_rowToSelect; }
    // The cell texts: "  row " numbered from 0, begin and end in MessageHex
    // form, the length likewise ("1" for one byte), the title as it is.
    std::string Text(std::size_t row, Column column) const;

private:
    const OMarkerList& m_markers;
    std::array<const ORange*, 2> m_extras{};
    std::size_t m_extraCount = 0;
    std::size_t m_rowToSelect = 0;
};
