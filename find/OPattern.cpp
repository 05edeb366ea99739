#include "find/OPattern.h"

#include "platform/OCodePage.h"

#include <algorithm>
#include <cstdio>

namespace {

int HexDigit(OByte c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A length set by hand may lie outside the arrays.
int Length(const OPattern& pattern) {
    return std::clamp(pattern.length, 0, OPattern::kMaxLength);
}

} // namespace

bool OPattern::AllWildcards() const {
    return std::all_of(wildcard.begin(), wildcard.begin() + Length(*this),
                       [](bool w) { return w; });
}

std::vector<OByte> PatternTextBytes(std::string_view utf8, bool oem) {
    return Utf8ToBytes(utf8, oem);
}

OPattern ParsePattern(std::span<const OByte> text) {
    OPattern pattern;
    std::size_t i = 0;
    while (i < text.size() && pattern.length < OPattern::kMaxLength) {
        OByte byte = text[i];
        bool wildcard = false;
        ++i;
        // A backslash that escapes nothing stays a byte and leaves the next
        // character to be read normally.
        if (byte == '\\' && i < text.size()) {
            const OByte next = text[i];
            if (next == '\\') {
                ++i;
            } else if (next == '?') {
                byte = 0;
                wildcard = true;
                ++i;
            } else if (const int high = HexDigit(next); high >= 0) {
                byte = OByte(high);
                ++i;
                if (i < text.size()) {
                    if (const int low = HexDigit(text[i]); low >= 0) {
                        byte = OByte(high * 16 + low);
                        ++i;
                    }
                }
            }
        }
        pattern.bytes[pattern.length] = byte;
        pattern.wildcard[pattern.length] = wildcard;
        ++pattern.length;
    }
    return pattern;
}

std::string PatternDisplayText(const OPattern& pattern) {
    std::string text;
    const int length = Length(pattern);
    text.reserve(static_cast<std::size_t>(length) * 3);
    for (int i = 0; i < length; ++i) {
        if (i > 0) text += ' ';
        if (pattern.wildcard[i]) {
            text += "??";
        } else {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", pattern.bytes[i]);
            text += hex;
        }
    }
    return text;
}

std::string EscapePatternText(std::span<const OByte> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const OByte b : bytes) {
        if (b == '\\') {
            text += "\\\\";
        } else if (b < 32 || b >= 127) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "\\%02X", b);
            text += escape;
        } else {
            text += static_cast<char>(b);
        }
    }
    return text;
}

int ChooseWildcardByte(const OPattern& pattern, const OPattern* replacement) {
    std::array<bool, 256> used{};
    const auto mark = [&used](const OPattern& p) {
        for (int i = 0; i < Length(p); ++i)
            if (!p.wildcard[i]) used[p.bytes[i]] = true;
    };
    mark(pattern);
    if (replacement) mark(*replacement);
    // Two patterns hold at most 254 literal bytes, so a free value exists.
    const auto free = std::find(used.begin(), used.end(), false);
    return free == used.end() ? 0 : static_cast<int>(free - used.begin());
}
