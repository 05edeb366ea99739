#include "view/ORowModel.h"

#include "markers/ORange.h"
#include "platform/OScriptedPlatform.h"
#include "view/ORecordView.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace palette;

constexpr OOffset kMax = INT64_MAX;

// Rows of a file of length bytes that read as their offsets' low bytes.
ORowModel Model() {
    ORowModel model;
    model.SetReader([](OOffset offset, OByte* bytes, std::uint8_t* changed, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<OByte>(offset + static_cast<OOffset>(i));
        std::fill_n(changed, count, std::uint8_t{0});
        return ORowModel::ReadResult{count, false};
    });
    return model;
}

ORecordView LaidOut(OOffset length, int width, int rows) {
    OViewSettings settings;
    settings.recordWidth = width;
    ORecordView view(settings, [length] { return length; });
    view.Layout(1 << 20, rows * 10, 10);
    return view;
}

} // namespace

// A row's offset text in each mode, its bytes and their characters; a read
// that fails part way leaves the rest of the row unreadable.
TEST(ORowModel, CellsShowTheBytesAndTheOffsets) {
    const ORecordView view = LaidOut(256, 16, 20);
    ORowModel model = Model();
    ORowPaint row;
    model.Begin(view, {}, false, ORowModel::OffsetMode::RowOffset, false, true);
    ASSERT_TRUE(model.BuildRow(4, row));
    EXPECT_EQ(row.offsetText, "0040");
    ASSERT_EQ(row.cells.size(), 16u);
    EXPECT_EQ(row.cells[1].value, 0x41);
    EXPECT_EQ(row.cells[1].character, U'A');
    ASSERT_TRUE(model.BuildRow(0, row));
    EXPECT_EQ(row.cells[0].character, U'.'); // no glyph for a control code
    model.Begin(view, {}, false, ORowModel::OffsetMode::RecordNumber, true, true);
    ASSERT_TRUE(model.BuildRow(11, row));
    EXPECT_EQ(row.offsetText, "11");
    EXPECT_EQ(row.cells[0].character, U'░'); // 0xB0 in the OEM code page
    EXPECT_FALSE(model.BuildRow(17, row));   // past the end
    model.SetReader([](OOffset, OByte*, std::uint8_t* changed, std::size_t) {
        std::fill_n(changed, 5, std::uint8_t{0});
        return ORowModel::ReadResult{5, true};
    });
    ASSERT_TRUE(model.BuildRow(0, row));
    EXPECT_TRUE(row.cells[4].present && !row.cells[4].unreadable);
    EXPECT_TRUE(!row.cells[5].present && row.cells[5].unreadable);
    EXPECT_TRUE(row.cells[15].unreadable);
}

// Regression: with a phase, the last row of a file near 2^63 - 1 begins so
// close to the largest offset that its columns' offsets overflowed.
TEST(ORowModel, TheLastRowsOfTheLargestFilePaint) {
    for (const int width : {2, 7, 16}) {
        for (const int phase : {0, 1, width - 1}) {
            SCOPED_TRACE(testing::Message() << "width " << width << " phase " << phase);
            ORecordView view = LaidOut(kMax, width, 5);
            for (int i = 0; i < phase; ++i)
                view.ShiftPhase(+1);
            view.GoToOffset(kMax);
            ORowModel model = Model();
            for (const auto mode :
                 {ORowModel::OffsetMode::RowOffset, ORowModel::OffsetMode::TrackOffset,
                  ORowModel::OffsetMode::RecordNumber}) {
                model.Begin(view, {}, true, mode, false, true);
                ORowPaint row;
                int carets = 0;
                OOffset present = 0;
                for (int r = 0; r < view.Rows(); ++r) {
                    ASSERT_TRUE(model.BuildRow(r, row)) << r;
                    for (const OCellPaint& cell : row.cells) {
                        carets += cell.caret ? 1 : 0;
                        if (!cell.present) continue;
                        ++present;
                        EXPECT_EQ(cell.value, static_cast<OByte>(cell.offset));
                    }
                }
                EXPECT_EQ(carets, 1);
                EXPECT_EQ(row.cells[static_cast<std::size_t>(view.ColumnOf(kMax))].caret, true);
                // The rows above the last are full; the last holds the bytes before the end.
                EXPECT_EQ(present, (view.Rows() - 1) * width + view.ColumnOf(kMax));
                EXPECT_FALSE(model.BuildRow(view.Rows(), row));
            }
        }
    }
}

// A selection with one end set shows that byte in the selection's colours and
// nothing else as selected; the caret on it keeps its own colours unless a
// selecting gesture runs.
TEST(ORowModel, AOneEndedSelectionShowsItsEnd) {
    OScriptedPlatform platform;
    ORecordView view = LaidOut(256, 16, 8);
    const auto& colours = view.Settings().palette;
    ORowModel model = Model();
    ORowPaint row;
    for (const bool beginSet : {true, false}) {
        OSelection selection;
        selection.Set(beginSet ? 0x35 : -1, beginSet ? -1 : 0x35);
        ASSERT_TRUE(selection.OneEnded());
        for (const OOffset caret : {OOffset{0x10}, OOffset{0x35}}) {
            SCOPED_TRACE(testing::Message() << beginSet << " " << caret);
            ASSERT_TRUE(view.SetCaret(caret));
            model.Begin(view, {&selection, nullptr, nullptr}, true,
                        ORowModel::OffsetMode::RowOffset, false, true);
            EXPECT_EQ(model.RangeAtCaret(), nullptr);
            for (int r = 0; r < 8; ++r) {
                ASSERT_TRUE(model.BuildRow(r, row));
                for (const OCellPaint& cell : row.cells) {
                    std::uint32_t back = kPaneColour;
                    if (cell.offset == 0x35) back = colours[kSelectionBack];
                    if (cell.offset == caret) back = colours[kCaretBackFocused];
                    EXPECT_EQ(cell.background, back) << cell.offset;
                    EXPECT_EQ(cell.gap, kPaneColour) << cell.offset;
                }
            }
        }
    }
}
