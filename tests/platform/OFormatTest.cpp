#include "platform/OFormat.h"

#include "platform/OSystem.h"

#include <cerrno>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

// Unchecked on purpose: the compiler would misread the "I64" prefix.
std::string Fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

} // namespace

TEST(Format, I64Prefix) {
    EXPECT_EQ(Fmt("%I64d", -5000000000LL), "-5000000000");
    EXPECT_EQ(Fmt("%I64X", 0x123456789ABLL), "123456789AB");
    EXPECT_EQ(Fmt("%.10I64X|%-4I64d|", 0xABLL, 7LL), "00000000AB|7   |");
    EXPECT_EQ(Fmt("%%I64d"), "%I64d");
    EXPECT_EQ(Fmt("%%%I64d", 42LL), "%42");
    EXPECT_EQ(Fmt("I64 %s", "x"), "I64 x");
    // A string-table text as the program uses it.
    EXPECT_EQ(FormatId(ids::IDS_INSERTING, 5000000000LL), "Inserting 5000000000 bytes ..");
}

TEST(Format, GroupDigits) {
    const std::pair<long long, const char*> cases[] = {{0, "0"},
                                                       {999, "999"},
                                                       {1000, "1,000"},
                                                       {-1000, "-1,000"},
                                                       {-999, "-999"},
                                                       {1073741824, "1,073,741,824"},
                                                       {LLONG_MIN, "-9,223,372,036,854,775,808"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(GroupDigits(value), text);
}

TEST(Format, OutputPastStackBuffer) {
    for (std::size_t length : {511u, 512u, 513u, 5000u}) {
        const std::string text(length, 'x');
        EXPECT_EQ(Format("<%s>", text.c_str()), "<" + text + ">");
    }
}

TEST(SystemErrorText, Codes) {
    EXPECT_EQ(SystemErrorText(kErrorNotRegularFile), "Not a regular file or block device");
    SetLastError(EACCES);
    EXPECT_EQ(SystemErrorText(-1), "Permission denied");
    SetLastError(0);
}
