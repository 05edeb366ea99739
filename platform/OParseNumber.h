#pragma once

#include "platform/OTypes.h"

#include <string_view>

struct OParsedNumber {
    OOffset value = 0;
    char sign = 0; // '+', '-' or 0 for an absolute value
};

// Reads a Goto field: an optional leading '+' or '-' (returned as the
// relative sign, not applied), then digits of base 16 or 10 up to the end.
// Any other character shows "Invalid digit" and a value past 2^63 - 1 shows
// "Number overflow"; both return false. An empty text is 0.
bool ParseNumber(std::string_view text, bool hex, OParsedNumber& out);

// Reads a signed 64-bit value as the settings files store it: leading blanks
// skipped, optional sign, "0x" for hex, ended by the text's end, a blank or
// a tab. Returns -1 for an empty or invalid text and for one outside the
// signed 64-bit range (-2^63 is inside: a marker may begin there). Silent.
OOffset ParseStoredOffset(std::string_view text);
