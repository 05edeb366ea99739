#pragma once

#include <string>
#include <string_view>

// The record bar's width field: the value it holds, its text in decimal or
// in eight hexadecimal digits, what typing may enter, and its spin steps.
// The value is applied to the view by the caller, which limits it.
class ORecordWidthField {
public:
    static constexpr int kLower = 2;

    ORecordWidthField(int value, int defaultWidth, int upper, bool hex)
        : m_value(value), m_default(defaultWidth), m_upper(upper), m_hex(hex) {}

    int Value() const { return m_value; }
    void SetValue(int value) { m_value = value; }
    bool Hex() const { return m_hex; }
    void ToggleHex() { m_hex = !m_hex; }
    // "%d", or "%.8X" while hexadecimal.
    std::string Text() const;
    // Digits; the letters A-F in either case only while hexadecimal.
    bool Accepts(char c) const;
    // The text after an edit: its leading digits in the current base give
    // the value (at most the largest int); an empty text gives the default
    // width. True when the text must be rewritten (it was empty).
    bool TextEdited(std::string_view text);
    // A spin step up (+1) or down (-1), within [kLower, upper]; the value
    // is applied whether it moved or not.
    int Step(int direction);

private:
    int m_value;
    int m_default;
    int m_upper;
    bool m_hex;
};
