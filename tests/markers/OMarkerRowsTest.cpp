#include "markers/OMarkerRows.h"

#include <gtest/gtest.h>

namespace {

ORange Span(OOffset begin, OOffset end, std::string title = {}) {
    ORange range(kMarkerBackground, kMarkerForeground, std::move(title));
    range.Set(begin, end);
    return range;
}

std::vector<std::string> Row(const OMarkerRows& rows, std::size_t row) {
    std::vector<std::string> cells;
    for (int column = 0; column < OMarkerRows::kColumnCount; ++column)
        cells.push_back(rows.Text(row, static_cast<OMarkerRows::Column>(column)));
    return cells;
}

} // namespace

TEST(OMarkerRows, CellTexts) {
    OMarkerList list;
    list.Insert(Span(0x100, 0x10F, "head"));
    list.Insert(Span(0x12345, 0x12345));
    list.Insert(Span(OOffset{1} << 32, (OOffset{1} << 32) + 0xFFFF, "a, b"));
    OSelection selection;
    selection.Set(2, 3);
    const OMarkerRows rows(list, &selection, nullptr, nullptr);
    ASSERT_EQ(rows.Count(), 4u);
    EXPECT_EQ(Row(rows, 0),
              (std::vector<std::string>{"  0 ", "0002", "0003", "0002", "<Selected>"}));
    EXPECT_EQ(Row(rows, 1), (std::vector<std::string>{"  1 ", "0100", "010F", "0010", "head"}));
    EXPECT_EQ(Row(rows, 2), (std::vector<std::string>{"  2 ", "00012345", "00012345", "1", ""}));
    EXPECT_EQ(Row(rows, 3), (std::vector<std::string>{"  3 ", "00000001'00000000",
                                                      "00000001'0000FFFF", "00010000", "a, b"}));
}

// The row under the caret is the last row with its position: a marker over
// exactly the selected bytes is chosen before the selection's own row.
TEST(OMarkerRows, RowToSelect) {
    OMarkerList list;
    list.Insert(Span(10, 19));
    list.Insert(Span(30, 39));
    OSelection selection;
    selection.Set(30, 39);
    ORange lastFound = MakeLastFoundRange();
    lastFound.Set(50, 59);
    ORange elsewhere = Span(60, 69);
    struct Case {
        const ORange* underCaret;
        bool extras;
        std::size_t row;
    };
    const Case cases[] = {{&selection, true, 3},  {&selection, false, 1}, {&lastFound, true, 1},
                          {&lastFound, false, 0}, {&elsewhere, true, 0},  {nullptr, true, 0},
                          {&list.At(0), true, 2}};
    for (const Case& c : cases) {
        const OMarkerRows rows(list, c.extras ? &selection : nullptr,
                               c.extras ? &lastFound : nullptr, c.underCaret);
        EXPECT_EQ(rows.RowToSelect(), c.row) << (&c - cases);
        EXPECT_EQ(rows.Count(), c.extras ? 4u : 2u);
    }
}
