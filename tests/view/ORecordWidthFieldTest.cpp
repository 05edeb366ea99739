#include "view/ORecordWidthField.h"

#include <gtest/gtest.h>

TEST(ORecordWidthField, TextTypingAndSpin) {
    ORecordWidthField field(16, 16, 1048576, false);
    EXPECT_EQ(field.Text(), "16");
    EXPECT_TRUE(field.Accepts('7'));
    EXPECT_FALSE(field.Accepts('a')); // a letter is ignored in decimal
    EXPECT_FALSE(field.TextEdited("24"));
    EXPECT_EQ(field.Value(), 24);
    EXPECT_FALSE(field.TextEdited("99999999999")); // never wraps: the view limits it
    EXPECT_EQ(field.Value(), 2147483647);
    // An empty text restores the default, and the text is written again.
    EXPECT_TRUE(field.TextEdited(""));
    EXPECT_EQ(field.Value(), 16);

    field.ToggleHex();
    EXPECT_EQ(field.Text(), "00000010");
    for (char c : {'A', 'f', '0'})
        EXPECT_TRUE(field.Accepts(c));
    for (char c : {'g', 'G', '-', 'x'})
        EXPECT_FALSE(field.Accepts(c));
    EXPECT_FALSE(field.TextEdited("1a"));
    EXPECT_EQ(field.Value(), 26);

    // The spin stops at its bounds but still gives the value to apply.
    ORecordWidthField low(3, 16, 5, false);
    EXPECT_EQ(low.Step(-1), 2);
    EXPECT_EQ(low.Step(-1), 2);
    EXPECT_EQ(low.Step(+1), 3);
    low.SetValue(5);
    EXPECT_EQ(low.Step(+1), 5);
}
