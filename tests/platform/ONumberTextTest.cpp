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

TEST(OffsetFormat, WidthClassBoundaries) {
    EXPECT_EQ(OffsetFormat::ClassFor(-1), 2u);
    EXPECT_EQ(OffsetFormat::ClassFor(0), 2u);
    EXPECT_EQ(OffsetFormat::ClassFor(65535), 2u);
    EXPECT_EQ(OffsetFormat::ClassFor(65536), 4u);
    EXPECT_EQ(OffsetFormat::ClassFor(k4G - 1), 4u);
    EXPECT_EQ(OffsetFormat::ClassFor(k4G), 8u);
    EXPECT_EQ(OffsetFormat::ClassFor(INT64_MAX), 8u);
}

TEST(OffsetFormat, HexPerClass) {
    const OffsetFormat c2 = FormatOfClass(2), c4 = FormatOfClass(4), c8 = FormatOfClass(8);
    EXPECT_EQ(c2.Hex(0), "0000");
    EXPECT_EQ(c2.Hex(0xABC), "0ABC");
    EXPECT_EQ(c2.Hex(-3), "-0003");
    EXPECT_EQ(c4.Hex(100000), "000186A0");
    EXPECT_EQ(c4.Hex(-100000), "-000186A0");
    EXPECT_EQ(c8.Hex(0), "00000000'00000000");
    EXPECT_EQ(c8.Hex(5000000000), "00000001'2A05F200");
    EXPECT_EQ(c8.Hex(-5000000000), "-00000001'2A05F200");
    EXPECT_EQ(c8.Hex(-1), "-00000000'00000001");
    EXPECT_EQ(c8.Hex(INT64_MAX), "7FFFFFFF'FFFFFFFF");
    // No positive counterpart exists; it must still format cleanly.
    EXPECT_EQ(c8.Hex(INT64_MIN), "-80000000'00000000");
    EXPECT_EQ(c4.Hex(INT64_MIN).front(), '-');
    EXPECT_EQ(c2.Hex(INT64_MIN).front(), '-');
}

TEST(OffsetFormat, DecimalUsesLowHalfBelowClass8) {
    const OffsetFormat c2 = FormatOfClass(2), c4 = FormatOfClass(4), c8 = FormatOfClass(8);
    EXPECT_EQ(c2.Decimal(1234), "1234");
    EXPECT_EQ(c2.Decimal(-7), "-7");
    EXPECT_EQ(c4.Decimal(0xFFFFFFFF), "-1");
    EXPECT_EQ(c4.Decimal(k4G + 5), "5");
    EXPECT_EQ(c8.Decimal(0xFFFFFFFF), "4294967295");
    EXPECT_EQ(c8.Decimal(-5000000000), "-5000000000");
    EXPECT_EQ(c8.Decimal(INT64_MIN), "-9223372036854775808");
}

TEST(OffsetFormat, MessageHexFollowsMagnitude) {
    EXPECT_EQ(MessageHex(0), "0000");
    EXPECT_EQ(MessageHex(65535), "FFFF");
    EXPECT_EQ(MessageHex(65536), "00010000");
    EXPECT_EQ(MessageHex(k4G - 1), "FFFFFFFF");
    EXPECT_EQ(MessageHex(k4G), "00000001'00000000");
    EXPECT_EQ(MessageHex(-1), "-0001");
    EXPECT_EQ(MessageHex(-65536), "-00010000");
    EXPECT_EQ(MessageHex(INT64_MIN), "-80000000'00000000");
}

TEST(OffsetFormat, FieldTexts) {
    EXPECT_EQ(GotoFieldText(255, true, 0), "FF");
    EXPECT_EQ(GotoFieldText(255, false, '+'), "+255");
    EXPECT_EQ(GotoFieldText(16, true, '-'), "-10");
    EXPECT_EQ(GotoFieldText(k4G, true, 0), "100000000");
    EXPECT_EQ(RecordWidthFieldText(16, true), "00000010");
    EXPECT_EQ(RecordWidthFieldText(16, false), "16");
    EXPECT_EQ(RecordWidthFieldText(1048576, true), "00100000");
}

TEST(ParseNumber, AcceptsDigitsAndSign) {
    ExpectAccepted("ff", true, 255);
    ExpectAccepted("FF", true, 255);
    ExpectAccepted("+10", false, 10, '+');
    ExpectAccepted("-200", false, 200, '-');
    ExpectAccepted("", false, 0);
    ExpectAccepted("+", true, 0, '+');
    ExpectAccepted("9223372036854775807", false, INT64_MAX);
    ExpectAccepted("7FFFFFFFFFFFFFFF", true, INT64_MAX);
}

TEST(ParseNumber, RejectsWithMessage) {
    ExpectRejected("0xff", true, "Invalid digit");
    ExpectRejected("12'34", false, "Invalid digit");
    ExpectRejected("12 34", false, "Invalid digit");
    ExpectRejected("ff", false, "Invalid digit");
    ExpectRejected("+-5", false, "Invalid digit");
    ExpectRejected("9223372036854775808", false, "Number overflow");
    ExpectRejected("12345678901234567890", false, "Number overflow");
    ExpectRejected("99999999999999999999", false, "Number overflow");
    ExpectRejected("8000000000000000", true, "Number overflow");
    ExpectRejected("-8000000000000000", true, "Number overflow");
}

TEST(ParseNumber, StoredOffset) {
    EXPECT_EQ(ParseStoredOffset("0x1F"), 31);
    EXPECT_EQ(ParseStoredOffset("0X1f"), 31);
    EXPECT_EQ(ParseStoredOffset("-0x10"), -16);
    EXPECT_EQ(ParseStoredOffset("  42"), 42);
    EXPECT_EQ(ParseStoredOffset("\t7"), 7);
    EXPECT_EQ(ParseStoredOffset("12 tail"), 12);
    EXPECT_EQ(ParseStoredOffset("0x7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(ParseStoredOffset("-9223372036854775808"), INT64_MIN);
    for (const char* bad : {"", "   ", "zz", "0x", "-", "12x", "9223372036854775808",
                            "0x8000000000000000", "-9223372036854775809"}) {
        EXPECT_EQ(ParseStoredOffset(bad), -1) << bad;
    }
}
