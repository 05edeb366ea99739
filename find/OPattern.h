#pragma once

#include "platform/OTypes.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A search pattern or replacement as bytes: a backslash escapes the next
// character ("\\" a backslash, "\?" a wildcard, "\4" or "\41" a hex byte;
// anything else, or a backslash at the end, is a backslash byte). At most
// kMaxLength bytes; the rest of the text is ignored.
struct OPattern {
    static constexpr int kMaxLength = 127;
    std::array<OByte, kMaxLength + 1> bytes{};
    std::array<bool, kMaxLength + 1> wildcard{};
    int length = 0;

    bool Empty() const { return length == 0; }
    bool AllWildcards() const;
};

// The dialog's text (UTF-8) as the bytes searched for, through the code page
// the text pane shows: 437 with OEM characters, otherwise Windows-1252. A
// character the page lacks becomes '?'; escapes still give any byte.
std::vector<OByte> PatternTextBytes(std::string_view utf8, bool oem);
// Parses the escape syntax over those bytes.
OPattern ParsePattern(std::span<const OByte> text);
// "41 42 ?? 44": the bytes in hex, "??" for a wildcard.
std::string PatternDisplayText(const OPattern& pattern);
// The escape syntax for raw bytes (the ".." button): a backslash becomes
// "\\", bytes below 32 and from 127 upward "\%02X", others themselves.
std::string EscapePatternText(std::span<const OByte> bytes);
// The lowest byte value that no literal position of either pattern uses;
// every wildcard position of both then carries it.
int ChooseWildcardByte(const OPattern& pattern, const OPattern* replacement);
