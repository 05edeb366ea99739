#include "platform/OFormat.h"

#include "res/OStringTable.h"

#include <cstdio>
#include <vector>

namespace {

std::string TranslateI64(const char* format) {
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            // Only inside a conversion: look back for an unescaped '%'.
            std::size_t i = out.size();
            while (i > 0 &&
                   std::string_view("0123456789.-+ #").find(out[i - 1]) != std::string_view::npos)
                --i;
            std::size_t percents = 0;
            while (i > percents && out[i - 1 - percents] == '%')
                ++percents;
            if (percents % 2 == 1) {
                out += "ll";
                p += 2;
                continue;
            }
        }
        out += *p;
    }
    return out;
}

} // namespace

std::string FormatV(const char* format, va_list args) {
    const std::string fmt = TranslateI64(format);
    char small[512];
    va_list copy;
    va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int needed = std::vsnprintf(small, sizeof small, fmt.c_str(), args);
    std::string result;
    if (needed < 0) {
        result.clear();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        result.assign(small, static_cast<std::size_t>(needed));
    } else {
        std::vector<char> big(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(big.data(), big.size(), fmt.c_str(), copy);
        result.assign(big.data(), static_cast<std::size_t>(needed));
    }
#pragma GCC diagnostic pop
    va_end(copy);
    return result;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

std::string FormatId(OTextId stringId, ...) {
    va_list args;
    va_start(args, stringId);
    std::string text = FormatV(LoadString(stringId), args);
    va_end(args);
    return text;
}

std::string GroupDigits(long long value) {
    std::string digits = std::to_string(value);
    const std::size_t first = digits[0] == '-' ? 1 : 0;
    for (std::size_t i = digits.size(); i > first + 3; i -= 3)
        digits.insert(i - 3, 1, ',');
    return digits;
}
