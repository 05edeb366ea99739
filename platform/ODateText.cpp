#include "platform/ODateText.h"

#include "platform/OFormat.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

constexpr std::int64_t kSecondsPerDay = 86400;
// From 1601-01-01 to 1970-01-01: 369 years with 89 leap days.
constexpr std::int64_t kSeconds1601To1970 = 134774 * kSecondsPerDay;
// From 1899-12-30 to 1970-01-01.
constexpr std::int64_t kDays1899To1970 = 25569;

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2099;

// Local time as the C library sees it; false where it cannot convert (a
// year that does not fit its fields, or a time_t narrower than the value).
bool LocalTime(std::int64_t seconds, std::tm& out) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    if (static_cast<std::int64_t>(t) != seconds) return false;
    // localtime_r need not notice a changed TZ; ctime does.
    tzset();
    return localtime_r(&t, &out) != nullptr;
}

struct OCivilDate {
    std::int64_t year;
    int month; // 1 to 12
    int day;   // 1 to 31
};

// The proleptic Gregorian date of a day counted from 1970-01-01: whole
// 400-year eras of 146,097 days, then the day within the era, in a year
// that starts in March so that the leap day comes last.
OCivilDate CivilFromDays(std::int64_t days) {
    days += 719468; // 0000-03-01 to 1970-01-01
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t marchMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * marchMonth + 2) / 5 + 1);
    const int month = static_cast<int>(marchMonth < 10 ? marchMonth + 3 : marchMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

} // namespace

std::string CTimeText(std::int64_t secondsSince1970) {
    std::tm t{};
    if (!LocalTime(secondsSince1970, t)) return {};
    return Format("%.3s %.3s%3d %.2d:%.2d:%.2d %lld", kDayNames[t.tm_wday], kMonthNames[t.tm_mon],
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900LL);
}

std::string FileTimeText(std::uint64_t ticksSince1601) {
    // Windows refuses file times of 2^63 and above; they lie past the
    // year 30000 anyway.
    if (ticksSince1601 > static_cast<std::uint64_t>(INT64_MAX)) return {};
    const std::int64_t seconds =
        static_cast<std::int64_t>(ticksSince1601 / 10'000'000) - kSeconds1601To1970;
    std::tm t{};
    if (!LocalTime(seconds, t)) return {};
    const long long year = t.tm_year + 1900LL;
    if (year < kFirstYear || year > kLastYear) return {};
    return Format("%s, %d %s %lld %.2d:%.2d:%.2d", kDayNames[t.tm_wday], t.tm_mday,
                  kMonthNames[t.tm_mon], year, t.tm_hour, t.tm_min, t.tm_sec);
}

std::string OleDateText(double daysSince1899) {
    // Day 2 is 1900-01-01 and day 73,051 is 2100-01-01. Outside a margin
    // around them no rounding brings the year into range, and inside it
    // the seconds are exact to well below one.
    if (!std::isfinite(daysSince1899) || daysSince1899 < 1.0 || daysSince1899 > 73052.0) return {};
    const std::int64_t seconds = std::llround(daysSince1899 * static_cast<double>(kSecondsPerDay));
    const std::int64_t days = seconds / kSecondsPerDay;
    const std::int64_t secondOfDay = seconds % kSecondsPerDay;
    const OCivilDate date = CivilFromDays(days - kDays1899To1970);
    if (date.year < kFirstYear || date.year > kLastYear) return {};
    return Format("%s %.2d, %lld  %.2d:%.2d:%.2d", kMonthNames[date.month - 1], date.day,
                  static_cast<long long>(date.year), static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
}
