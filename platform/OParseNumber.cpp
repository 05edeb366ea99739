#include "platform/OParseNumber.h"

#include "platform/OPlatform.h"
#include "res/OResourceIds.h"

#include <cstdint>

namespace {

int DigitValue(char c, unsigned base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// value * base + digit without passing 2^63 - 1.
bool Accumulate(OOffset& value, unsigned base, int digit) {
    const OOffset limit = kOffsetMax / base;
    const OOffset rest = kOffsetMax % base;
    if (value > limit || (value == limit && digit > rest)) return false;
    value = value * base + digit;
    return true;
}

} // namespace

bool ParseNumber(std::string_view text, bool hex, OParsedNumber& out) {
    out = {};
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        out.sign = text.front();
        text.remove_prefix(1);
    }
    const unsigned base = hex ? 16 : 10;
    OOffset value = 0;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0) {
            MessageBoxId(ids::IDS_INVALID_DIGIT, OButtons::Ok, OIcon::Stop);
            return false;
        }
        if (!Accumulate(value, base, digit)) {
            MessageBoxId(ids::IDS_NUMBER_OVERFLOW, OButtons::Ok, OIcon::Stop);
            return false;
        }
    }
    out.value = value;
    return true;
}

OOffset ParseStoredOffset(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(kOffsetMax) + (negative ? 1u : 0u);
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t') break;
        const int digit = DigitValue(c, base);
        if (digit < 0) return -1;
        const auto d = static_cast<std::uint64_t>(digit);
        if (magnitude > (limit - d) / base) return -1;
        magnitude = magnitude * base + d;
        ++digits;
    }
    if (digits == 0) return -1;
    // Two's complement turns the magnitude 2^63 into -2^63 without overflow.
    return static_cast<OOffset>(negative ? 0 - magnitude : magnitude);
}
