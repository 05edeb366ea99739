#include "platform/ODateText.h"

#include "support/OTestData.h"
#include "support/OTimeZone.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerHour = 3600 * kTicksPerSecond;
constexpr std::uint64_t kTicksPerDay = 24 * kTicksPerHour;
// Days from 1601-01-01 to 1900-01-01, 1970-01-01 and 2100-01-01.
constexpr std::uint64_t k1900 = 109207 * kTicksPerDay;
constexpr std::uint64_t k1970 = 134774 * kTicksPerDay;
constexpr std::uint64_t k2100 = 182256 * kTicksPerDay;

constexpr double kSecond = 1.0 / 86400;

struct TimeCase {
    const char* zone;
    std::int64_t seconds;
    const char* text;
};

TEST(DateText, CTimeAtTheEdgesOfThe32BitRange) {
    const TimeCase cases[] = {
        {"UTC", 0, "Thu Jan  1 00:00:00 1970"},
        {"UTC", INT32_MIN, "Fri Dec 13 20:45:52 1901"},
        {"UTC", INT32_MAX, "Tue Jan 19 03:14:07 2038"},
        {"UTC", -1, "Wed Dec 31 23:59:59 1969"},
        {"ABC-2", 0, "Thu Jan  1 02:00:00 1970"},
        {"ABC+2", 0, "Wed Dec 31 22:00:00 1969"},
        // The C library cannot convert it: no text.
        {"UTC", INT64_MAX, ""},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.seconds));
        const OTimeZone zone(c.zone);
        EXPECT_EQ(CTimeText(c.seconds), c.text);
    }
}

TEST(DateText, FileTimeOnlyFrom1900To2099LocalTime) {
    struct Case {
        const char* zone;
        std::uint64_t ticks;
        const char* text;
    };
    const Case cases[] = {
        {"UTC", k1900, "Monday, 1 January 1900 00:00:00"},
        {"UTC", k1900 - 1, ""},
        {"UTC", k2100 - 1, "Thursday, 31 December 2099 23:59:59"},
        {"UTC", k2100, ""},
        {"UTC", k1970 + kTicksPerSecond - 1, "Thursday, 1 January 1970 00:00:00"},
        {"UTC", std::uint64_t{INT64_MAX}, ""},
        {"UTC", std::uint64_t{1} << 63, ""},
        // The year limits hold for the local time, not the universal one.
        {"ABC-2", k1900 - 2 * kTicksPerHour, "Monday, 1 January 1900 00:00:00"},
        {"ABC-2", k2100 - 2 * kTicksPerHour - 1, "Thursday, 31 December 2099 23:59:59"},
        {"ABC-2", k2100 - 2 * kTicksPerHour, ""},
        {"ABC+2", k1900 + 2 * kTicksPerHour - 1, ""},
        {"ABC+2", k1900 + 2 * kTicksPerHour, "Monday, 1 January 1900 00:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.ticks));
        const OTimeZone zone(c.zone);
        EXPECT_EQ(FileTimeText(c.ticks), c.text);
    }
}

// The calendar inside the range is checked against the C library below.
TEST(DateText, OleDateOnlyFrom1900To2099WhateverTheZone) {
    struct Case {
        double days;
        const char* text;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {2.0, "January 01, 1900  00:00:00"},
        {2.0 - kSecond, ""},
        {2.0 - 0.4 * kSecond, "January 01, 1900  00:00:00"}, // to the nearest second
        {73051.0 - kSecond, "December 31, 2099  23:59:59"},
        {73051.0 - 0.4 * kSecond, ""},
        {73051.0, ""},
        {0.0, ""},
        {-0.0, ""},
        {1e308, ""},
        {inf, ""},
        {-inf, ""},
        {std::nan(""), ""},
    };
    for (const char* tz : {"UTC", "ABC-2"}) {
        const OTimeZone zone(tz);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(tz) + " " + std::to_string(c.days));
            EXPECT_EQ(OleDateText(c.days), c.text);
        }
    }
}

// Whole seconds as the C library's universal time sees them.
TEST(DateText, OleDateAgreesWithTheCLibraryCalendar) {
    std::mt19937_64 random(TestSeed());
    // 1900-01-01 to 2099-12-31 23:59:59 in seconds since 1970.
    std::uniform_int_distribution<std::int64_t> seconds(-2208988800, 4102444799);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t s = seconds(random);
        const std::time_t t = static_cast<std::time_t>(s);
        std::tm utc{};
        ASSERT_NE(gmtime_r(&t, &utc), nullptr);
        char expected[64];
        std::strftime(expected, sizeof expected, "%B %d, %Y  %H:%M:%S", &utc);
        const double days = 25569.0 + static_cast<double>(s) / 86400.0;
        ASSERT_EQ(OleDateText(days), expected) << s;
    }
}

} // namespace
