#include "markers/ORange.h"

#include "platform/OScriptedPlatform.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr OOffset kMin = INT64_MIN;
constexpr OOffset kMax = INT64_MAX;

ORange Span(OOffset begin, OOffset end, std::string title = {}) {
    ORange range(kMarkerBackground, kMarkerForeground, std::move(title));
    range.Set(begin, end);
    return range;
}

void ExpectPosition(const ORange& range, OOffset begin, OOffset end, OOffset length) {
    EXPECT_EQ(range.Begin(), begin);
    EXPECT_EQ(range.End(), end);
    EXPECT_EQ(range.Length(), length);
}

} // namespace

TEST(ORange, SetOrdersAndTreatsMinusOneAsEmpty) {
    ORange range(1, 2, "t");
    ExpectPosition(range, -1, -1, 0);
    EXPECT_TRUE(range.IsEmpty());
    EXPECT_EQ(range.Set(20, 10), 11);
    ExpectPosition(range, 10, 20, 11);
    EXPECT_EQ(range.Set(7, 7), 1);
    EXPECT_EQ(range.Set(-1, 5), 0);
    ExpectPosition(range, -1, -1, 0);
    EXPECT_EQ(range.Set(5, -1), 0);
    EXPECT_EQ(range.Set(-5, 3), 9);
    EXPECT_EQ(range.Title(), "t");
    EXPECT_EQ(range.Background(), 1u);
    EXPECT_EQ(range.Foreground(), 2u);
    range.Reset();
    ExpectPosition(range, -1, -1, 0);
}

TEST(ORange, SetKeepsLengthRepresentableNearTheLimits) {
    ORange range;
    EXPECT_EQ(range.Set(kMax, kMax), 1);
    EXPECT_EQ(range.Set(kMax - 1, kMax), 2);
    EXPECT_EQ(range.Set(1, kMax), kMax);
    ExpectPosition(range, 1, kMax, kMax);
    // 2^63 bytes do not fit: the longest length that does.
    EXPECT_EQ(range.Set(kMax, 0), kMax);
    ExpectPosition(range, 0, kMax - 1, kMax);
    EXPECT_EQ(range.Set(kMin, kMax), kMax);
    ExpectPosition(range, kMin, -2, kMax);
    EXPECT_EQ(range.Set(kMin, kMin), 1);
}

TEST(ORange, CopyPositionKeepsTitleAndColours) {
    ORange target(5, 6, "mine");
    target.CopyPosition(Span(3, 9, "other"));
    ExpectPosition(target, 3, 9, 7);
    EXPECT_EQ(target.Title(), "mine");
    EXPECT_EQ(target.Background(), 5u);
    EXPECT_TRUE(target.SamePosition(Span(3, 9, "x")));
    EXPECT_FALSE(target.SamePosition(Span(3, 10)));
}

TEST(ORange, ContainsMarksTheLastByte) {
    ORange range(0x123, 0x456);
    range.Set(10, 13);
    std::uint32_t bg = 0, fg = 0;
    EXPECT_EQ(range.Contains(13, &bg, &fg), 1);
    EXPECT_EQ(bg, 0x123u);
    EXPECT_EQ(fg, 0x456u);
    EXPECT_EQ(range.Contains(10), 2);
    EXPECT_EQ(range.Contains(11, &bg), 2);
    EXPECT_EQ(range.Contains(14), 0);
    EXPECT_EQ(range.Contains(9), 0);
    range.Reset();
    bg = 7;
    EXPECT_EQ(range.Contains(-1, &bg), 0);
    EXPECT_EQ(bg, 7u);
}

TEST(ORange, ShiftStopsAtTheLimits) {
    ORange range = Span(10, 19);
    range.Shift(5);
    ExpectPosition(range, 15, 24, 10);
    range.Shift(-15);
    ExpectPosition(range, 0, 9, 10);
    range.Shift(kMax);
    ExpectPosition(range, kMax - 9, kMax, 10);
    range.Shift(kMin);
    range.Shift(kMin);
    ExpectPosition(range, kMin, kMin + 9, 10);
    ORange empty;
    empty.Shift(100);
    ExpectPosition(empty, -1, -1, 0);
}

TEST(ORange, ClipTo) {
    ORange empty;
    EXPECT_TRUE(empty.ClipTo(0));
    ORange range = Span(10, 19);
    EXPECT_TRUE(range.ClipTo(100));
    ExpectPosition(range, 10, 19, 10);
    EXPECT_TRUE(range.ClipTo(15));
    ExpectPosition(range, 10, 14, 5);
    EXPECT_FALSE(range.ClipTo(10));
    ExpectPosition(range, -1, -1, 0);
    range = Span(kMax - 1, kMax);
    EXPECT_TRUE(range.ClipTo(kMax));
    ExpectPosition(range, kMax - 1, kMax - 1, 1);
    range = Span(5, 6);
    EXPECT_FALSE(range.ClipTo(kMin));
    // A negative begin would be clipped to an empty range: it goes instead.
    range = Span(-5, 6);
    EXPECT_FALSE(range.ClipTo(0));
    EXPECT_TRUE(range.IsEmpty());
}

TEST(ORange, OverlapsIsHalfOpenOnTo) {
    const ORange range = Span(10, 19);
    EXPECT_TRUE(range.Overlaps(0, 11));
    EXPECT_FALSE(range.Overlaps(0, 10));
    EXPECT_TRUE(range.Overlaps(19, 30));
    EXPECT_FALSE(range.Overlaps(20, 30));
    EXPECT_TRUE(range.Overlaps(12, 14));
    EXPECT_TRUE(range.Overlaps(15, 15)); // from inside, whatever to is
    EXPECT_TRUE(range.Overlaps(kMin, kMax));
    EXPECT_FALSE(ORange().Overlaps(kMin, kMax));
}

TEST(ORange, Label) {
    EXPECT_EQ(Span(0x100, 0x10F, "head").Label(), "0010[0100-010F]head\n");
    EXPECT_EQ(Span(0x100, 0x100).Label(), "[0100]\n");
    EXPECT_EQ(Span(0xFFFF, 0x10000, "x").Label(), "0002[FFFF-00010000]x\n");
    EXPECT_EQ(Span(0, OOffset{1} << 32).Label(), "00000001'00000001[0000-00000001'00000000]\n");
    EXPECT_EQ(Span(kMax, kMax).Label(), "[7FFFFFFF'FFFFFFFF]\n");
}

TEST(ORange, ToTextLeavesDefaultsOut) {
    EXPECT_EQ(ORange().ToText(), "");
    EXPECT_EQ(Span(0x10, 0x1F, "abc").ToText(), "0x10,0x1F,,,abc");
    EXPECT_EQ(Span(0x10, 0x1F).ToText(), "0x10,0x1F,,");
    ORange coloured(0xFF, 0xFFFFFF, "a, b");
    coloured.Set(0, kMax - 1);
    EXPECT_EQ(coloured.ToText(), "0x0,0x7FFFFFFFFFFFFFFE,0x0000FF,0xFFFFFF,a, b");
}

TEST(ORange, FromTextFields) {
    ORange range(1, 2, "old");
    range.FromText("0x10,0x1F,0x0000FF,,x");
    ExpectPosition(range, 0x10, 0x1F, 16);
    EXPECT_EQ(range.Background(), 0x0000FFu);
    EXPECT_EQ(range.Foreground(), kMarkerForeground);
    EXPECT_EQ(range.Title(), "x");

    range.FromText("0x10,0x1F,,");
    EXPECT_EQ(range.Background(), kMarkerBackground);
    EXPECT_EQ(range.Title(), "");
    range.FromText("0x10,0x1F,0x1,0x2");
    EXPECT_EQ(range.Background(), 1u);
    EXPECT_EQ(range.Foreground(), 2u);
    EXPECT_EQ(range.Title(), "");

    // Title: everything after the fourth comma, blanks trimmed.
    range.FromText("  32 , 16 ,junk,0x1 z,  a, b,c  ");
    ExpectPosition(range, 16, 32, 17);
    EXPECT_EQ(range.Background(), kMarkerBackground);
    EXPECT_EQ(range.Foreground(), 1u);
    EXPECT_EQ(range.Title(), "a, b,c");

    range.FromText("+0X1f,-0x2");
    ExpectPosition(range, -2, 31, 34);
    range.FromText("0x7FFFFFFFFFFFFFFF,0x7FFFFFFFFFFFFFFF,,");
    ExpectPosition(range, kMax, kMax, 1);
    range.FromText("-0x8000000000000000,-9223372036854775807");
    ExpectPosition(range, kMin, kMin + 1, 2);
    range.FromText("0x0,9223372036854775807");
    ExpectPosition(range, 0, kMax - 1, kMax);
}

TEST(ORange, FromTextUnreadableGivesEmptyDefaults) {
    for (const char* text : {"", ",5,,,t", "0x10", "0x10,", "0x,5", "1x,5", "5,0x8000000000000000",
                             "5,9223372036854775808", "-1,5,0x1,0x2,t", "0x10,0x1G"}) {
        SCOPED_TRACE(text);
        ORange range(1, 2, "old");
        range.Set(1, 2);
        range.FromText(text);
        ExpectPosition(range, -1, -1, 0);
        EXPECT_EQ(range.Background(), kMarkerBackground);
        EXPECT_EQ(range.Foreground(), kMarkerForeground);
        EXPECT_EQ(range.Title(), "");
    }
}

TEST(ORange, TextRoundTrip) {
    ORange coloured(0x123456, 0xABCDEF, " title, more ");
    coloured.Set(5, kMax);
    for (const ORange& original : {Span(0, 0), Span(0x10, 0x1F, "abc"), coloured, ORange(0, 1)}) {
        ORange copy(3, 4, "x");
        copy.FromText(original.ToText());
        EXPECT_TRUE(copy.SamePosition(original)) << original.ToText();
        if (original.IsEmpty()) continue;
        EXPECT_EQ(copy.Background(), original.Background());
        EXPECT_EQ(copy.Foreground(), original.Foreground());
    }
    ORange copy;
    copy.FromText(coloured.ToText());
    EXPECT_EQ(copy.Title(), "title, more"); // blanks around a title do not survive
}

TEST(OSelection, CreatedEmptyWithItsLook) {
    const OSelection selection;
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_EQ(selection.Anchor(), -1);
    EXPECT_EQ(selection.Title(), "<Selected>");
    EXPECT_EQ(selection.Background(), 0x000000u);
    EXPECT_EQ(selection.Foreground(), 0xFFFFFFu);
    const ORange lastFound = MakeLastFoundRange();
    EXPECT_TRUE(lastFound.IsEmpty());
    EXPECT_EQ(lastFound.Title(), "<Last found>");
    EXPECT_EQ(lastFound.Background(), 0x80FF80u);
    EXPECT_EQ(lastFound.Foreground(), 0x000000u);
}

TEST(OSelection, ExtendToAndClearAnchorShowStatus) {
    OScriptedPlatform platform;
    OSelection selection;
    EXPECT_EQ(selection.ExtendTo(20, 100), 1);
    EXPECT_EQ(selection.Anchor(), 20);
    EXPECT_EQ(selection.ExtendTo(10, 100), 11);
    ExpectPosition(selection, 10, 20, 11);
    EXPECT_EQ(selection.ExtendTo(0x10013, 0x10000), 0x10013 - 20 + 1);
    const OOffset big = OOffset{5} << 30;
    EXPECT_EQ(selection.ExtendTo(big + 19, big), big);
    EXPECT_TRUE(selection.ClearAnchor());
    EXPECT_FALSE(selection.ClearAnchor());
    EXPECT_EQ(selection.Length(), big); // the selection itself stays
    const std::vector<std::string> expected = {
        "Size of selection: 1 (0001)",
        "Size of selection: 11 (000B)",
        "Size of selection: 65536 (00010000)",
        "Size of selection: 5368709120 (00000001'40000000)",
        "Ready",
        "Ready",
    };
    EXPECT_EQ(platform.StatusHistory(), expected);
}

TEST(OSelection, ExtendToNearTheLimitHasNoOverflow) {
    OScriptedPlatform platform;
    OSelection selection;
    selection.ExtendTo(0, kMax);
    EXPECT_EQ(selection.ExtendTo(kMax, kMax), kMax);
    ExpectPosition(selection, 0, kMax - 1, kMax);
    EXPECT_EQ(platform.StatusHistory().back(),
              "Size of selection: 9223372036854775807 (7FFFFFFF'FFFFFFFF)");
}
