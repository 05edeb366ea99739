#include "markers/OMarkerList.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <optional>
#include <utility>

namespace {

constexpr OOffset kOffsetMin = INT64_MIN;

OOffset AddSaturated(OOffset x, OOffset delta) {
    if (delta > 0 && x > kOffsetMax - delta) return kOffsetMax;
    if (delta < 0 && x < kOffsetMin - delta) return kOffsetMin;
    return x + delta;
}

using Markers = std::vector<std::unique_ptr<ORange>>;

Markers::const_iterator FirstBeginAtLeast(const Markers& markers, OOffset offset) {
    return std::lower_bound(markers.begin(), markers.end(), offset,
                            [](const auto& m, OOffset o) { return m->Begin() < o; });
}

Markers::const_iterator FirstBeginAfter(const Markers& markers, OOffset offset) {
    return std::upper_bound(markers.begin(), markers.end(), offset,
                            [](OOffset o, const auto& m) { return o < m->Begin(); });
}

// One marker after a..b was replaced by delta more bytes; false when the
// marker is to go.
bool AdjustOne(ORange& m, OOffset a, OOffset b, OOffset delta, bool insertion) {
    const OOffset begin = m.Begin();
    const OOffset end = m.End();
    if (!insertion && begin <= a && end >= b) {
        // Length > 0 and delta < 0, so the sum cannot overflow.
        if (delta < 0 && m.Length() + delta <= 0) return false;
        m.Set(begin, AddSaturated(end, delta));
        return true;
    }
    if (end < a) return true;
    if (delta >= 0) {
        // Growing comes first: a marker that begins at an insertion point
        // takes the new bytes.
        if (begin <= a && end >= b)
            m.Set(begin, AddSaturated(end, delta));
        else if (begin > b)
            m.Shift(delta);
        else if (begin > a && end > b)
            // Pasted over the marker's head: its tail bytes moved by delta.
            m.Set(begin, AddSaturated(end, delta));
        return true;
    }
    if (begin > b) {
        m.Shift(delta);
        return true;
    }
    const bool beginInside = begin >= a; // begin <= b holds here
    const bool endInside = end <= b;     // end >= a holds here
    if (beginInside && endInside) return false;
    // The tail after b moved by delta, which for a deletion is -(b - a + 1).
    if (beginInside) m.Set(a, AddSaturated(end, delta));
    // begin < a <= end here, so a - 1 does not overflow.
    else if (endInside)
        m.Set(begin, a - 1);
    return true;
}

} // namespace

// Over the markers in list order: their begins and ends, a max-end segment
// tree for output-sensitive overlap queries, and counts of one-byte markers.
struct OMarkerList::Index {
    std::vector<OOffset> begins;
    std::vector<OOffset> ends;
    std::vector<OOffset> prefixMaxEnd; // rejects most misses without the tree
    std::vector<OOffset> tree;         // node 1 is the root, leaves from `leaves`
    std::size_t leaves = 0;
    std::vector<std::size_t> singlesBefore; // one-byte markers among the first i
    std::vector<std::size_t> nextLong;      // first index >= i of >= 2 bytes, or n
    std::vector<std::size_t> nextSingle;    // first index >= i of 1 byte, or n

    void Build(const Markers& markers) {
        const std::size_t n = markers.size();
        begins.resize(n);
        ends.resize(n);
        prefixMaxEnd.resize(n);
        OOffset maxEnd = kOffsetMin;
        for (std::size_t i = 0; i < n; ++i) {
            begins[i] = markers[i]->Begin();
            ends[i] = markers[i]->End();
            maxEnd = std::max(maxEnd, ends[i]);
            prefixMaxEnd[i] = maxEnd;
        }
        leaves = std::bit_ceil(std::max<std::size_t>(n, 1));
        tree.assign(2 * leaves, kOffsetMin);
        std::copy(ends.begin(), ends.end(), tree.begin() + static_cast<std::ptrdiff_t>(leaves));
        for (std::size_t v = leaves - 1; v >= 1; --v)
            tree[v] = std::max(tree[2 * v], tree[2 * v + 1]);

        singlesBefore.resize(n + 1);
        singlesBefore[0] = 0;
        for (std::size_t i = 0; i < n; ++i)
            singlesBefore[i + 1] = singlesBefore[i] + (markers[i]->Length() == 1 ? 1 : 0);
        nextLong.resize(n + 1);
        nextSingle.resize(n + 1);
        nextLong[n] = nextSingle[n] = n;
        for (std::size_t i = n; i-- > 0;) {
            const bool single = markers[i]->Length() == 1;
            nextLong[i] = single ? nextLong[i + 1] : i;
            nextSingle[i] = single ? i : nextSingle[i + 1];
        }
    }

    std::size_t LowerBound(OOffset offset) const {
        return static_cast<std::size_t>(std::lower_bound(begins.begin(), begins.end(), offset) -
                                        begins.begin());
    }
    std::size_t UpperBound(OOffset offset) const {
        return static_cast<std::size_t>(std::upper_bound(begins.begin(), begins.end(), offset) -
                                        begins.begin());
    }

    // Calls f(i) in ascending order for every i < count with ends[i] >= from.
    template <class F> void ForEachEndingFrom(std::size_t count, OOffset from, F&& f) const {
        if (count == 0 || prefixMaxEnd[count - 1] < from) return;
        Visit(1, 0, leaves, count, from, f);
    }

private:
    template <class F>
    void Visit(std::size_t node, std::size_t lo, std::size_t width, std::size_t count, OOffset from,
               F& f) const {
        if (lo >= count || tree[node] < from) return;
        if (width == 1) {
            f(lo);
            return;
        }
        const std::size_t half = width / 2;
        Visit(2 * node, lo, half, count, from, f);
        Visit(2 * node + 1, lo + half, half, count, from, f);
    }
};

OMarkerList::OMarkerList() = default;
OMarkerList::~OMarkerList() = default;
OMarkerList::OMarkerList(OMarkerList&&) noexcept = default;
OMarkerList& OMarkerList::operator=(OMarkerList&&) noexcept = default;

const OMarkerList::Index& OMarkerList::GetIndex() const {
    if (!m_index) m_index = std::make_unique<Index>();
    if (!m_indexValid) {
        m_index->Build(m_markers);
        m_indexValid = true;
    }
    return *m_index;
}

void OMarkerList::Changed() {
    m_indexValid = false;
    m_smallestFrom = 1;
    m_smallestTo = 0;
    m_cursor = -2;
}

bool OMarkerList::Insert(const ORange& range) {
    if (range.IsEmpty()) return false;
    const auto at = FirstBeginAtLeast(m_markers, range.Begin());
    for (auto it = at; it != m_markers.end() && (*it)->Begin() == range.Begin(); ++it)
        if ((*it)->SamePosition(range)) return false;
    // Copies only the ORange part of a selection.
    m_markers.insert(at, std::make_unique<ORange>(range));
    Changed();
    return true;
}

std::ptrdiff_t OMarkerList::IndexOf(const ORange& range) const {
    for (auto it = FirstBeginAtLeast(m_markers, range.Begin());
         it != m_markers.end() && (*it)->Begin() == range.Begin(); ++it)
        if ((*it)->SamePosition(range)) return it - m_markers.begin();
    return -1;
}

bool OMarkerList::Remove(const ORange& range) {
    const std::ptrdiff_t index = IndexOf(range);
    if (index < 0) return false;
    m_markers.erase(m_markers.begin() + index);
    Changed();
    return true;
}

void OMarkerList::RemoveAll() {
    m_markers.clear();
    Changed();
}

ORange* OMarkerList::First(OOffset filter) {
    m_filter = filter;
    m_cursor = 0;
    ORange* found = Next();
    if (found) --m_cursor;
    return found;
}

ORange* OMarkerList::Next() {
    if (m_cursor < 0) return nullptr;
    for (auto i = static_cast<std::size_t>(m_cursor); i < m_markers.size(); ++i) {
        ORange& m = *m_markers[i];
        if (m_filter == -1 || m.Contains(m_filter)) {
            m_cursor = static_cast<std::ptrdiff_t>(i) + 1;
            return &m;
        }
    }
    m_cursor = -2;
    return nullptr;
}

const ORange* OMarkerList::SmallestAt(OOffset offset) const {
    if (m_markers.empty()) return nullptr;
    if (offset >= m_smallestFrom && offset <= m_smallestTo) return m_smallest;
    const Index& index = GetIndex();
    const std::size_t count = index.UpperBound(offset);
    // The answer holds up to the next begin or the first end among the
    // markers containing offset, whichever comes first.
    OOffset validTo = count < index.begins.size() ? index.begins[count] - 1 : kOffsetMax;
    const ORange* best = nullptr;
    // Ascending index order, so a strict comparison keeps the first of equals.
    index.ForEachEndingFrom(count, offset, [&](std::size_t i) {
        const ORange* m = m_markers[i].get();
        if (!best || m->Length() < best->Length()) best = m;
        validTo = std::min(validTo, m->End());
    });
    m_smallestFrom = offset;
    m_smallestTo = validTo;
    m_smallest = best;
    return best;
}

int OMarkerList::ColorAt(OOffset offset, std::uint32_t* background,
                         std::uint32_t* foreground) const {
    const ORange* m = SmallestAt(offset);
    return m ? m->Contains(offset, background, foreground) : 0;
}

void OMarkerList::Overlapping(OOffset from, OOffset to, std::vector<const ORange*>& out) const {
    out.clear();
    if (m_markers.empty()) return;
    const Index& index = GetIndex();
    index.ForEachEndingFrom(index.UpperBound(to), from,
                            [&](std::size_t i) { out.push_back(m_markers[i].get()); });
}

ORowMatch OMarkerList::BeginsIn(OOffset from, OOffset to) const {
    if (m_markers.empty() || from > to) return {};
    const Index& index = GetIndex();
    const std::size_t lo = index.LowerBound(from);
    const std::size_t hi = index.UpperBound(to);
    if (lo >= hi) return {};
    ORowMatch match;
    match.count = (hi - lo) - (index.singlesBefore[hi] - index.singlesBefore[lo]);
    if (index.nextLong[lo] < hi) match.first = m_markers[index.nextLong[lo]].get();
    return match;
}

ORowMatch OMarkerList::SinglesIn(OOffset from, OOffset to) const {
    if (m_markers.empty() || from > to) return {};
    const Index& index = GetIndex();
    const std::size_t lo = index.LowerBound(from);
    const std::size_t hi = index.UpperBound(to);
    if (lo >= hi) return {};
    ORowMatch match;
    match.count = index.singlesBefore[hi] - index.singlesBefore[lo];
    if (index.nextSingle[lo] < hi) match.first = m_markers[index.nextSingle[lo]].get();
    return match;
}

ORowMatch OMarkerList::EndsIn(OOffset from, OOffset to) const {
    if (m_markers.empty() || from > to) return {};
    const Index& index = GetIndex();
    ORowMatch match;
    // An end in the span means a begin at or before its last byte.
    index.ForEachEndingFrom(index.UpperBound(to), from, [&](std::size_t i) {
        const ORange* m = m_markers[i].get();
        if (m->End() > to || m->Length() < 2) return;
        if (!match.first) match.first = m;
        ++match.count;
    });
    return match;
}

std::string OMarkerList::LabelsOverlapping(OOffset from, OOffset to) const {
    // Overlaps(from, to) is a meeting with [from, to - 1], or with from alone
    // when to <= from.
    std::vector<const ORange*> found;
    Overlapping(from, from < to ? to - 1 : from, found);
    std::string text;
    for (const ORange* m : found)
        if (m->Overlaps(from, to)) text += m->Label();
    return text;
}

OOffset OMarkerList::NextBegin(OOffset from, const ORange& selection, const ORange& lastFound,
                               bool wrap) const {
    // The selection and the last match count as markers here without being
    // put into the list.
    auto after = [&](OOffset limit) -> std::optional<OOffset> {
        std::optional<OOffset> best;
        const auto it = FirstBeginAfter(m_markers, limit);
        if (it != m_markers.end()) best = (*it)->Begin();
        for (const ORange* extra : {&selection, &lastFound})
            if (!extra->IsEmpty() && extra->Begin() > limit && (!best || extra->Begin() < *best))
                best = extra->Begin();
        return best;
    };
    std::optional<OOffset> found = after(from);
    if (!found && from != 0 && wrap && from != -1) found = after(-1);
    return found.value_or(-1);
}

OOffset OMarkerList::PrevBegin(OOffset from, OOffset fileLength, const ORange& selection,
                               const ORange& lastFound, bool wrap) const {
    auto before = [&](OOffset limit) -> std::optional<OOffset> {
        std::optional<OOffset> best;
        const auto it = FirstBeginAtLeast(m_markers, limit);
        if (it != m_markers.begin()) best = (*std::prev(it))->Begin();
        for (const ORange* extra : {&selection, &lastFound})
            if (!extra->IsEmpty() && extra->Begin() < limit && (!best || extra->Begin() > *best))
                best = extra->Begin();
        return best;
    };
    std::optional<OOffset> found = before(from);
    const bool onLastByte = fileLength != kOffsetMin && from == fileLength - 1;
    if (!found && !onLastByte && wrap && from != fileLength) found = before(fileLength);
    return found.value_or(-1);
}

// The bytes a..b were replaced by delta more bytes (delta < 0: fewer); an
// insertion passes b = a - 1.
void OMarkerList::Adapt(const OEdit& edit, OSelection& selection, ORange& lastFound) {
    const OOffset a = edit.offset;
    const OOffset b = edit.removed > 0 ? AddSaturated(a, edit.removed - 1) : a - 1;
    const OOffset delta = edit.Delta();
    const bool insertion = edit.removed == 0;
    selection.Reset();
    if (!lastFound.IsEmpty() && !AdjustOne(lastFound, a, b, delta, insertion)) lastFound.Reset();
    for (auto& m : m_markers)
        if (!AdjustOne(*m, a, b, delta, insertion)) m.reset();
    std::erase(m_markers, nullptr);
    Normalize();
    Changed();
}

void OMarkerList::ClipAll(OOffset size, OSelection& selection, ORange& lastFound) {
    selection.ClipTo(size);
    lastFound.ClipTo(size);
    for (auto& m : m_markers)
        if (!m->ClipTo(size)) m.reset();
    std::erase(m_markers, nullptr);
    Normalize();
    Changed();
}

void OMarkerList::Normalize() {
    std::erase_if(m_markers, [](const std::unique_ptr<ORange>& m) { return m->IsEmpty(); });
    auto byBegin = [](const auto& x, const auto& y) { return x->Begin() < y->Begin(); };
    // Sound edits keep the order; only saturation at the 64-bit limits or
    // inconsistent arguments can upset it.
    if (!std::is_sorted(m_markers.begin(), m_markers.end(), byBegin))
        std::stable_sort(m_markers.begin(), m_markers.end(), byBegin);

    // Equal positions share a begin, so only runs of equal begins are looked at.
    bool dropped = false;
    std::vector<std::pair<OOffset, std::size_t>> run;
    for (std::size_t i = 0; i < m_markers.size();) {
        std::size_t j = i + 1;
        while (j < m_markers.size() && m_markers[j]->Begin() == m_markers[i]->Begin())
            ++j;
        if (j - i > 1) {
            run.clear();
            for (std::size_t k = i; k < j; ++k)
                run.emplace_back(m_markers[k]->End(), k);
            std::sort(run.begin(), run.end());
            for (std::size_t k = 1; k < run.size(); ++k) {
                if (run[k].first == run[k - 1].first) {
                    m_markers[run[k].second].reset();
                    dropped = true;
                }
            }
        }
        i = j;
    }
    if (dropped) std::erase(m_markers, nullptr);
}

void OMarkerList::SaveTexts(std::vector<std::string>& list, const OSelection& selection) const {
    list.clear();
    list.reserve(m_markers.size() + 1);
    list.push_back(selection.ToText());
    for (const auto& m : m_markers)
        list.push_back(m->ToText());
}

void OMarkerList::LoadTexts(const std::vector<std::string>& list, OOffset fileLength,
                            OSelection& selection, ORange& lastFound) {
    selection.Reset();
    lastFound.Reset();
    RemoveAll();
    ORange range;
    for (std::size_t i = 0; i < list.size(); ++i) {
        range.FromText(list[i]);
        if (!range.ClipTo(fileLength)) continue;
        if (i == 0)
            selection.CopyPosition(range);
        else
            Insert(range);
    }
}

const ORange* CurrentRange(const ORange* rangeAtCaret, const OSelection& selection) {
    if (rangeAtCaret && !rangeAtCaret->IsEmpty()) return rangeAtCaret;
    if (!selection.IsEmpty()) return &selection;
    return nullptr;
}
