#include "view/ORecordWidthField.h"

#include <climits>
#include <cstdio>

std::string ORecordWidthField::Text() const {
    char text[16];
    if (m_hex)
        std::snprintf(text, sizeof text, "%.8X", static_cast<unsigned>(m_value));
    else
        std::snprintf(text, sizeof text, "%d", m_value);
    return text;
}

bool ORecordWidthField::Accepts(char c) const {
    if (c >= '0' && c <= '9') return true;
    return m_hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'));
}

bool ORecordWidthField::TextEdited(std::string_view text) {
    if (text.empty()) {
        m_value = m_default;
        return true;
    }
    const int base = m_hex ? 16 : 10;
    long long value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (m_hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (m_hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) break;
        value = value * base + digit;
        if (value > INT_MAX) value = INT_MAX; // the view limits it to its maximum
    }
    m_value = static_cast<int>(value);
    return false;
}

int ORecordWidthField::Step(int direction) {
    if (direction < 0 && m_value > kLower) --m_value;
    if (direction > 0 && m_value < m_upper) ++m_value;
    return m_value;
}
