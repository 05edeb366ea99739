#include "platform/OCodePage.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace std::string_view_literals;

namespace {

std::vector<OByte> AllBytes() {
    std::vector<OByte> bytes(256);
    for (int b = 0; b < 256; ++b)
        bytes[b] = OByte(b);
    return bytes;
}

std::vector<OByte> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<OByte> Converted(std::string_view utf8, bool oem, bool* lossy = nullptr) {
    return Utf8ToBytes(utf8, oem, lossy);
}

} // namespace

TEST(OCodePage, OemTableIsBijective) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = OemToUnicode(OByte(b));
        seen.insert(c);
        EXPECT_EQ(UnicodeToOem(c), b) << "byte " << b;
    }
    EXPECT_EQ(seen.size(), 256u);
}

TEST(OCodePage, AnsiTableIsBijective) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = AnsiToUnicode(OByte(b));
        seen.insert(c);
        EXPECT_EQ(UnicodeToAnsi(c), b) << "byte " << b;
    }
    EXPECT_EQ(seen.size(), 256u);
}

TEST(OCodePage, OemGlyphsAndSpotChecks) {
    const char32_t low[32] = {0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                              0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                              0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                              0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
    for (int b = 0; b < 32; ++b)
        EXPECT_EQ(OemToUnicode(OByte(b)), low[b]) << "byte " << b;
    for (int b = 0x20; b < 0x7F; ++b)
        EXPECT_EQ(OemToUnicode(OByte(b)), char32_t(b));
    EXPECT_EQ(OemToUnicode(0x7F), U'⌂');
    EXPECT_EQ(OemToUnicode(0x80), U'Ç');
    EXPECT_EQ(OemToUnicode(0x9B), U'¢');
    EXPECT_EQ(OemToUnicode(0x9C), U'£');
    EXPECT_EQ(OemToUnicode(0x9D), U'¥');
    EXPECT_EQ(OemToUnicode(0x9E), U'₧');
    EXPECT_EQ(OemToUnicode(0x9F), U'ƒ');
    EXPECT_EQ(OemToUnicode(0xB0), U'░');
    EXPECT_EQ(OemToUnicode(0xC4), U'─');
    EXPECT_EQ(OemToUnicode(0xDB), U'█');
    EXPECT_EQ(OemToUnicode(0xE1), U'ß');
    EXPECT_EQ(OemToUnicode(0xE6), U'µ');
    EXPECT_EQ(OemToUnicode(0xF8), U'°');
    EXPECT_EQ(OemToUnicode(0xFA), U'·');
    EXPECT_EQ(OemToUnicode(0xFE), U'■');
    EXPECT_EQ(OemToUnicode(0xFF), U'\u00A0');
    // The controls' bytes are glyphs, so the controls themselves have none.
    EXPECT_EQ(UnicodeToOem(U'\n'), -1);
    EXPECT_EQ(UnicodeToOem(0x7F), -1);
    EXPECT_EQ(UnicodeToOem(U'€'), -1);
    EXPECT_EQ(UnicodeToOem(U'☺'), 0x01);
}

TEST(OCodePage, AnsiSpotChecks) {
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(AnsiToUnicode(OByte(b)), char32_t(b));
    for (int b = 0xA0; b < 0x100; ++b)
        EXPECT_EQ(AnsiToUnicode(OByte(b)), char32_t(b));
    EXPECT_EQ(AnsiToUnicode(0x80), U'€');
    EXPECT_EQ(AnsiToUnicode(0x8A), U'Š');
    EXPECT_EQ(AnsiToUnicode(0x8C), U'Œ');
    EXPECT_EQ(AnsiToUnicode(0x93), U'“');
    EXPECT_EQ(AnsiToUnicode(0x99), U'™');
    EXPECT_EQ(AnsiToUnicode(0x9F), U'Ÿ');
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(AnsiToUnicode(OByte(b)), char32_t(b)) << "byte " << b;
    // The other C1 controls have no byte: theirs hold typographic characters.
    EXPECT_EQ(UnicodeToAnsi(0x80), -1);
    EXPECT_EQ(UnicodeToAnsi(0x9F), -1);
    EXPECT_EQ(UnicodeToAnsi(0x0100), -1);
    EXPECT_EQ(UnicodeToAnsi(U'☺'), -1);
    EXPECT_EQ(UnicodeToAnsi(0x10FFFF), -1);
}

TEST(OCodePage, AnsiUpper) {
    for (int b = 'a'; b <= 'z'; ++b)
        EXPECT_EQ(AnsiUpper(OByte(b)), b - 0x20);
    for (int b = 0xE0; b <= 0xFE; ++b) {
        if (b == 0xF7) continue;
        EXPECT_EQ(AnsiUpper(OByte(b)), b - 0x20) << "byte " << b;
    }
    EXPECT_EQ(AnsiUpper(0xE0), 0xC0); // à
    EXPECT_EQ(AnsiUpper(0xFE), 0xDE); // þ
    EXPECT_EQ(AnsiUpper(0xF7), 0xF7); // ÷
    EXPECT_EQ(AnsiUpper(0xB5), 0xB5); // µ
    EXPECT_EQ(AnsiUpper(0xDF), 0xDF); // ß
    EXPECT_EQ(AnsiUpper(0x9A), 0x8A); // š
    EXPECT_EQ(AnsiUpper(0x9C), 0x8C); // œ
    EXPECT_EQ(AnsiUpper(0x9E), 0x8E); // ž
    EXPECT_EQ(AnsiUpper(0xFF), 0x9F); // ÿ
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const OByte upper = AnsiUpper(OByte(b));
        if (upper != b) ++changed;
        EXPECT_EQ(AnsiUpper(upper), upper) << "byte " << b;
    }
    EXPECT_EQ(changed, 26 + 30 + 4);
}

TEST(OCodePage, OemToAnsi) {
    for (int b = 0x20; b < 0x7F; ++b)
        EXPECT_EQ(OemToAnsi(OByte(b)), b);
    EXPECT_EQ(OemToAnsi(0x0A), 0x0A);
    EXPECT_EQ(OemToAnsi(0x07), 0x07);
    EXPECT_EQ(OemToAnsi(0x7F), 0x7F);
    EXPECT_EQ(OemToAnsi(0x80), 0xC7); // Ç
    EXPECT_EQ(OemToAnsi(0x81), 0xFC); // ü
    EXPECT_EQ(OemToAnsi(0x9F), 0x83); // ƒ
    EXPECT_EQ(OemToAnsi(0xE1), 0xDF); // ß
    EXPECT_EQ(OemToAnsi(0xFF), 0xA0);
    EXPECT_EQ(OemToAnsi(0xC4), '-');
    EXPECT_EQ(OemToAnsi(0xCD), '-');
    EXPECT_EQ(OemToAnsi(0xB3), '|');
    EXPECT_EQ(OemToAnsi(0xC5), '+');
    EXPECT_EQ(OemToAnsi(0xC9), '+');
    EXPECT_EQ(OemToAnsi(0xE0), 'a'); // α
    EXPECT_EQ(OemToAnsi(0xE4), 'S'); // Σ
    EXPECT_EQ(OemToAnsi(0xB0), '?');
    EXPECT_EQ(OemToAnsi(0xF9), '?');
}

TEST(OCodePage, AnsiToOem) {
    for (int b = 0x20; b < 0x7F; ++b)
        EXPECT_EQ(AnsiToOem(OByte(b)), b);
    EXPECT_EQ(AnsiToOem(0x0D), 0x0D);
    EXPECT_EQ(AnsiToOem(0x7F), 0x7F);
    EXPECT_EQ(AnsiToOem(0xC7), 0x80);
    EXPECT_EQ(AnsiToOem(0xA0), 0xFF);
    EXPECT_EQ(AnsiToOem(0xA7), 0x15); // § is a glyph of the control range
    EXPECT_EQ(AnsiToOem(0xC0), 'A');
    EXPECT_EQ(AnsiToOem(0x8A), 'S');
    EXPECT_EQ(AnsiToOem(0x93), '"');
    EXPECT_EQ(AnsiToOem(0x96), '-');
    EXPECT_EQ(AnsiToOem(0x80), '?');
    EXPECT_EQ(AnsiToOem(0x81), '?');
    // Where the conversion is exact, it undoes the other way.
    for (int b = 0; b < 256; ++b) {
        const OByte ansi = OemToAnsi(OByte(b));
        if (b < 0x20 || b == 0x7F || AnsiToUnicode(ansi) == OemToUnicode(OByte(b))) {
            EXPECT_EQ(AnsiToOem(ansi), b) << "byte " << b;
        }
    }
}

TEST(OCodePage, BytesToUtf8) {
    const std::vector<OByte> oem = {0x01, 'A', 0xDB, 0xFF, 0x00};
    EXPECT_EQ(BytesToUtf8(oem, true), std::string("☺A█\u00A0") + '\0');
    const std::vector<OByte> ansi = {0x80, 0xE9, 'A', 0x0A, 0x81};
    EXPECT_EQ(BytesToUtf8(ansi, false), "€éA\n\u0081");
    EXPECT_EQ(BytesToUtf8({}, false), "");
}

TEST(OCodePage, Utf8RoundTripsEveryByte) {
    for (bool oem : {false, true}) {
        bool lossy = true;
        EXPECT_EQ(Utf8ToBytes(BytesToUtf8(AllBytes(), oem), oem, &lossy), AllBytes());
        EXPECT_FALSE(lossy);
    }
}

TEST(OCodePage, Utf8ToBytes) {
    bool lossy = true;
    EXPECT_EQ(Converted("héllo €", false, &lossy), Bytes("h\xE9llo \x80"));
    EXPECT_FALSE(lossy);
    EXPECT_EQ(Converted("héllo", true, &lossy), Bytes("h\x82llo"));
    EXPECT_FALSE(lossy);
    // Line breaks and tabs keep their bytes in the OEM page too.
    EXPECT_EQ(Converted("a\r\n\tb\x7F", true, &lossy), Bytes("a\r\n\tb\x7F"));
    EXPECT_FALSE(lossy);
    EXPECT_EQ(Converted("a\0b"sv, false, &lossy), Bytes("a\0b"sv));
    EXPECT_FALSE(lossy);

    EXPECT_EQ(Converted("x日y", false, &lossy), Bytes("x?y"));
    EXPECT_TRUE(lossy);
    EXPECT_EQ(Converted("☺", false, &lossy), Bytes("?"));
    EXPECT_TRUE(lossy);
    EXPECT_EQ(Converted("€", true, &lossy), Bytes("?"));
    EXPECT_TRUE(lossy);
    // A character past the basic plane is one character, one '?'.
    EXPECT_EQ(Converted("\U0001F600", false, &lossy), Bytes("?"));
    EXPECT_TRUE(lossy);
    EXPECT_EQ(Converted("a", false), Bytes("a"));
}

TEST(OCodePage, MalformedUtf8BecomesOneQuestionMarkPerByte) {
    struct Case {
        std::string_view input;
        std::string_view expected;
    };
    const Case cases[] = {
        {"\xC3", "?"},                      // truncated at the end
        {"A\xC3(", "A?("},                  // truncated before ASCII
        {"\x80", "?"},                      // lone continuation
        {"\xBF\xBF", "??"},                 // continuations only
        {"\xC0\xAF", "??"},                 // overlong '/'
        {"\xC1\xBF", "??"},                 // overlong
        {"\xE0\x80\xAF", "???"},            // overlong three-byte form
        {"\xF0\x80\x80\xAF", "????"},       // overlong four-byte form
        {"\xED\xA0\x80", "???"},            // surrogate
        {"\xF4\x90\x80\x80", "????"},       // past U+10FFFF
        {"\xF5\x80\x80\x80", "????"},       // invalid lead
        {"\xFE\xFF", "??"},                 // never in UTF-8
        {"\xE2\x82", "??"},                 // truncated three-byte form
        {"\xE2\x82\xAC\xE2\x82", "\x80??"}, // a good one, then a truncated one
        {"\xF0\x9F\x98", "???"},            // truncated four-byte form
        {"\xC3\xA9\xC3", "\xE9?"},          // good, then a lone lead
        {"\xE2(\xAC", "?(?"},               // broken by ASCII
    };
    for (const Case& c : cases) {
        bool lossy = false;
        EXPECT_EQ(Converted(c.input, false, &lossy), Bytes(c.expected))
            << "input length " << c.input.size();
        EXPECT_TRUE(lossy);
    }
    bool lossy = false;
    EXPECT_EQ(Converted("\xFF\xFF", true, &lossy), Bytes("??"));
    EXPECT_TRUE(lossy);
}
