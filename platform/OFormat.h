#pragma once

#include "res/OResourceIds.h"

#include <cstdarg>
#include <string>

// printf-style formatting into an owned string. The program's texts use the
// "%I64d" / "%I64X" length prefix for 64-bit arguments; it is understood here
// (as "%lld" / "%llX") so that the texts stay as they are.
std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same with a string-table text as the format.
std::string FormatId(OTextId stringId, ...);
// A count as people read it: 4096 as "4,096".
std::string GroupDigits(long long value);
