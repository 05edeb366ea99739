#include "platform/OOffsetFormat.h"

#include "platform/OFormat.h"

#include <algorithm>
#include <cstdio>

namespace {

// The magnitude of value as unsigned; -2^63 has no positive counterpart in
// OOffset, but its magnitude fits here.
std::uint64_t Magnitude(OOffset value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

unsigned Hi(std::uint64_t v) {
    return static_cast<unsigned>(v >> 32);
}
unsigned Lo(std::uint64_t v) {
    return static_cast<unsigned>(v & 0xFFFFFFFFu);
}

} // namespace

unsigned OffsetFormat::ClassFor(OOffset length) {
    if (length < 0x10000) return 2;
    if (length <= 0xFFFFFFFFLL) return 4;
    return 8;
}

std::string OffsetFormat::Hex(OOffset value) const {
    std::string text;
    HexTo(text, value);
    return text;
}

std::string OffsetFormat::Decimal(OOffset value) const {
    std::string text;
    DecimalTo(text, value);
    return text;
}

void OffsetFormat::HexTo(std::string& out, OOffset value) const {
    char text[24];
    int n = 0;
    const bool negative = value < 0;
    const char* sign = negative ? "-" : "";
    if (m_class == 8) {
        const std::uint64_t m = Magnitude(value);
        n = std::snprintf(text, sizeof text, "%s%.8X'%.8X", sign, Hi(m), Lo(m));
    } else {
        // Classes 2 and 4 show the 32-bit negation of the low half.
        unsigned lo = Lo(static_cast<std::uint64_t>(value));
        if (negative) lo = 0u - lo;
        n = std::snprintf(text, sizeof text, m_class == 4 ? "%s%.8X" : "%s%.4X", sign, lo);
    }
    out.assign(text, static_cast<std::size_t>(std::max(n, 0)));
}

void OffsetFormat::DecimalTo(std::string& out, OOffset value) const {
    char text[24];
    const int n = m_class == 8
                      ? std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value))
                      : std::snprintf(text, sizeof text, "%d",
                                      static_cast<int>(static_cast<std::uint32_t>(value)));
    out.assign(text, static_cast<std::size_t>(std::max(n, 0)));
}

std::string MessageHex(OOffset value) {
    const char* sign = value < 0 ? "-" : "";
    const std::uint64_t m = Magnitude(value);
    if (m <= 0xFFFF) return Format("%s%.4X", sign, Lo(m));
    if (m <= 0xFFFFFFFFu) return Format("%s%.8X", sign, Lo(m));
    return Format("%s%.8X'%.8X", sign, Hi(m), Lo(m));
}

std::string GotoFieldText(OOffset value, bool hex, char sign) {
    std::string text = sign ? std::string(1, sign) : std::string();
    text += hex ? Format("%llX", static_cast<unsigned long long>(value))
                : Format("%lld", static_cast<long long>(value));
    return text;
}

std::string RecordWidthFieldText(int width, bool hex) {
    return hex ? Format("%.8lX", static_cast<unsigned long>(static_cast<unsigned>(width)))
               : Format("%d", width);
}
