#include "view/OPaneLayout.h"

#include <gtest/gtest.h>

namespace {

OPaneLayout Laid(bool offset, bool hex, bool text, OOffset length = 1000, int width = 1000) {
    OPaneLayout::Input in;
    in.clientWidth = width;
    in.clientHeight = 300;
    in.charWidth = 8;
    in.lineHeight = 15;
    in.offsetPane = offset;
    in.hexPane = hex;
    in.textPane = text;
    in.fileLength = length;
    OPaneLayout layout;
    layout.Compute(in);
    return layout;
}

TEST(PaneLayout, PanesSideBySideAndBytesThatFit) {
    const OPaneLayout l = Laid(true, true, true);
    EXPECT_EQ(l.gutter.Width(), 16);
    EXPECT_EQ(l.offsetChars, 5); // four digits and a sign
    EXPECT_EQ(l.offset.Width(), 5 * 8 + 3);
    EXPECT_EQ(l.hex.left, l.offset.right + 3);
    const int rest = 1000 - l.hex.left;
    EXPECT_EQ(l.hex.Width(), 3 * (rest - 2 * 3 - 3) / 4);
    EXPECT_EQ(l.text.left, l.hex.right + 3);
    EXPECT_EQ(l.text.right, 1000);
    EXPECT_EQ(l.bytesThatFit, (l.hexText.Width() + 8) / 24);

    // Without the hex pane the text pane takes the width, a byte a character.
    const OPaneLayout t = Laid(true, false, true);
    EXPECT_EQ(t.hex.Width(), 0);
    EXPECT_EQ(t.bytesThatFit, t.textText.Width() / 8);
    // Neither byte pane on: the hex pane comes back.
    EXPECT_TRUE(Laid(true, false, false).hexOn);
    // Wider offsets for longer files: 8 digits, then 16 with the apostrophe.
    EXPECT_EQ(Laid(true, true, true, 70000).offsetChars, 9);
    EXPECT_EQ(Laid(true, true, true, OOffset{5} << 30).offsetChars, 18);
    // A narrow window still shows a byte.
    EXPECT_EQ(Laid(true, true, true, 1000, 10).bytesThatFit, 1);
}

TEST(PaneLayout, PointsFallOnCells) {
    const OPaneLayout l = Laid(false, true, true);
    int row = -1;
    int column = -1;
    ASSERT_TRUE(l.CellAt(l.hexText.left + 3 * 8 * 2 + 1, 15 * 3 + 2, row, column));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(column, 2);
    ASSERT_TRUE(l.CellAt(l.textText.left + 8 * 5 + 7, 1, row, column));
    EXPECT_EQ(column, 5);
    EXPECT_FALSE(l.CellAt(2, 2, row, column)); // the gutter
    EXPECT_EQ(l.PaneAt(2, 2), OPane::Gutter);
    EXPECT_EQ(l.PaneAt(l.hex.left + 1, 2), OPane::Hex);
    EXPECT_EQ(l.PaneAt(l.gutter.right + 1, 2), OPane::None); // the offset pane is off
    EXPECT_EQ(l.CellLeft(OPane::Hex, 2), l.hexText.left + 48);
}

} // namespace
