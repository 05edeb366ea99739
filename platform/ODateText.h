#pragma once

#include <cstdint>
#include <string>

// The texts of three time stamp encodings, for the value tooltip. Each gives
// the empty text when the value has no date to show. Names of days and
// months are English whatever the locale, so that a text means the same on
// every machine. Local time follows TZ as the C library reads it.

// Seconds since 1970-01-01 00:00 UTC as local time in the C library's ctime
// form, without its line break: "Thu Jan  1 00:00:00 1970". Empty when the
// C library cannot convert the value.
std::string CTimeText(std::int64_t secondsSince1970);

// A Windows file time (100 ns units since 1601-01-01 00:00 UTC) as local
// time, long date then 24-hour time: "Monday, 1 January 1900 00:00:00".
// Empty unless the local year is 1900 to 2099. Sub-second units are cut off.
std::string FileTimeText(std::uint64_t ticksSince1601);

// An OLE automation date (days since 1899-12-30 00:00, the fraction the time
// of day; no time zone) rounded to the nearest second: "January 01, 1900
// 00:00:00" with two blanks before the time. Empty for NaN, infinities and
// dates outside the years 1900 to 2099.
std::string OleDateText(double daysSince1899);
