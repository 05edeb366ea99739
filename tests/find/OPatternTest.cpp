#include "find/OPattern.h"

#include "find/OMatcher.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

OPattern Parse(std::string_view text) {
    const std::vector<OByte> bytes(text.begin(), text.end());
    return ParsePattern(bytes);
}

// The pattern as hex bytes with "??" for wildcards, for compact expectations.
std::string Shown(std::string_view text) {
    return PatternDisplayText(Parse(text));
}

} // namespace

TEST(OPattern, Escapes) {
    const std::pair<const char*, const char*> cases[] = {
        {"AB\\?D", "41 42 ?? 44"},
        {"\\\\", "5C"},
        {"\\\\?", "5C 3F"}, // the escaped backslash does not escape '?'
        {"\\4", "04"},
        {"\\4x", "04 78"},
        {"\\41F", "41 46"}, // two digits at most
        {"\\fF\\aB", "FF AB"},
        {"\\G1", "5C 47 31"},
        {"ab\\", "61 62 5C"},
        {"\\\\\\", "5C 5C"},
        {"?", "3F"},
        {"", ""}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(Shown(text), shown) << text;
    EXPECT_TRUE(Parse("").Empty());
}

TEST(OPattern, CutAt127Bytes) {
    EXPECT_EQ(Parse(std::string(200, 'A')).length, 127);
    std::string escapes;
    for (int i = 0; i < 200; ++i)
        escapes += "\\00";
    EXPECT_EQ(Parse(escapes).length, 127);
    // An escape that would make byte 128 is not read at all.
    const OPattern edge = Parse(std::string(126, 'A') + "\\42\\43");
    ASSERT_EQ(edge.length, 127);
    EXPECT_EQ(edge.bytes[126], 0x42);
    EXPECT_FALSE(edge.wildcard[126]);

    // A 10,000-character text of random escapes stays inside the arrays.
    std::mt19937 rng(7);
    const std::string pieces[] = {"\\", "\\\\", "\\?", "\\4", "\\41", "x", "\\g"};
    std::string text;
    while (text.size() < 10000)
        text += pieces[rng() % std::size(pieces)];
    const OPattern cut = Parse(text);
    EXPECT_EQ(cut.length, 127);
}

TEST(OPattern, WildcardsOnlyOrEmptyPrepareNothing) {
    OMatcher matcher;
    const OPattern wild = Parse("\\?\\?\\?");
    EXPECT_TRUE(wild.AllWildcards());
    EXPECT_FALSE(matcher.Prepare(wild, false, false));
    EXPECT_EQ(matcher.Length(), 0);
    const OByte buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(matcher.SearchForward(buffer, 4), -1);
    EXPECT_EQ(matcher.SearchBackward(buffer, 4), -1);

    const OPattern empty = Parse("");
    EXPECT_TRUE(empty.AllWildcards());
    EXPECT_FALSE(matcher.Prepare(empty, true, false));
    EXPECT_FALSE(Parse("\\?a\\?").AllWildcards());
    EXPECT_TRUE(matcher.Prepare(Parse("\\?a\\?"), true, false));
    EXPECT_EQ(matcher.Length(), 3);
}

TEST(OPattern, EscapeTextRoundTrips) {
    EXPECT_EQ(EscapePatternText(std::vector<OByte>{0x41, 0x5C, 0x00, 0xFF}), "A\\\\\\00\\FF");
    EXPECT_EQ(EscapePatternText(std::vector<OByte>{0x1F, 0x20, 0x7E, 0x7F}), "\\1F ~\\7F");
    EXPECT_EQ(EscapePatternText({}), "");

    // Every byte value survives the escape and the parse.
    for (int start = 0; start < 256; start += 100) {
        std::vector<OByte> bytes;
        for (int b = start; b < std::min(256, start + 100); ++b)
            bytes.push_back(OByte(b));
        const std::string text = EscapePatternText(bytes);
        const OPattern back = Parse(text);
        ASSERT_EQ(back.length, static_cast<int>(bytes.size()));
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            EXPECT_EQ(back.bytes[i], bytes[i]);
            EXPECT_FALSE(back.wildcard[i]);
        }
    }
}

TEST(OPattern, DisplayTextAndWildcardByte) {
    EXPECT_EQ(PatternDisplayText(Parse("\\00\\?\\FFz")), "00 ?? FF 7A");

    EXPECT_EQ(ChooseWildcardByte(Parse("\\?"), nullptr), 0);
    EXPECT_EQ(ChooseWildcardByte(Parse("\\00\\01\\?\\03"), nullptr), 2);
    const OPattern replacement = Parse("\\02\\?");
    EXPECT_EQ(ChooseWildcardByte(Parse("\\00\\01\\?\\03"), &replacement), 4);
    // Wildcard positions carry no value of their own.
    const OPattern wild = Parse("\\?\\?");
    EXPECT_EQ(ChooseWildcardByte(Parse("\\01"), &wild), 0);

    // 254 literal bytes between the two leave only the top values free.
    std::string low, high;
    for (int b = 0; b < 127; ++b) {
        low += "\\" + std::string(1, "0123456789ABCDEF"[b / 16]) + "0123456789ABCDEF"[b % 16];
        const int h = b + 127;
        high += "\\" + std::string(1, "0123456789ABCDEF"[h / 16]) + "0123456789ABCDEF"[h % 16];
    }
    const OPattern highPattern = Parse(high);
    EXPECT_EQ(ChooseWildcardByte(Parse(low), &highPattern), 254);
}

TEST(OPattern, TextBytesThroughTheTextPanesCodePage) {
    using V = std::vector<OByte>;
    EXPECT_EQ(PatternTextBytes("A\\?", false), (V{0x41, 0x5C, 0x3F}));
    EXPECT_EQ(PatternTextBytes("caf\xC3\xA9", false), (V{'c', 'a', 'f', 0xE9}));    // Windows-1252
    EXPECT_EQ(PatternTextBytes("\xE2\x82\xAC\xE2\x94\x80", false), (V{0x80, '?'})); // €, ─
    EXPECT_EQ(PatternTextBytes("\xC3\xA9", true), (V{0x82}));    // é in code page 437
    EXPECT_EQ(PatternTextBytes("\xE2\x82\xAC", true), (V{'?'})); // € has no byte
    EXPECT_EQ(PatternTextBytes("", true), V{});
    // The escapes apply to the converted bytes.
    EXPECT_EQ(PatternDisplayText(ParsePattern(PatternTextBytes("\xC3\xA9\\41", true))), "82 41");
}
