#include "markers/ORange.h"

#include "platform/OScriptedPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

constexpr OOffset kMin = INT64_MIN;
constexpr OOffset kMax = INT64_MAX;

using Position = std::tuple<OOffset, OOffset, OOffset>; // begin, end, length

ORange Span(OOffset begin, OOffset end, std::string title = {}) {
    ORange range(kMarkerBackground, kMarkerForeground, std::move(title));
    range.Set(begin, end);
    return range;
}

Position At(const ORange& range) {
    return {range.Begin(), range.End(), range.Length()};
}

} // namespace

// Set orders its ends, takes -1 for "unset" and keeps the length
// representable near the limits; it returns the length.
TEST(ORange, SetOrdersItsEndsAndKeepsTheLengthRepresentable) {
    const std::pair<std::pair<OOffset, OOffset>, Position> cases[] = {
        {{20, 10}, {10, 20, 11}},
        {{7, 7}, {7, 7, 1}},
        {{-1, 5}, {-1, 5, 0}}, // one end set: not ordered, empty
        {{5, -1}, {5, -1, 0}},
        {{-1, -1}, {-1, -1, 0}},
        {{-5, 3}, {-5, 3, 9}},
        {{kMax, kMax}, {kMax, kMax, 1}},
        {{1, kMax}, {1, kMax, kMax}},
        {{kMax, 0}, {0, kMax - 1, kMax}}, // 2^63 bytes do not fit: the longest that does
        {{kMin, kMax}, {kMin, -2, kMax}},
        {{kMin, kMin}, {kMin, kMin, 1}}};
    for (const auto& [set, position] : cases) {
        ORange range(1, 2, "t");
        EXPECT_EQ(range.Set(set.first, set.second), std::get<2>(position));
        EXPECT_EQ(At(range), position) << set.first << " " << set.second;
        EXPECT_EQ(range.Title(), "t");
        EXPECT_EQ(range.Background(), 1u);
    }
    ORange range = Span(3, 9);
    range.Reset();
    EXPECT_TRUE(range.IsEmpty());
    EXPECT_EQ(At(range), Position(-1, -1, 0));
    ORange target(5, 6, "mine");
    target.CopyPosition(Span(3, 9, "other"));
    EXPECT_EQ(At(target), Position(3, 9, 7));
    EXPECT_EQ(target.Title(), "mine");
    EXPECT_TRUE(target.SamePosition(Span(3, 9, "x")));
    EXPECT_FALSE(target.SamePosition(Span(3, 10)));
}

// A selection's begin or end set on its own is a state of its own that every
// query takes for empty, whichever end it is and wherever it lies.
TEST(ORange, OneEndedRangesAreEmptyToEveryQuery) {
    const std::pair<OOffset, OOffset> ends[] = {
        {5, -1}, {-1, 5}, {0, -1}, {-1, kMax - 1}, {kMin, -1}};
    for (const auto& [x, y] : ends) {
        SCOPED_TRACE(testing::Message() << x << " " << y);
        ORange range = Span(x, y);
        const OOffset set = x == -1 ? y : x;
        EXPECT_TRUE(range.OneEnded());
        EXPECT_TRUE(range.IsEmpty());
        EXPECT_EQ(range.Length(), 0);
        std::uint32_t bg = 7;
        EXPECT_EQ(range.Contains(set, &bg) + range.Contains(-1), 0);
        EXPECT_EQ(bg, 7u);
        EXPECT_FALSE(range.Overlaps(kMin, kMax));
        EXPECT_FALSE(range.Overlaps(set, set));
        EXPECT_EQ(range.ToText(), "");
        range.Shift(3);
        EXPECT_EQ(At(range), Position(x, y, 0));
        EXPECT_FALSE(range.SamePosition(ORange()));
        ORange copy;
        copy.CopyPosition(range);
        EXPECT_TRUE(copy.SamePosition(range));
        // The file shrinking to or below its end takes the end away.
        EXPECT_TRUE(range.ClipTo(set + 1));
        EXPECT_EQ(At(range), Position(x, y, 0));
        EXPECT_FALSE(range.ClipTo(set));
        EXPECT_FALSE(range.OneEnded());
        EXPECT_EQ(At(range), Position(-1, -1, 0));
    }
    EXPECT_FALSE(ORange().OneEnded());
    EXPECT_FALSE(Span(3, 4).OneEnded());
    EXPECT_FALSE(Span(-5, 3).OneEnded()); // a negative begin is not an unset one
    // Setting the other end makes it a range.
    ORange range = Span(9, -1);
    EXPECT_EQ(range.Set(range.Begin(), 4), 6);
    EXPECT_EQ(At(range), Position(4, 9, 6));
}

TEST(ORange, ContainsMarksTheLastByteAndOverlapsIsHalfOpen) {
    ORange range(0x123, 0x456);
    range.Set(10, 13);
    std::uint32_t bg = 0, fg = 0;
    EXPECT_EQ(range.Contains(13, &bg, &fg), 1);
    EXPECT_EQ(std::pair(bg, fg), std::pair(0x123u, 0x456u));
    EXPECT_EQ(range.Contains(10), 2);
    EXPECT_EQ(range.Contains(14) + range.Contains(9), 0);
    bg = 7;
    EXPECT_EQ(ORange().Contains(-1, &bg), 0);
    EXPECT_EQ(bg, 7u);
    const std::pair<OOffset, OOffset> overlapping[] = {{0, 11}, {12, 14}, {13, 30}, {kMin, kMax}};
    for (const auto& [from, to] : overlapping)
        EXPECT_TRUE(range.Overlaps(from, to)) << from << " " << to;
    EXPECT_TRUE(range.Overlaps(12, 12)); // from inside, whatever to is
    EXPECT_FALSE(range.Overlaps(0, 10));
    EXPECT_FALSE(range.Overlaps(14, 30));
    EXPECT_FALSE(ORange().Overlaps(kMin, kMax));
}

TEST(ORange, ShiftAndClipStopAtTheLimits) {
    ORange range = Span(10, 19);
    const std::pair<OOffset, Position> shifts[] = {{5, {15, 24, 10}},
                                                   {-15, {0, 9, 10}},
                                                   {kMax, {kMax - 9, kMax, 10}},
                                                   {kMin, {-10, -1, 10}},
                                                   {kMin, {kMin, kMin + 9, 10}}};
    for (const auto& [delta, position] : shifts) {
        range.Shift(delta);
        EXPECT_EQ(At(range), position) << delta;
    }
    ORange empty;
    empty.Shift(100);
    EXPECT_TRUE(empty.ClipTo(0));
    EXPECT_EQ(At(empty), Position(-1, -1, 0));
    // A range reaching past the size is cut; one starting there, or before
    // 0, goes.
    const std::tuple<Position, OOffset, bool, Position> clips[] = {
        {{10, 19, 10}, 100, true, {10, 19, 10}},
        {{10, 19, 10}, 15, true, {10, 14, 5}},
        {{10, 19, 10}, 10, false, {-1, -1, 0}},
        {{kMax - 1, kMax, 2}, kMax, true, {kMax - 1, kMax - 1, 1}},
        {{5, 6, 2}, kMin, false, {-1, -1, 0}},
        {{-5, 6, 12}, 0, false, {-1, -1, 0}}};
    for (const auto& [from, size, kept, to] : clips) {
        range = Span(std::get<0>(from), std::get<1>(from));
        EXPECT_EQ(range.ClipTo(size), kept) << size;
        EXPECT_EQ(At(range), to) << size;
    }
}

TEST(ORange, LabelsAndTexts) {
    EXPECT_EQ(Span(0x100, 0x10F, "head").Label(), "0010[0100-010F]head\n");
    EXPECT_EQ(Span(0x100, 0x100).Label(), "[0100]\n");
    EXPECT_EQ(Span(0xFFFF, 0x10000, "x").Label(), "0002[FFFF-00010000]x\n");
    EXPECT_EQ(Span(0, OOffset{1} << 32).Label(), "00000001'00000001[0000-00000001'00000000]\n");
    EXPECT_EQ(Span(kMax, kMax).Label(), "[7FFFFFFF'FFFFFFFF]\n");
    // Default colours and empty titles are left out of the text.
    EXPECT_EQ(ORange().ToText(), "");
    EXPECT_EQ(Span(0x10, 0x1F, "abc").ToText(), "0x10,0x1F,,,abc");
    EXPECT_EQ(Span(0x10, 0x1F).ToText(), "0x10,0x1F,,");
    ORange coloured(0xFF, 0xFFFFFF, " a, b ");
    coloured.Set(0, kMax - 1);
    EXPECT_EQ(coloured.ToText(), "0x0,0x7FFFFFFFFFFFFFFE,0x0000FF,0xFFFFFF, a, b ");
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
    EXPECT_EQ(copy.Title(), "a, b"); // blanks around a title do not survive
}

// Fields: begin and end in C notation, either order; colours; the title is
// everything after the fourth comma. Anything unreadable gives an empty
// range with the default colours.
TEST(ORange, FromTextReadsItsFieldsOrNothing) {
    struct Case {
        const char* text;
        Position position;
        std::uint32_t background, foreground;
        const char* title;
    };
    const std::uint32_t bg = kMarkerBackground, fg = kMarkerForeground;
    const Case cases[] = {
        {"0x10,0x1F,0x0000FF,,x", {0x10, 0x1F, 16}, 0xFF, fg, "x"},
        {"0x10,0x1F,0x1,0x2", {0x10, 0x1F, 16}, 1, 2, ""},
        {"  32 , 16 ,junk,0x1 z,  a, b,c  ", {16, 32, 17}, bg, 1, "a, b,c"},
        {"+0X1f,-0x2", {-2, 31, 34}, bg, fg, ""},
        {"0x7FFFFFFFFFFFFFFF,0x7FFFFFFFFFFFFFFF,,", {kMax, kMax, 1}, bg, fg, ""},
        {"-0x8000000000000000,-9223372036854775807", {kMin, kMin + 1, 2}, bg, fg, ""},
        {"0x0,9223372036854775807", {0, kMax - 1, kMax}, bg, fg, ""}};
    for (const Case& c : cases) {
        ORange range(1, 2, "old");
        range.FromText(c.text);
        EXPECT_EQ(At(range), c.position) << c.text;
        EXPECT_EQ(std::tuple(range.Background(), range.Foreground(), range.Title()),
                  std::tuple(c.background, c.foreground, std::string(c.title)))
            << c.text;
    }
    for (const char* text : {"", ",5,,,t", "0x10", "0x10,", "0x,5", "1x,5", "5,0x8000000000000000",
                             "5,9223372036854775808", "-1,5,0x1,0x2,t", "0x10,0x1G"}) {
        ORange range(1, 2, "old");
        range.Set(1, 2);
        range.FromText(text);
        EXPECT_EQ(At(range), Position(-1, -1, 0)) << text;
        EXPECT_EQ(std::tuple(range.Background(), range.Foreground(), range.Title()),
                  std::tuple(bg, fg, std::string()))
            << text;
    }
}

// Extending a selection says its size in the status bar; clearing its
// anchor says "Ready"; near 2^63 nothing overflows.
TEST(OSelection, ExtendToAndClearAnchorShowStatus) {
    OScriptedPlatform platform;
    OSelection selection;
    EXPECT_EQ(selection.Anchor(), -1);
    EXPECT_EQ(selection.ExtendTo(20, 100), 1);
    EXPECT_EQ(selection.Anchor(), 20);
    EXPECT_EQ(selection.ExtendTo(10, 100), 11);
    EXPECT_EQ(At(selection), Position(10, 20, 11));
    EXPECT_EQ(selection.ExtendTo(0x10013, 0x10000), 0x10013 - 20 + 1);
    const OOffset big = OOffset{5} << 30;
    EXPECT_EQ(selection.ExtendTo(big + 19, big), big);
    EXPECT_TRUE(selection.ClearAnchor());
    EXPECT_FALSE(selection.ClearAnchor());
    EXPECT_EQ(selection.Length(), big); // the selection itself stays
    selection.ExtendTo(0, kMax);
    EXPECT_EQ(selection.ExtendTo(kMax, kMax), kMax);
    EXPECT_EQ(At(selection), Position(0, kMax - 1, kMax));
    EXPECT_EQ(
        platform.StatusHistory(),
        (std::vector<std::string>{"Size of selection: 1 (0001)", "Size of selection: 11 (000B)",
                                  "Size of selection: 65536 (00010000)",
                                  "Size of selection: 5368709120 (00000001'40000000)", "Ready",
                                  "Ready", "Size of selection: 1 (00000000'00000001)",
                                  "Size of selection: 9223372036854775807 "
                                  "(7FFFFFFF'FFFFFFFF)"}));
}
