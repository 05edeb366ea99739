#pragma once

#include "markers/OEdit.h"
#include "markers/ORange.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The first marker of a row query in list order, and how many matched.
struct ORowMatch {
    const ORange* first = nullptr;
    std::size_t count = 0;
};

// A document's markers: owned, non-empty, pairwise different in position and
// kept in ascending order of begin, the newest first among equal begins.
//
// The painting queries (Overlapping, SmallestAt, ColorAt and the row
// queries) cost O(log n + k) for k markers touching the asked offsets, so a
// screen of a file with 100,000 markers costs about what it costs with none.
// They use an index that every change of the list discards and the next
// query rebuilds in O(n).
class OMarkerList {
public:
    OMarkerList();
    OMarkerList(const OMarkerList&) = delete;
    OMarkerList& operator=(const OMarkerList&) = delete;
    OMarkerList(OMarkerList&&) noexcept;
    OMarkerList& operator=(OMarkerList&&) noexcept;
    ~OMarkerList();

    std::size_t Count() const { return m_markers.size(); }
    bool Empty() const { return m_markers.empty(); }
    // In list order. Through the mutable reference only the title and the
    // colours may change; positions change through Remove and Insert.
    const ORange& At(std::size_t index) const { return *m_markers[index]; }
    ORange& At(std::size_t index) { return *m_markers[index]; }

    // Stores a copy (position, title and colours) before the first marker
    // whose begin is not less. False for an empty range or one whose
    // position is listed already.
    bool Insert(const ORange& range);
    // Index of the marker with the same position, or -1.
    std::ptrdiff_t IndexOf(const ORange& range) const;
    // Deletes the marker with the same position; false when there is none.
    // range may be that marker itself.
    bool Remove(const ORange& range);
    void RemoveAll();

    // Iteration in list order over the markers containing filter (every
    // marker for -1). First returns the first match and leaves it for the
    // following Next as well; Next returns null once no marker is left.
    // Iterations do not nest; a change of the list ends them safely.
    ORange* First(OOffset filter);
    ORange* Next();

    // The shortest marker containing offset, the first in list order among
    // equal lengths; null when there is none. Ascending offsets, as painting
    // asks them, mostly cost a comparison.
    const ORange* SmallestAt(OOffset offset) const;
    // SmallestAt(offset)->Contains(...), or 0 when no marker contains offset.
    int ColorAt(OOffset offset, std::uint32_t* background = nullptr,
                std::uint32_t* foreground = nullptr) const;
    // Replaces out with the markers meeting [from, to] (begin <= to and
    // end >= from) in list order. Does not allocate once out has room.
    void Overlapping(OOffset from, OOffset to, std::vector<const ORange*>& out) const;
    // Row queries over [from, to]: markers of two or more bytes whose begin
    // lies in it, those whose end lies in it, and one-byte markers in it.
    ORowMatch BeginsIn(OOffset from, OOffset to) const;
    ORowMatch EndsIn(OOffset from, OOffset to) const;
    ORowMatch SinglesIn(OOffset from, OOffset to) const;
    // The Labels of the markers that Overlap (from, to), in list order.
    std::string LabelsOverlapping(OOffset from, OOffset to) const;

    // The nearest begin after from among the markers, the selection and the
    // last-found range (those two when not empty); -1 when there is none.
    // With wrap, and from neither 0 nor -1, a miss yields the first begin
    // that is not negative. The list is not changed.
    OOffset NextBegin(OOffset from, const ORange& selection, const ORange& lastFound,
                      bool wrap) const;
    // The nearest begin before from, likewise; with wrap, and from neither
    // fileLength - 1 nor fileLength, a miss yields the last begin before
    // fileLength.
    OOffset PrevBegin(OOffset from, OOffset fileLength, const ORange& selection,
                      const ORange& lastFound, bool wrap) const;

    // After an edit: markers grow, move, shrink or go; a marker that begins
    // at an insertion point grows, and one over a pasted range takes its new
    // length. The selection is reset; the last-found range moves like a
    // marker (and is reset when its bytes went). Markers that end up at the
    // same position are merged into the first of them.
    void Adapt(const OEdit& edit, OSelection& selection, ORange& lastFound);
    // After the file shrank to size bytes: the selection and the last-found
    // range are clipped; markers are clipped or deleted (and merged as in
    // Adapt).
    void ClipAll(OOffset size, OSelection& selection, ORange& lastFound);

    // Element 0 is the selection's ToText (possibly empty), then one ToText
    // per marker in list order.
    void SaveTexts(std::vector<std::string>& list, const OSelection& selection) const;
    // The inverse for a file of fileLength bytes: the selection and the
    // last-found range are reset and every marker deleted, then element 0
    // gives the selection and the others markers, each clipped to the file.
    void LoadTexts(const std::vector<std::string>& list, OOffset fileLength, OSelection& selection,
                   ORange& lastFound);

private:
    struct Index;

    const Index& GetIndex() const;
    // Discards the index and ends a running iteration.
    void Changed();
    // Drops empty and repeated markers and restores the order of begins.
    void Normalize();

    std::vector<std::unique_ptr<ORange>> m_markers;
    std::ptrdiff_t m_cursor = -2; // -2: idle
    OOffset m_filter = -1;
    mutable std::unique_ptr<Index> m_index;
    mutable bool m_indexValid = false;
    // The last SmallestAt answer and the offsets it holds for, so that a
    // row painted byte by byte mostly skips the search.
    mutable OOffset m_smallestFrom = 1;
    mutable OOffset m_smallestTo = 0;
    mutable const ORange* m_smallest = nullptr;
};

// What copy, cut and delete act on: the range at the caret when there is
// one, else the selection when not empty, else null.
const ORange* CurrentRange(const ORange* rangeAtCaret, const OSelection& selection);
