#include "markers/ORange.h"

#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"
#include "platform/OParseNumber.h"
#include "platform/OStatusText.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

constexpr OOffset kOffsetMin = INT64_MIN;

std::uint32_t ParseColor(std::string_view field, std::uint32_t fallback) {
    const OOffset value = ParseStoredOffset(field);
    return value == -1 ? fallback : static_cast<std::uint32_t>(value);
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string ColorField(std::uint32_t color, std::uint32_t fallback) {
    if (color == fallback) return ",";
    return Format(",0x%.6lX", static_cast<unsigned long>(color));
}

} // namespace

OOffset ORange::Set(OOffset x, OOffset y) {
    if (x == -1 || y == -1) {
        m_begin = x;
        m_end = y;
        m_length = 0;
        return 0;
    }
    const OOffset lo = std::min(x, y);
    const OOffset hi = std::max(x, y);
    // The distance always fits unsigned; the length must also fit signed.
    const std::uint64_t span = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
    m_begin = lo;
    if (span >= static_cast<std::uint64_t>(kOffsetMax)) {
        // Here lo <= 0, so lo + kOffsetMax - 1 cannot overflow.
        m_end = lo + (kOffsetMax - 1);
        m_length = kOffsetMax;
    } else {
        m_end = hi;
        m_length = static_cast<OOffset>(span) + 1;
    }
    return m_length;
}

void ORange::Reset() {
    m_begin = -1;
    m_end = -1;
    m_length = 0;
}

void ORange::CopyPosition(const ORange& other) {
    m_begin = other.m_begin;
    m_end = other.m_end;
    m_length = other.m_length;
}

int ORange::Contains(OOffset offset, std::uint32_t* background, std::uint32_t* foreground) const {
    if (IsEmpty() || offset < m_begin || offset > m_end) return 0;
    if (background) *background = m_background;
    if (foreground) *foreground = m_foreground;
    return offset == m_end ? 1 : 2;
}

void ORange::Shift(OOffset delta) {
    if (IsEmpty()) return;
    if (delta > 0 && m_end > 0 && delta > kOffsetMax - m_end) delta = kOffsetMax - m_end;
    if (delta < 0 && m_begin < 0 && delta < kOffsetMin - m_begin) delta = kOffsetMin - m_begin;
    m_begin += delta;
    m_end += delta;
}

bool ORange::ClipTo(OOffset size) {
    if (OneEnded() && (m_begin != -1 ? m_begin : m_end) >= size) {
        Reset();
        return false;
    }
    if (IsEmpty()) return true;
    if (m_begin >= size) {
        Reset();
        return false;
    }
    // begin < size, so size - 1 does not overflow.
    if (m_end >= size && Set(m_begin, size - 1) == 0) {
        Reset();
        return false;
    }
    return true;
}

bool ORange::Overlaps(OOffset from, OOffset to) const {
    if (IsEmpty()) return false;
    return (from <= m_begin && m_begin < to) || (from <= m_end && m_end < to) ||
           (m_begin <= from && from <= m_end);
}

std::string ORange::Label() const {
    std::string text = m_length == 1
                           ? Format("[%s]", MessageHex(m_begin).c_str())
                           : Format("%s[%s-%s]", MessageHex(m_length).c_str(),
                                    MessageHex(m_begin).c_str(), MessageHex(m_end).c_str());
    text += m_title;
    text += '\n';
    return text;
}

std::string ORange::ToText() const {
    if (IsEmpty()) return {};
    std::string text = Format("0x%llX,0x%llX", static_cast<unsigned long long>(m_begin),
                              static_cast<unsigned long long>(m_end));
    text += ColorField(m_background, kMarkerBackground);
    text += ColorField(m_foreground, kMarkerForeground);
    if (!m_title.empty()) text += "," + m_title;
    return text;
}

void ORange::FromText(std::string_view text) {
    Reset();
    m_background = kMarkerBackground;
    m_foreground = kMarkerForeground;
    m_title.clear();
    if (text.empty()) return;

    // A comma in the first character cannot end a readable begin anyway.
    std::array<std::size_t, 4> commas{};
    std::size_t found = 0;
    for (std::size_t i = 1; i < text.size() && found < commas.size(); ++i)
        if (text[i] == ',') commas[found++] = i;
    auto field = [&](std::size_t index) -> std::string_view {
        if (index > found) return {};
        const std::size_t from = index == 0 ? 0 : commas[index - 1] + 1;
        const std::size_t to = index < found ? commas[index] : text.size();
        return text.substr(from, to - from);
    };

    // -1 is also what an unreadable field parses to: never one-ended from text.
    const OOffset begin = ParseStoredOffset(field(0));
    const OOffset end = ParseStoredOffset(field(1));
    if (begin == -1 || end == -1) return;
    Set(begin, end);
    m_background = ParseColor(field(2), kMarkerBackground);
    m_foreground = ParseColor(field(3), kMarkerForeground);
    if (found == 4) m_title = std::string(Trim(text.substr(commas[3] + 1)));
}

ORange MakeLastFoundRange() {
    return ORange(kLastFoundBackground, kLastFoundForeground, kLastFoundTitle);
}

OOffset OSelection::ExtendTo(OOffset offset, OOffset fileLength) {
    if (m_anchor == -1) m_anchor = offset;
    const OOffset length = Set(m_anchor, offset);
    OffsetFormat format;
    format.SetWidthClass(fileLength);
    ShowStatus(ids::IDS_SELECTION_SIZE, format.Decimal(length).c_str(), format.Hex(length).c_str());
    return length;
}

bool OSelection::ClearAnchor() {
    ShowStatus(ids::IDS_READY);
    if (m_anchor == -1) return false;
    m_anchor = -1;
    return true;
}
