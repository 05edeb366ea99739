#include "view/OValueTip.h"

#include "document/ODoc.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"
#include "support/OTimeZone.h"
#include "view/ORecordView.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

void Append(std::vector<OByte>& bytes, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<OByte>(value >> (8 * i)));
}

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += (text.empty() ? "" : "\n") + std::string(line);
    return text;
}

class ValueTipTest : public ::testing::Test {
protected:
    void Open(const std::vector<OByte>& bytes) {
        ASSERT_TRUE(doc.OnOpenDocument(dir.Write("data.bin", bytes)));
    }
    OScriptedPlatform platform;
    OTempDir dir;
    ODoc doc;
};

TEST_F(ValueTipTest, ValueLinesNeedAllTheirBytesInsideTheFile) {
    // Eight zero bytes, eight FF bytes, a file time (2001-09-09 01:46:40
    // UTC), an OLE date (2000-02-29 noon), then 00 00 00 80 at the end.
    std::vector<OByte> bytes(8, 0x00);
    bytes.insert(bytes.end(), 8, 0xFF);
    Append(bytes, 126444736000000000, 8);
    Append(bytes, std::bit_cast<std::uint64_t>(36585.5), 8);
    Append(bytes, 0x80000000, 4);
    Open(bytes);
    const OOffset length = static_cast<OOffset>(bytes.size());
    OViewSettings settings;
    settings.recordWidth = 16;
    settings.phase = 3; // "Left" counts from the record's start, not the row's
    const ORecordView geometry(settings, [length] { return length; });
    const OTimeZone zone("UTC");

    struct Case {
        OOffset offset;
        std::string text;
    };
    const Case cases[] = {
        // Both dates of zero lie before 1900: no lines.
        {0, Lines({"Offset = 0000", "Left = 3", "Byte = 00 | 0 | 0", "Word = 0000 | 0 | 0",
                   "Dword = 00000000 | 0 | 0", "Qword = 0000000000000000 | 0 | 0",
                   "Time_t = Thu Jan  1 00:00:00 1970"})},
        // The file time is past 2^63, the double a NaN.
        {8, Lines({"Offset = 0008", "Left = 11", "Byte = FF | -1 | 255", "Word = FFFF | -1 | 65535",
                   "Dword = FFFFFFFF | -1 | 4294967295",
                   "Qword = FFFFFFFFFFFFFFFF | -1 | 18446744073709551615",
                   "Time_t = Wed Dec 31 23:59:59 1969"})},
        {16, Lines({"Offset = 0010", "Left = 3", "Byte = 00 | 0 | 0",
                    "Word = 8000 | -32768 | 32768", "Dword = 44FF8000 | 1157595136 | 1157595136",
                    "Qword = 01C138D144FF8000 | 126444736000000000 | 126444736000000000",
                    "Time_t = Thu Sep  7 02:12:16 2006",
                    "Filetime = Sunday, 9 September 2001 01:46:40"})},
        {24, Lines({"Offset = 0018", "Left = 11", "Byte = 00 | 0 | 0", "Word = 0000 | 0 | 0",
                    "Dword = 00000000 | 0 | 0",
                    "Qword = 40E1DD3000000000 | 4675261086415454208 | 4675261086415454208",
                    "Time_t = Thu Jan  1 00:00:00 1970", "OleDate = February 29, 2000  12:00:00"})},
        // Four bytes left: no Qword and no 8-byte dates.
        {32, Lines({"Offset = 0020", "Left = 3", "Byte = 00 | 0 | 0", "Word = 0000 | 0 | 0",
                    "Dword = 80000000 | -2147483648 | 2147483648",
                    "Time_t = Fri Dec 13 20:45:52 1901"})},
        {33, Lines({"Offset = 0021", "Left = 4", "Byte = 00 | 0 | 0", "Word = 0000 | 0 | 0"})},
        {35, Lines({"Offset = 0023", "Left = 6", "Byte = 80 | -128 | 128"})},
        {36, Lines({"Offset = 0024", "Left = 7"})}, // the append position
        {37, ""},
        {-1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(ValueTipText(doc, geometry, c.offset, length), c.text);
    }
    // A typed byte not yet saved is what the tip reads.
    doc.SetReadOnly(false);
    ASSERT_TRUE(doc.File()->SetByte(35, 0x80, 0x7F));
    EXPECT_EQ(ValueTipText(doc, geometry, 35, length),
              Lines({"Offset = 0023", "Left = 6", "Byte = 7F | 127 | 127"}));
}

TEST_F(ValueTipTest, GutterListsTheRangesTouchingTheRecord) {
    Open(std::vector<OByte>(0x40, 0));
    doc.Selection().Set(0x0E, 0x11);
    doc.SetLastFound(0x20, 2);
    ORange before;
    before.Set(0x00, 0x10);
    ORange inside(kMarkerBackground, kMarkerForeground, "m");
    inside.Set(0x18, 0x18);
    ORange after;
    after.Set(0x20, 0x30);
    for (const ORange* m : {&before, &inside, &after})
        ASSERT_TRUE(doc.Markers().Insert(*m));

    EXPECT_EQ(GutterTipText(doc, 0x10, 16),
              Lines({"0004[000E-0011]<Selected>", "0011[0000-0010]", "[0018]m"}));
    EXPECT_EQ(GutterTipText(doc, 0x20, 16),
              Lines({"0002[0020-0021]<Last found>", "0011[0020-0030]"}));
    EXPECT_EQ(GutterTipText(doc, 0x40, 16), "");
    // A record at the end of the offsets: its end stops there, it does not wrap.
    EXPECT_EQ(GutterTipText(doc, kOffsetMax - 4, 16), "");
}

} // namespace
