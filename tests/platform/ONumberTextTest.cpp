#include "platform/OOffsetFormat.h"
#include "platform/OParseNumber.h"
#include "platform/OScriptedPlatform.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr OOffset k4G = OOffset{1} << 32;

OffsetFormat FormatOfClass(unsigned widthClass) {
    OffsetFormat format;
    // The smallest length of each class selects it.
    format.SetWidthClass(widthClass == 2 ? 0 : widthClass == 4 ? 0x10000 : k4G);
    EXPECT_EQ(format.WidthClass(), widthClass);
    return format;
}

struct Parsed {
    bool ok;
    OParsedNumber number;
    std::vector<OScriptedPlatform::Message> messages;
};

Parsed Parse(std::string_view text, bool hex) {
    OScriptedPlatform platform;
    Parsed result{};
    result.ok = ParseNumber(text, hex, result.number);
    result.messages = platform.Messages();
    return result;
}

// Fails with exactly one message of the given text.
void ExpectRejected(std::string_view text, bool hex, const std::string& message) {
    SCOPED_TRACE(std::string(text));
    const Parsed parsed = Parse(text, hex);
    EXPECT_FALSE(parsed.ok);
    ASSERT_EQ(parsed.messages.size(), 1u);
    EXPECT_EQ(parsed.messages[0].text, message);
    EXPECT_EQ(parsed.messages[0].buttons, OButtons::Ok);
    EXPECT_EQ(parsed.messages[0].icon, OIcon::Stop);
}

void ExpectAccepted(std::string_view text, bool hex, OOffset value, char sign = 0) {
    SCOPED_TRACE(std::string(text));
    const Parsed parsed = Parse(text, hex);
    EXPECT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.messages.empty());
    EXPECT_EQ(parsed.number.value, value);
    EXPECT_EQ(parsed.number.sign, sign);
}

} // namespace

TEST(OffsetFormat, WidthClassesAndTheirTexts) {
    const std::pair<OOffset, unsigned> classes[] = {
        {-1, 2}, {0, 2}, {65535, 2}, {65536, 4}, {k4G - 1, 4}, {k4G, 8}, {INT64_MAX, 8}};
    for (const auto& [length, widthClass] : classes)
        EXPECT_EQ(OffsetFormat::ClassFor(length), widthClass) << length;
    const OffsetFormat c2 = FormatOfClass(2), c4 = FormatOfClass(4), c8 = FormatOfClass(8);
    // Hex per class; INT64_MIN has no positive counterpart and still formats.
    EXPECT_EQ(c2.Hex(0xABC), "0ABC");
    EXPECT_EQ(c2.Hex(-3), "-0003");
    EXPECT_EQ(c4.Hex(-100000), "-000186A0");
    EXPECT_EQ(c8.Hex(0), "00000000'00000000");
    EXPECT_EQ(c8.Hex(-5000000000), "-00000001'2A05F200");
    EXPECT_EQ(c8.Hex(INT64_MAX), "7FFFFFFF'FFFFFFFF");
    EXPECT_EQ(c8.Hex(INT64_MIN), "-80000000'00000000");
    EXPECT_EQ(c4.Hex(INT64_MIN).front(), '-');
    EXPECT_EQ(c2.Hex(INT64_MIN).front(), '-');
    // Decimal uses the low half below class 8.
    EXPECT_EQ(c2.Decimal(-7), "-7");
    EXPECT_EQ(c4.Decimal(0xFFFFFFFF), "-1");
    EXPECT_EQ(c4.Decimal(k4G + 5), "5");
    EXPECT_EQ(c8.Decimal(0xFFFFFFFF), "4294967295");
    EXPECT_EQ(c8.Decimal(INT64_MIN), "-9223372036854775808");
    // Message texts follow the magnitude.
    const std::pair<OOffset, const char*> messages[] = {{0, "0000"},
                                                        {65535, "FFFF"},
                                                        {65536, "00010000"},
                                                        {k4G - 1, "FFFFFFFF"},
                                                        {-1, "-0001"},
                                                        {-65536, "-00010000"},
                                                        {k4G, "00000001'00000000"},
                                                        {INT64_MIN, "-80000000'00000000"}};
    for (const auto& [value, text] : messages)
        EXPECT_EQ(MessageHex(value), text);
    EXPECT_EQ(GotoFieldText(255, true, 0), "FF");
    EXPECT_EQ(GotoFieldText(255, false, '+'), "+255");
    EXPECT_EQ(GotoFieldText(16, true, '-'), "-10");
    EXPECT_EQ(GotoFieldText(k4G, true, 0), "100000000");
    EXPECT_EQ(RecordWidthFieldText(16, true), "00000010");
    EXPECT_EQ(RecordWidthFieldText(16, false), "16");
}

TEST(ParseNumber, AcceptsDigitsAndSignOrSaysWhyNot) {
    ExpectAccepted("ff", true, 255);
    ExpectAccepted("FF", true, 255);
    ExpectAccepted("+10", false, 10, '+');
    ExpectAccepted("-200", false, 200, '-');
    ExpectAccepted("", false, 0);
    ExpectAccepted("+", true, 0, '+');
    ExpectAccepted("9223372036854775807", false, INT64_MAX);
    ExpectAccepted("7FFFFFFFFFFFFFFF", true, INT64_MAX);
    for (const char* text : {"0xff", "12'34", "12 34", "ff", "+-5"})
        ExpectRejected(text, std::string(text) == "0xff", "Invalid digit");
    ExpectRejected("9223372036854775808", false, "Number overflow");
    ExpectRejected("99999999999999999999", false, "Number overflow");
    ExpectRejected("8000000000000000", true, "Number overflow");
    ExpectRejected("-8000000000000000", true, "Number overflow");
}

TEST(ParseNumber, StoredOffset) {
    const std::pair<const char*, OOffset> cases[] = {{"0x1F", 31},
                                                     {"0X1f", 31},
                                                     {"-0x10", -16},
                                                     {"  42", 42},
                                                     {"\t7", 7},
                                                     {"12 tail", 12},
                                                     {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
                                                     {"-9223372036854775808", INT64_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseStoredOffset(text), value) << text;
    for (const char* bad : {"", "   ", "zz", "0x", "-", "12x", "9223372036854775808",
                            "0x8000000000000000", "-9223372036854775809"}) {
        EXPECT_EQ(ParseStoredOffset(bad), -1) << bad;
    }
}
