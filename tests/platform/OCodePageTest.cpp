#include "platform/OCodePage.h"

#include <gtest/gtest.h>
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

} // namespace

// That both pages map 256 bytes to 256 characters and back, the round trip
// through UTF-8 below shows. Code page 437 shows glyphs for the control
// bytes, so the controls themselves have no byte; in Windows-1252 the five
// unassigned bytes stand for themselves and the other C1 controls have no
// byte, their places holding typographic marks.
TEST(OCodePage, TablesHoldTheirGlyphs) {
    for (int b = 0; b < 256; ++b) {
        if (b >= 0x20 && b < 0x7F) {
            EXPECT_EQ(OemToUnicode(OByte(b)), char32_t(b));
        }
        if (b < 0x80 || b >= 0xA0) {
            EXPECT_EQ(AnsiToUnicode(OByte(b)), char32_t(b));
        }
    }
    const std::pair<int, char32_t> oemGlyphs[] = {
        {0x00, 0},    {0x01, U'☺'}, {0x0A, U'◙'}, {0x15, U'§'}, {0x1F, U'▼'}, {0x7F, U'⌂'},
        {0x80, U'Ç'}, {0x9E, U'₧'}, {0x9F, U'ƒ'}, {0xB0, U'░'}, {0xC4, U'─'}, {0xDB, U'█'},
        {0xE1, U'ß'}, {0xE6, U'µ'}, {0xF8, U'°'}, {0xFA, U'·'}, {0xFE, U'■'}, {0xFF, U'\u00A0'}};
    for (const auto& [b, c] : oemGlyphs)
        EXPECT_EQ(OemToUnicode(OByte(b)), c) << "byte " << b;
    const std::pair<int, char32_t> ansiGlyphs[] = {
        {0x80, U'€'}, {0x8A, U'Š'}, {0x8C, U'Œ'}, {0x93, U'“'}, {0x99, U'™'}, {0x9F, U'Ÿ'},
        {0x81, 0x81}, {0x8D, 0x8D}, {0x8F, 0x8F}, {0x90, 0x90}, {0x9D, 0x9D}};
    for (const auto& [b, c] : ansiGlyphs)
        EXPECT_EQ(AnsiToUnicode(OByte(b)), c) << "byte " << b;
    for (char32_t c : {char32_t(U'\n'), char32_t(0x7F), char32_t(U'€')})
        EXPECT_EQ(UnicodeToOem(c), -1);
    for (char32_t c :
         {char32_t(0x80), char32_t(0x9F), char32_t(0x100), char32_t(U'☺'), char32_t(0x10FFFF)})
        EXPECT_EQ(UnicodeToAnsi(c), -1);
}

// Windows-1252 upper case: a-z, à-þ but ÷, and š œ ž ÿ; µ and ß have none.
TEST(OCodePage, AnsiUpper) {
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const OByte upper = AnsiUpper(OByte(b));
        if (upper != b) ++changed;
        EXPECT_EQ(AnsiUpper(upper), upper) << "byte " << b;
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
            EXPECT_EQ(upper, b - 0x20) << "byte " << b;
        }
    }
    EXPECT_EQ(changed, 26 + 30 + 4);
    const std::pair<int, int> cases[] = {{0xF7, 0xF7}, {0xB5, 0xB5}, {0xDF, 0xDF}, {0x9A, 0x8A},
                                         {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (const auto& [b, upper] : cases)
        EXPECT_EQ(AnsiUpper(OByte(b)), upper) << "byte " << b;
}

// Between the pages: the same character where there is one, else a best
// fit ('-' and '+' for box lines, 'a' for alpha) or '?'; where the
// conversion is exact it undoes the other way.
TEST(OCodePage, OemToAnsiAndBack) {
    const std::pair<int, int> toAnsi[] = {
        {0x0A, 0x0A}, {0x07, 0x07}, {0x7F, 0x7F}, {0x80, 0xC7}, {0x81, 0xFC}, {0x9F, 0x83},
        {0xE1, 0xDF}, {0xFF, 0xA0}, {0xC4, '-'},  {0xCD, '-'},  {0xB3, '|'},  {0xC5, '+'},
        {0xC9, '+'},  {0xE0, 'a'},  {0xE4, 'S'},  {0xB0, '?'},  {0xF9, '?'}};
    for (const auto& [oem, ansi] : toAnsi)
        EXPECT_EQ(OemToAnsi(OByte(oem)), ansi) << "byte " << oem;
    const std::pair<int, int> toOem[] = {{0x0D, 0x0D}, {0x7F, 0x7F}, {0xC7, 0x80}, {0xA0, 0xFF},
                                         {0xA7, 0x15}, {0xC0, 'A'},  {0x8A, 'S'},  {0x93, '"'},
                                         {0x96, '-'},  {0x80, '?'},  {0x81, '?'}};
    for (const auto& [ansi, oem] : toOem)
        EXPECT_EQ(AnsiToOem(OByte(ansi)), oem) << "byte " << ansi;
    for (int b = 0; b < 256; ++b) {
        const OByte ansi = OemToAnsi(OByte(b));
        if (b >= 0x20 && b < 0x7F) {
            EXPECT_EQ(ansi, b);
            EXPECT_EQ(AnsiToOem(OByte(b)), b);
        }
        if (b < 0x20 || b == 0x7F || AnsiToUnicode(ansi) == OemToUnicode(OByte(b))) {
            EXPECT_EQ(AnsiToOem(ansi), b) << "byte " << b;
        }
    }
}

TEST(OCodePage, Utf8RoundTripsEveryByteAndSaysWhatItLost) {
    for (bool oem : {false, true}) {
        bool lossy = true;
        EXPECT_EQ(Utf8ToBytes(BytesToUtf8(AllBytes(), oem), oem, &lossy), AllBytes());
        EXPECT_FALSE(lossy);
    }
    EXPECT_EQ(BytesToUtf8(std::vector<OByte>{0x01, 'A', 0xDB, 0xFF, 0x00}, true),
              std::string("☺A█\u00A0") + '\0');
    EXPECT_EQ(BytesToUtf8(std::vector<OByte>{0x80, 0xE9, 'A', 0x0A, 0x81}, false), "€éA\n\u0081");
    EXPECT_EQ(BytesToUtf8({}, false), "");
    struct Case {
        std::string_view utf8;
        bool oem;
        std::string_view bytes;
        bool lossy;
    };
    // Line breaks and tabs keep their bytes in the OEM page too; a character
    // past the basic plane is one character, one '?'.
    const Case cases[] = {{"héllo €", false, "h\xE9llo \x80", false},
                          {"héllo", true, "h\x82llo", false},
                          {"a\r\n\tb\x7F", true, "a\r\n\tb\x7F", false},
                          {"a\0b"sv, false, "a\0b"sv, false},
                          {"x日y", false, "x?y", true},
                          {"☺", false, "?", true},
                          {"€", true, "?", true},
                          {"\U0001F600", false, "?", true},
                          {"\xFF\xFF", true, "??", true}};
    for (const Case& c : cases) {
        bool lossy = !c.lossy;
        EXPECT_EQ(Utf8ToBytes(c.utf8, c.oem, &lossy), Bytes(c.bytes)) << c.utf8;
        EXPECT_EQ(lossy, c.lossy) << c.utf8;
    }
    EXPECT_EQ(Utf8ToBytes("a", false), Bytes("a"));
}

TEST(OCodePage, MalformedUtf8BecomesOneQuestionMarkPerByte) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"\xC3", "?"},                      // truncated at the end
        {"A\xC3(", "A?("},                  // truncated before ASCII
        {"\x80", "?"},                      // lone continuation
        {"\xC0\xAF", "??"},                 // overlong '/'
        {"\xE0\x80\xAF", "???"},            // overlong three-byte form
        {"\xF0\x80\x80\xAF", "????"},       // overlong four-byte form
        {"\xED\xA0\x80", "???"},            // surrogate
        {"\xF4\x90\x80\x80", "????"},       // past U+10FFFF
        {"\xF5\x80\x80\x80", "????"},       // invalid lead
        {"\xE2\x82", "??"},                 // truncated three-byte form
        {"\xE2\x82\xAC\xE2\x82", "\x80??"}, // a good one, then a truncated one
        {"\xF0\x9F\x98", "???"},            // truncated four-byte form
        {"\xE2(\xAC", "?(?"},               // broken by ASCII
    };
    for (const auto& [input, expected] : cases) {
        bool lossy = false;
        EXPECT_EQ(Utf8ToBytes(input, false, &lossy), Bytes(expected))
            << "input length " << input.size();
        EXPECT_TRUE(lossy);
    }
}
