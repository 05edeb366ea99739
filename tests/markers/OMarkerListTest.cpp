#include "markers/OMarkerList.h"

#include "support/OTestData.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr OOffset kMax = INT64_MAX;
constexpr OOffset kMin = INT64_MIN;

using Positions = std::vector<std::pair<OOffset, OOffset>>;

ORange Span(OOffset begin, OOffset end, std::string title = {}) {
    ORange range(kMarkerBackground, kMarkerForeground, std::move(title));
    range.Set(begin, end);
    return range;
}

OMarkerList ListOf(const Positions& spans) {
    OMarkerList list;
    for (const auto& [begin, end] : spans)
        EXPECT_TRUE(list.Insert(Span(begin, end)));
    return list;
}

Positions PositionsOf(const OMarkerList& list) {
    Positions result;
    for (std::size_t i = 0; i < list.Count(); ++i)
        result.emplace_back(list.At(i).Begin(), list.At(i).End());
    return result;
}

// The bytes a..b replaced by delta more bytes (an insertion: b = a - 1).
// The last-found range follows the same rules as the markers.
Positions Adjusted(const Positions& spans, OOffset a, OOffset b, OOffset delta, bool insertion) {
    OMarkerList list = ListOf(spans);
    OSelection selection;
    selection.Set(1, 2);
    const OOffset removed = insertion ? 0 : b - a + 1;
    ORange lastFound = MakeLastFoundRange();
    if (!spans.empty()) lastFound.Set(spans.front().first, spans.front().second);
    list.Adapt({a, removed, removed + delta}, selection, lastFound);
    EXPECT_TRUE(selection.IsEmpty());
    const Positions result = PositionsOf(list);
    if (spans.size() == 1) {
        EXPECT_EQ(lastFound.IsEmpty(), result.empty());
        if (!result.empty()) {
            EXPECT_EQ(lastFound.Begin(), result.front().first);
        }
    }
    return result;
}

} // namespace

TEST(OMarkerList, InsertKeepsOrderAndRefusesEmptyOrRepeatedPositions) {
    OMarkerList list;
    EXPECT_TRUE(list.Insert(Span(10, 19, "a")));
    EXPECT_TRUE(list.Insert(Span(5, 5, "b")));
    EXPECT_TRUE(list.Insert(Span(10, 12, "c")));
    EXPECT_FALSE(list.Insert(Span(10, 19, "other title")));
    EXPECT_FALSE(list.Insert(ORange()));
    EXPECT_EQ(PositionsOf(list), (Positions{{5, 5}, {10, 12}, {10, 19}}));
    EXPECT_EQ(list.At(1).Title(), "c"); // the newer of two equal begins comes first
    EXPECT_EQ(list.IndexOf(Span(10, 19)), 2);
    EXPECT_EQ(list.IndexOf(Span(10, 18)), -1);
    EXPECT_EQ(list.IndexOf(ORange()), -1);

    OSelection selection;
    selection.Set(30, 31);
    EXPECT_TRUE(list.Insert(selection));
    EXPECT_EQ(list.At(3).Title(), "<Selected>");
    EXPECT_EQ(list.At(3).Background(), kSelectionBackground);

    EXPECT_TRUE(list.Remove(list.At(0))); // a marker may remove itself
    EXPECT_FALSE(list.Remove(Span(5, 5)));
    EXPECT_EQ(PositionsOf(list), (Positions{{10, 12}, {10, 19}, {30, 31}}));
    list.RemoveAll();
    EXPECT_TRUE(list.Empty());
}

// Which markers an iteration visits is checked against a scan below.
TEST(OMarkerList, FirstLeavesItsMatchForNextAndAChangeEndsTheIteration) {
    OMarkerList list = ListOf({{0, 9}, {5, 5}, {8, 20}});
    EXPECT_EQ(list.Next(), nullptr); // idle
    const ORange* first = list.First(8);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(list.Next(), first);
    EXPECT_EQ(list.Next()->Begin(), 8);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    list.First(-1);
    list.Insert(Span(1, 2));
    EXPECT_EQ(list.Next(), nullptr);
}

TEST(OMarkerList, RowQueriesReuseTheCallersRoomAndLabelTheirMarkers) {
    OMarkerList list = ListOf({{0, 9}, {5, 5}, {8, 8}, {12, 30}, {20, 21}, {25, 25}});
    std::vector<const ORange*> out(16);
    const auto* data = out.data();
    list.Overlapping(8, 12, out);
    list.Overlapping(31, 40, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(out.data(), data);
    list.At(0).SetTitle("t");
    EXPECT_EQ(list.LabelsOverlapping(8, 12), "000A[0000-0009]t\n[0008]\n");
    EXPECT_EQ(list.LabelsOverlapping(20, 20), "0013[000C-001E]\n0002[0014-0015]\n");
}

// Checked against a scan below; here the ends of the offsets.
TEST(OMarkerList, NextAndPreviousBeginAtTheLimits) {
    const ORange none;
    OMarkerList list = ListOf({{10, 19}, {30, 39}});
    EXPECT_EQ(list.NextBegin(kMax, none, none, true), 10);
    EXPECT_EQ(list.NextBegin(kMax, none, none, false), -1);
    EXPECT_EQ(list.PrevBegin(kMin, kMin, none, none, true), -1);
    EXPECT_EQ(list.PrevBegin(kMin, kMax, none, none, true), 30);
    // On the first byte nothing wraps to it, nor on the last byte or the end.
    EXPECT_EQ(ListOf({{0, 5}}).NextBegin(0, none, none, true), -1);
    OMarkerList atEnd = ListOf({{99, 99}});
    EXPECT_EQ(atEnd.PrevBegin(99, 100, none, none, true), -1);
    EXPECT_EQ(atEnd.PrevBegin(100, 100, none, none, true), 99);
}

// Insertions (b = a - 1), deletions (delta = -removed) and pastes over a span.
TEST(OMarkerList, AdaptGrowsMovesShrinksOrDropsMarkers) {
    const Positions four{{0, 4}, {10, 19}, {20, 29}, {30, 30}}, one{{10, 19}};
    // Before everything: a marker at the insertion point grows.
    EXPECT_EQ(Adjusted(four, 0, -1, 5, true), (Positions{{0, 9}, {15, 24}, {25, 34}, {35, 35}}));
    // At a marker's first byte it grows; the one ending before stays.
    EXPECT_EQ(Adjusted(four, 20, 19, 5, true), (Positions{{0, 4}, {10, 19}, {20, 34}, {35, 35}}));
    EXPECT_EQ(Adjusted(four, 15, 14, 3, true), (Positions{{0, 4}, {10, 22}, {23, 32}, {33, 33}}));
    EXPECT_EQ(Adjusted(four, 31, 30, 7, true), four);
    EXPECT_EQ(Adjusted(one, 10, 19, -10, false), Positions{});           // exactly its bytes
    EXPECT_EQ(Adjusted(one, 10, 14, -5, false), (Positions{{10, 14}}));  // first half
    EXPECT_EQ(Adjusted(one, 15, 19, -5, false), (Positions{{10, 14}}));  // second half
    EXPECT_EQ(Adjusted(one, 12, 13, -2, false), (Positions{{10, 17}}));  // inside
    EXPECT_EQ(Adjusted(one, 5, 14, -10, false), (Positions{{5, 9}}));    // across the head
    EXPECT_EQ(Adjusted(one, 15, 24, -10, false), (Positions{{10, 14}})); // across the tail
    EXPECT_EQ(Adjusted(one, 5, 24, -20, false), Positions{});            // wholly inside
    EXPECT_EQ(Adjusted(one, 0, 4, -5, false), (Positions{{5, 14}}));     // before
    EXPECT_EQ(Adjusted(one, 5, 9, -5, false), (Positions{{5, 14}}));     // just before
    EXPECT_EQ(Adjusted(one, 20, 29, -10, false), one);                   // after
    EXPECT_EQ(Adjusted(one, 12, 13, 4, false), (Positions{{10, 23}}));   // pasted inside: grows
    EXPECT_EQ(Adjusted(one, 12, 15, -2, false), (Positions{{10, 17}}));  // shrinks
    EXPECT_EQ(Adjusted(one, 15, 24, 10, false), one);                    // over the tail
    EXPECT_EQ(Adjusted(one, 15, 24, -6, false), (Positions{{10, 14}}));
    EXPECT_EQ(Adjusted(one, 0, 4, 3, false), (Positions{{13, 22}})); // before
    // Over the head: the tail after the pasted span keeps its bytes.
    EXPECT_EQ(Adjusted({{20, 39}}, 15, 24, 10, false), (Positions{{20, 49}}));
    EXPECT_EQ(Adjusted({{20, 39}}, 15, 24, -6, false), (Positions{{15, 33}}));
    EXPECT_EQ(Adjusted({{20, 22}}, 15, 24, 10, false), (Positions{{20, 22}}));
}

TEST(OMarkerList, AdjustMergesEqualPositionsAndStaysInRange) {
    OMarkerList list;
    list.Insert(Span(10, 20, "first"));
    list.Insert(Span(10, 25, "second"));
    OSelection selection;
    ORange lastFound = MakeLastFoundRange();
    list.Adapt({15, 16, 0}, selection, lastFound);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).Title(), "second"); // the first in list order stays
    EXPECT_EQ(list.IndexOf(Span(10, 14)), 0);

    // Near 2^63 everything saturates instead of overflowing.
    EXPECT_EQ(Adjusted({{kMax - 10, kMax - 5}}, 0, -1, kMax, true), (Positions{{kMax - 5, kMax}}));
    EXPECT_EQ(Adjusted({{0, 10}}, 5, 4, kMax, true), (Positions{{0, kMax - 1}}));
    EXPECT_EQ(Adjusted({{kMax - 3, kMax - 2}, {kMax - 1, kMax}}, 0, -1, kMax, true),
              (Positions{{kMax - 1, kMax}}));
    EXPECT_EQ(Adjusted({{0, kMax - 1}}, 0, kMax - 1, kMin + 1, false), Positions{});
}

TEST(OMarkerList, ClipAll) {
    OMarkerList list = ListOf({{0, 9}, {5, 30}, {5, 40}, {20, 29}, {25, 40}});
    OSelection selection;
    selection.Set(15, 40);
    ORange lastFound = MakeLastFoundRange();
    lastFound.Set(18, 30);
    list.ClipAll(20, selection, lastFound);
    EXPECT_EQ(PositionsOf(list), (Positions{{0, 9}, {5, 19}}));
    EXPECT_EQ(selection.Begin(), 15);
    EXPECT_EQ(selection.End(), 19);
    EXPECT_EQ(lastFound.End(), 19);
    list.ClipAll(10, selection, lastFound);
    EXPECT_EQ(PositionsOf(list), (Positions{{0, 9}, {5, 9}}));
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_TRUE(lastFound.IsEmpty());
    list.ClipAll(0, selection, lastFound);
    EXPECT_TRUE(list.Empty());
}

TEST(OMarkerList, SaveAndLoadTexts) {
    OMarkerList list;
    list.Insert(Span(0x10, 0x1F, "abc"));
    ORange red(0x0000FF, 0xFFFFFF, "a, b");
    red.Set(0x100, 0x100);
    list.Insert(red);
    OSelection selection;
    selection.Set(3, 7);
    std::vector<std::string> texts{"stale"};
    list.SaveTexts(texts, selection);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"0x3,0x7,0x000000,0xFFFFFF,<Selected>", "0x10,0x1F,,,abc",
                                        "0x100,0x100,0x0000FF,0xFFFFFF,a, b"}));

    OMarkerList loaded;
    loaded.Insert(Span(1, 1));
    OSelection loadedSelection;
    ORange lastFound = MakeLastFoundRange();
    lastFound.Set(1, 1);
    texts.push_back("0x200,0x2FF,,,past the end");
    texts.push_back("0x10,0x1F,,,repeated");
    texts.push_back("garbage");
    loaded.LoadTexts(texts, 0x180, loadedSelection, lastFound);
    EXPECT_EQ(PositionsOf(loaded), (Positions{{0x10, 0x1F}, {0x100, 0x100}}));
    EXPECT_EQ(loaded.At(1).Title(), "a, b"); // the fields themselves are the range's
    EXPECT_EQ(loadedSelection.Begin(), 3);
    EXPECT_EQ(loadedSelection.End(), 7);
    EXPECT_EQ(loadedSelection.Title(), "<Selected>");
    EXPECT_TRUE(lastFound.IsEmpty());

    // A selection past the end is dropped; an empty list clears everything.
    loaded.LoadTexts({"0x200,0x300", "0x0,0x1000"}, 0x100, loadedSelection, lastFound);
    EXPECT_TRUE(loadedSelection.IsEmpty());
    EXPECT_EQ(PositionsOf(loaded), (Positions{{0, 0xFF}}));
    loaded.LoadTexts({}, 0x100, loadedSelection, lastFound);
    EXPECT_TRUE(loaded.Empty());
}

// The range at the caret, else a selection that is not empty, else none.
TEST(OMarkerList, CurrentRange) {
    OSelection selection;
    const ORange marker = Span(5, 6), empty;
    EXPECT_EQ(CurrentRange(nullptr, selection), nullptr);
    EXPECT_EQ(CurrentRange(&marker, selection), &marker);
    selection.Set(1, 2);
    for (const ORange* atCaret : {(const ORange*)nullptr, &marker, &empty})
        EXPECT_EQ(CurrentRange(atCaret, selection), atCaret == &marker ? atCaret : &selection);
}

// The indexed queries against a plain scan, across random changes.
TEST(OMarkerList, QueriesAgreeWithAScanAfterRandomChanges) {
    std::mt19937_64 random(TestSeed());
    auto uniform = [&](OOffset lo, OOffset hi) {
        return std::uniform_int_distribution<OOffset>(lo, hi)(random);
    };
    OMarkerList list;
    OSelection selection;
    std::vector<const ORange*> found;
    for (int step = 0; step < 2000; ++step) {
        const OOffset kind = uniform(0, 9);
        if (kind < 6) {
            const OOffset begin = uniform(0, 3000);
            ORange marker(static_cast<std::uint32_t>(uniform(0, 0xFFFFFF)),
                          static_cast<std::uint32_t>(uniform(0, 0xFFFFFF)));
            marker.Set(begin, begin + (uniform(0, 3) == 0 ? 0 : uniform(1, 80)));
            list.Insert(marker);
        } else if (kind < 8 && !list.Empty()) {
            const auto index = static_cast<std::size_t>(uniform(0, OOffset(list.Count()) - 1));
            ASSERT_TRUE(list.Remove(ORange(list.At(index))));
        } else {
            const OOffset a = uniform(0, 3000);
            const OOffset length = uniform(1, 60);
            ORange lastFound = MakeLastFoundRange();
            if (uniform(0, 2) == 0)
                list.Adapt({a, 0, length}, selection, lastFound);
            else if (uniform(0, 1) == 0)
                list.Adapt({a, length, 0}, selection, lastFound);
            else
                list.Adapt({a, length, length + uniform(-length, 60)}, selection, lastFound);
        }

        for (std::size_t i = 0; i < list.Count(); ++i) {
            ASSERT_FALSE(list.At(i).IsEmpty());
            if (i > 0) {
                ASSERT_LE(list.At(i - 1).Begin(), list.At(i).Begin());
            }
            ASSERT_EQ(list.IndexOf(list.At(i)), static_cast<std::ptrdiff_t>(i));
        }
        auto smallestByScan = [&](OOffset offset) {
            const ORange* smallest = nullptr;
            for (std::size_t i = 0; i < list.Count(); ++i) {
                const ORange& r = list.At(i);
                if (r.Contains(offset) && (!smallest || r.Length() < smallest->Length()))
                    smallest = &r;
            }
            return smallest;
        };
        if (step % 20 == 0) {
            // Byte by byte, as painting asks.
            const OOffset from = uniform(0, 3200);
            for (OOffset offset = from; offset < from + 64; ++offset) {
                const ORange* smallest = smallestByScan(offset);
                ASSERT_EQ(list.SmallestAt(offset), smallest) << offset;
                // Painting takes the smallest marker's colours and its mark.
                std::uint32_t bg = 1, fg = 2, wantBg = 1, wantFg = 2;
                const int mark = smallest ? smallest->Contains(offset, &wantBg, &wantFg) : 0;
                ASSERT_EQ(list.ColorAt(offset, &bg, &fg), mark) << offset;
                ASSERT_EQ(std::pair(bg, fg), std::pair(wantBg, wantFg)) << offset;
            }
        }
        // An iteration, and the next and previous begins with a selection and a
        // last match among them, as the header says, without changing the list.
        // Offsets next to a begin or an end now and then: the edges.
        const auto edge = [&] {
            if (list.Empty() || uniform(0, 1) == 0) return uniform(-1, 3300);
            const ORange& r =
                list.At(static_cast<std::size_t>(uniform(0, OOffset(list.Count()) - 1)));
            return uniform(0, 1) == 0 ? r.Begin() + uniform(-1, 0) : r.End() + uniform(0, 1);
        };
        const OOffset filter = uniform(0, 2) == 0 ? -1 : edge();
        std::vector<const ORange*> visited, containing;
        if (list.First(filter))
            for (const ORange* r; (r = list.Next()) != nullptr;)
                visited.push_back(r);
        for (std::size_t i = 0; i < list.Count(); ++i)
            if (filter == -1 || list.At(i).Contains(filter)) containing.push_back(&list.At(i));
        ASSERT_EQ(visited, containing);
        OSelection near;
        ORange lastMatch = MakeLastFoundRange();
        if (uniform(0, 2) == 0) near.Set(uniform(0, 3200), uniform(0, 3200));
        if (uniform(0, 2) == 0) lastMatch.Set(uniform(0, 3200), uniform(0, 3200));
        const OOffset length = 3300;
        const OOffset froms[] = {-1,    0, length - 1, length, near.Begin(), lastMatch.Begin(),
                                 edge()};
        const OOffset at = froms[uniform(0, 6)];
        const bool wrap = uniform(0, 1) == 0;
        OOffset next = -1, prev = -1, lowest = -1, highest = -1;
        for (std::size_t i = 0; i <= list.Count() + 1; ++i) {
            const ORange& r = i < list.Count() ? list.At(i) : i == list.Count() ? near : lastMatch;
            if (r.IsEmpty()) continue;
            const OOffset b = r.Begin();
            if (b > at && (next < 0 || b < next)) next = b;
            if (b < at && b > prev) prev = b;
            if (lowest < 0 || b < lowest) lowest = b;
            if (b < length && b > highest) highest = b;
        }
        if (next < 0 && wrap && at != 0 && at != -1) next = lowest;
        if (prev < 0 && wrap && at != length - 1 && at != length) prev = highest;
        const std::size_t count = list.Count();
        ASSERT_EQ(list.NextBegin(at, near, lastMatch, wrap), next) << at;
        ASSERT_EQ(list.PrevBegin(at, length, near, lastMatch, wrap), prev) << at;
        ASSERT_EQ(list.Count(), count);
        for (int query = 0; query < 8; ++query) {
            const OOffset from = uniform(-5, 3200);
            const OOffset to = from + uniform(0, 40);
            std::vector<const ORange*> expected;
            ORowMatch begins, ends, singles;
            auto note = [](ORowMatch& m, const ORange& r) {
                if (!m.first) m.first = &r;
                ++m.count;
            };
            for (std::size_t i = 0; i < list.Count(); ++i) {
                const ORange& r = list.At(i);
                if (r.Begin() <= to && r.End() >= from) expected.push_back(&r);
                const bool beginIn = r.Begin() >= from && r.Begin() <= to;
                if (r.Length() >= 2 && beginIn) note(begins, r);
                if (r.Length() >= 2 && r.End() >= from && r.End() <= to) note(ends, r);
                if (r.Length() == 1 && beginIn) note(singles, r);
            }
            list.Overlapping(from, to, found);
            ASSERT_EQ(found, expected);
            ASSERT_EQ(list.SmallestAt(from), smallestByScan(from));
            for (auto [got, want] : {std::pair{list.BeginsIn(from, to), begins},
                                     std::pair{list.EndsIn(from, to), ends},
                                     std::pair{list.SinglesIn(from, to), singles}}) {
                ASSERT_EQ(got.first, want.first);
                ASSERT_EQ(got.count, want.count);
            }
        }
    }
}
