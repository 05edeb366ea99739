#pragma once

#include "platform/OTypes.h"

#include <string>

// The text forms of offsets, lengths and record numbers. Hex digits are
// upper case with leading zeros; an apostrophe separates the two 32-bit
// halves of the 16-digit form and stands nowhere else.
class OffsetFormat {
public:
    // The width class, 2, 4 or 8, that a file of length bytes selects.
    static unsigned ClassFor(OOffset length);

    unsigned SetWidthClass(OOffset length) { return m_class = ClassFor(length); }
    unsigned WidthClass() const { return m_class; }
    // 4, 8 or 16 digits by the class, with "-" before a negative value.
    std::string Hex(OOffset value) const;
    // Classes 2 and 4 show the low 32 bits as a signed number.
    std::string Decimal(OOffset value) const;
    // The same into out, reusing its storage: the painter formats one per row.
    void HexTo(std::string& out, OOffset value) const;
    void DecimalTo(std::string& out, OOffset value) const;

private:
    unsigned m_class = 2;
};

// Hex text whose form depends only on the magnitude: FFFF, 00010000,
// 00000001'00000000, with "-" for negative values.
std::string MessageHex(OOffset value);

// A Goto field's text: "%I64X" or "%I64d" without leading zeros, with the
// relative sign ('+' or '-', or 0 for none) in front.
std::string GotoFieldText(OOffset value, bool hex, char sign);

// The record-width field: eight hex digits, or decimal.
std::string RecordWidthFieldText(int width, bool hex);
