#include "view/ORecordView.h"

#include "support/OTestData.h"
#include "view/OWide.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

// The length lives before the geometry that asks for it.
struct FileOfLength {
    OOffset fileLength;
};

// A geometry over a file whose length the test sets, laid out for rows
// rows of 10 pixels.
class View final : private FileOfLength, public ORecordView {
public:
    explicit View(OOffset length, int width = 16, int rows = 4, int fit = 1 << 20)
        : FileOfLength{length}, ORecordView(Defaults(width), [this] { return fileLength; }) {
        Layout(fit, rows * 10, 10);
    }
    void SetLength(OOffset length) { fileLength = length; }

private:
    static OViewSettings Defaults(int width) {
        OViewSettings s;
        s.recordWidth = width;
        return s;
    }
};

constexpr OOffset k6GB = 6'000'000'000;
constexpr OOffset k100GiB = OOffset{100} << 30;

// Shift right moves the records' starts one byte left, the top with them;
// the phase runs round within the width.
TEST(ORecordView, PhaseMovesRecordStarts) {
    View v(100);
    v.ShiftPhase(+1);
    EXPECT_EQ(v.Phase(), 1);
    EXPECT_EQ(v.Top(), -1);
    v.ShiftPhase(-1);
    v.ShiftPhase(-1);
    EXPECT_EQ(v.Phase(), 15);
    EXPECT_EQ(v.Top(), -15);
    EXPECT_EQ(v.CellOffset(1, 0), 1); // the next row starts at offset 1
    EXPECT_EQ(v.RecordStart(0), -15);
    EXPECT_EQ(v.RecordStart(1), 1);
    EXPECT_EQ(v.RecordNumber(1), 1);
    EXPECT_EQ(v.ColumnOf(0), 15);
}

// 0 or above the maximum gives the maximum, below 2 gives 2, negative keeps it.
TEST(ORecordView, WidthRules) {
    View v(100000);
    const std::pair<int, int> rules[] = {
        {0, 1048576}, {1, 2}, {-5, 2}, {1048577, 1048576}, {-1, 1048576}};
    for (const auto& [asked, width] : rules) {
        v.SetRecordWidth(asked);
        EXPECT_EQ(v.Width(), width) << asked;
    }
}

TEST(ORecordView, HorizontalShiftAndCellsOfAWideRecord) {
    View v(100000, 100, 4, 10);
    EXPECT_EQ(v.VisibleBytes(), 10);
    v.GoToOffset(95);
    EXPECT_EQ(v.ColumnShift(), 90);
    EXPECT_EQ(v.CellOffset(0, 5), v.Top() + 95);
    EXPECT_EQ(v.CellOffset(0, 10), -1);
    v.ScrollHorizontal(OScrollAction::First);
    EXPECT_EQ(v.ColumnShift(), 0);
    EXPECT_EQ(v.Caret(), 9); // pulled into the visible columns of its record
    v.ScrollHorizontal(OScrollAction::PageForward);
    EXPECT_EQ(v.ColumnShift(), 10);
    v.ScrollHorizontal(OScrollAction::Last);
    EXPECT_EQ(v.ColumnShift(), 90);
    const OScrollBarState bar = v.HorizontalBar();
    EXPECT_EQ(bar.maximum, 100);
    EXPECT_EQ(bar.page, 11);
    EXPECT_TRUE(bar.visible);
}

// The thumb maps rows onto 31 bits; the ends must land exactly.
TEST(ORecordView, ScrollBarRoundTripsOnHugeFiles) {
    for (OOffset length : {k6GB, k100GiB}) {
        for (int width : {1, 7, 16, 4096}) {
            for (int phase : {0, 1, 3}) {
                SCOPED_TRACE(testing::Message() << length << " w" << width << " p" << phase);
                View v(length, width, 40);
                for (int i = 0; i < phase; ++i)
                    v.ShiftPhase(+1);
                v.UpdateScrollShift();
                EXPECT_EQ(v.ScrollShift() % 4, 0u);
                EXPECT_LE(length >> v.ScrollShift(), INT32_MAX);
                const OScrollBarState bar = v.VerticalBar();
                ASSERT_TRUE(bar.visible);
                EXPECT_EQ(bar.position, 0);
                // Dragged to the end: the last record is on screen at the bottom.
                v.ScrollVertical(OScrollAction::Thumb, bar.lastPosition);
                EXPECT_EQ(v.Top(), v.LastPageTop());
                const OOffset lastRow = v.RecordStart(length);
                EXPECT_EQ(v.Top() + (v.Rows() - 1) * v.Width(), lastRow);
                EXPECT_EQ(v.VerticalBar().position, bar.lastPosition);
                // The middle, and back to the top.
                v.ScrollVertical(OScrollAction::Thumb, bar.maximum / 2);
                const OOffset rowNumber = OOffset{bar.maximum / 2} << v.ScrollShift();
                EXPECT_EQ(v.Top(), rowNumber * v.Width() - v.Phase());
                EXPECT_EQ(v.VerticalBar().position, bar.maximum / 2);
                v.ScrollVertical(OScrollAction::Thumb, 0);
                EXPECT_EQ(v.Top(), -v.Phase());
                // Ctrl+End goes to the append position.
                v.GoToOffset(length);
                EXPECT_EQ(v.Caret(), length);
                EXPECT_EQ(v.Top(), v.LastPageTop());
            }
        }
    }
    View sixGB(k6GB);
    sixGB.UpdateScrollShift();
    EXPECT_EQ(sixGB.ScrollShift(), 4u);
}

// Regression: laying out again (at every document update) put a top one
// row above the last page back on it, so scrolling up from the end was
// undone and the caret left above the window.
TEST(ORecordView, LayingOutAgainKeepsATopAboveTheLastPage) {
    for (const int rows : {1, 4, 10, 13}) {
        for (const int phase : {0, 5}) {
            SCOPED_TRACE(testing::Message() << rows << " rows, phase " << phase);
            View v(1000, 16, rows);
            for (int i = 0; i < phase; ++i)
                v.ShiftPhase(+1);
            v.ScrollVertical(OScrollAction::Last);
            for (int up = 1; up <= 3; ++up) {
                v.ScrollVertical(OScrollAction::LineBack);
                v.Layout(1 << 20, rows * 10, 10);
                EXPECT_EQ(v.Top(), v.LastPageTop() - up * 16);
            }
        }
    }
}

// A caret the window no longer shows comes onto its nearest row and column;
// the top and the column shift stay.
TEST(ORecordView, CaretIsPulledIntoTheWindow) {
    struct Case {
        int width, fit;
        OOffset caret;
        int shift;
        OOffset pulled;
    };
    // 1000 bytes laid out for 40 rows, then for 10.
    const Case cases[] = {{16, 1 << 20, 25 * 16 + 3, 0, 9 * 16 + 3}, // below: the last row
                          {16, 1 << 20, 5 * 16 + 3, 0, 5 * 16 + 3},  // shown: stays
                          {100, 10, 50, 0, 9},                       // right of the columns
                          {100, 10, 42, 40, 42},                     // inside the shift
                          {100, 10, 5, 40, 40},                      // left of the columns
                          {16, 4, 25 * 16 + 10, 0, 9 * 16 + 3}};     // both
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        View v(1000, c.width, 40, c.fit);
        ASSERT_TRUE(v.SetCaret(c.caret));
        v.SetColumnShift(c.shift);
        v.Layout(c.fit, 100, 10);
        EXPECT_EQ(v.Caret(), c.caret); // a layout alone leaves it
        EXPECT_EQ(v.PullCaretIntoWindow(), c.pulled != c.caret);
        EXPECT_EQ(v.Caret(), c.pulled);
        EXPECT_EQ(v.Top(), 0);
        EXPECT_EQ(v.ColumnShift(), c.shift);
    }
}

TEST(ORecordView, InStepScrollingMovesOthersByTheirOwnRows) {
    View a(100000, 16, 10);
    View b(100000, 32, 10);
    View off(100000, 8, 10);
    a.SetSyncScroll(true);
    b.SetSyncScroll(true);
    a.UpdateScrollShift();
    ORecordView* all[] = {&a, &b, &off};
    ScrollInStep(a, true, OScrollAction::Thumb, 100, all);
    EXPECT_EQ(a.Top(), 1600);
    EXPECT_EQ(b.Top(), 100 * 32);
    EXPECT_EQ(off.Top(), 0);
    ScrollInStep(b, true, OScrollAction::LineForward, 0, all);
    EXPECT_EQ(a.Top(), 1616);
}

// Another window's caret and top stay on their bytes through an edit.
TEST(ORecordView, CaretAndTopFollowAnEdit) {
    struct Case {
        OEdit edit;
        OOffset caret, top;
    };
    // Before each edit: caret 100, top 96 (16-byte records, 1000 bytes).
    for (const Case& c : {Case{{0, 4, 0}, 96, 80},    // delete before: both move down
                          Case{{98, 10, 0}, 98, 96},  // the caret's byte removed
                          Case{{0, 0, 20}, 120, 112}, // insert before, top re-aligned
                          Case{{100, 0, 5}, 105, 96}, // insert at the caret
                          Case{{101, 3, 9}, 100, 96}, // paste after the caret
                          Case{{0, 200, 0}, 0, 0}}) { // the top's bytes removed
        View v(1000, 16, 4);
        v.GoToOffset(100);
        v.SetTop(96);
        v.FollowEdit(c.edit);
        EXPECT_EQ(v.Caret(), c.caret) << c.edit.offset << " " << c.edit.removed;
        EXPECT_EQ(v.Top(), c.top) << c.edit.offset << " " << c.edit.removed;
    }
}

// Random operations on files from empty to 2^63 - 1 bytes, some views
// restored from stored positions that no longer fit: after each the
// geometry holds, and Go to shows its target centred where the ends allow.
TEST(ORecordView, RandomOperationsKeepTheGeometryInside) {
    std::mt19937_64 rng(TestSeed());
    const auto pick = [&rng](OOffset lo, OOffset hi) {
        return std::uniform_int_distribution<OOffset>(lo, hi)(rng);
    };
    const OOffset lengths[] = {0, 1, 100, 1000, k6GB, INT64_MAX - 1, INT64_MAX};
    for (int round = 0; round < 300; ++round) {
        OOffset length = lengths[rng() % std::size(lengths)];
        OViewSettings stored;
        stored.recordWidth = static_cast<int>(pick(2, 40));
        if (rng() % 3 == 0) {
            stored.topOffset = pick(INT64_MIN, INT64_MAX);
            stored.caretOffset = pick(INT64_MIN, INT64_MAX);
            stored.restorePending = true;
        }
        ORecordView v(stored, [&length] { return length; });
        // As the window does after a resize, a new length, a width or phase.
        int fit = 0, height = 0;
        const auto layout = [&](bool resize) {
            if (resize) {
                fit = static_cast<int>(pick(1, 64));
                height = static_cast<int>(pick(0, 500));
            }
            v.Layout(fit, height, 10);
        };
        layout(true);
        // A restored caret is shown.
        EXPECT_TRUE(v.Caret() >= v.Top() &&
                    OWide{v.Caret()} <= OWide{v.Top()} + v.Rows() * v.Width())
            << v.Caret() << " " << v.Top();
        for (int step = 0; step < 40; ++step) {
            const OOffset far = rng() % 2 ? Narrow(OWide{length} + pick(-5, 5)) : pick(-5, length);
            const int thumb = static_cast<int>(pick(0, v.VerticalBar().maximum));
            const auto action = static_cast<OScrollAction>(rng() % 8);
            SCOPED_TRACE(testing::Message() << round << "." << step << " length " << length);
            switch (rng() % 11) {
            case 0:
                v.ScrollVertical(action, thumb);
                break;
            case 1:
                v.ScrollHorizontal(action, static_cast<int>(pick(0, v.Width())));
                break;
            case 2:
                v.ShiftPhase(rng() % 2 ? 1 : -1);
                layout(false);
                break;
            case 3:
                v.SetRecordWidth(static_cast<int>(pick(-1, 300)));
                layout(false);
                break;
            case 4:
                v.ScrollRowsBy(pick(INT64_MIN / 2, INT64_MAX / 2) >> pick(0, 62));
                break;
            case 5:
                if (!v.SetCaret(far)) break;
                v.OffsetAtTop();
                EXPECT_EQ(v.ColumnOf(v.Caret()), 0);
                break;
            case 6:
                v.PullCaretIntoWindow();
                break;
            case 7:
                length = pick(0, length);
                layout(false);
                break;
            case 8:
                layout(true);
                break;
            default: {
                v.GoToOffset(far);
                EXPECT_EQ(v.Caret(), std::clamp<OOffset>(far, 0, length));
                const OOffset row = v.RowIndexOf(v.Caret());
                EXPECT_TRUE(row >= 0 && row < v.Rows()) << row;
                if (v.Top() != -v.Phase() && v.Top() != v.LastPageTop()) {
                    EXPECT_EQ(row, v.Rows() / 2);
                }
            }
            }
            ASSERT_TRUE(v.Phase() >= 0 && v.Phase() < v.Width());
            ASSERT_TRUE(v.Caret() >= 0 && v.Caret() <= length) << v.Caret();
            ASSERT_EQ(v.RecordStart(v.Top()), v.Top());
            ASSERT_TRUE(v.Top() >= -v.Phase() && v.Top() <= v.LastPageTop()) << v.Top();
            // The last page ends on the row holding the append position.
            const OWide lastRow = OWide{v.LastPageTop()} + OWide{v.Rows() - 1} * v.Width();
            ASSERT_TRUE(v.LastPageTop() == -v.Phase() ? lastRow >= v.RecordStart(length)
                                                      : lastRow == v.RecordStart(length));
        }
    }
}

} // namespace
