#include "view/OGotoModel.h"

#include "platform/OOffsetFormat.h"
#include "platform/OParseNumber.h"
#include "platform/OPlatform.h"
#include "res/OResourceIds.h"

#include <algorithm>

namespace {

bool IsSign(char c) {
    return c == '+' || c == '-';
}

bool IsDigitOf(char c, bool hex) {
    if (c >= '0' && c <= '9') return true;
    return hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

OGotoHistory& ProcessGotoHistory() {
    static OGotoHistory history;
    return history;
}

OGotoModel::OGotoModel(const OGotoPlace& place, OGotoHistory& history)
    : m_place(place), m_history(history), m_lists(history.lists) {
    if (!history.lastEdited || List(*history.lastEdited).empty()) return;
    m_focus = *history.lastEdited;
    Edit(m_focus, List(m_focus).front());
}

bool OGotoModel::Accepts(OGotoField field, char c, std::string_view text,
                         std::size_t selectionStart, std::size_t selectionEnd) {
    if (c == '\b') return true;
    if (IsSign(c)) {
        // A sign in front of another would only be refused at OK.
        const std::string_view after = text.substr(std::min(selectionEnd, text.size()));
        return selectionStart == 0 && (after.empty() || !IsSign(after.front()));
    }
    return IsDigitOf(c, field == OGotoField::HexOffset);
}

int OGotoModel::TextLimit(OGotoField field) {
    return field == OGotoField::HexOffset ? 17 : 20;
}

bool OGotoModel::Edit(OGotoField field, std::string_view text) {
    m_texts[Index(field)] = std::string(text);
    m_unread = field;
    OParsedNumber number;
    if (!ParseNumber(text, field == OGotoField::HexOffset, number)) return false;
    const OOffset width = m_place.recordWidth;
    // The record's offset must exist as a signed 64-bit number.
    if (field == OGotoField::Record && number.value > kOffsetMax / width) {
        MessageBoxId(ids::IDS_NUMBER_OVERFLOW, OButtons::Ok, OIcon::Stop);
        return false;
    }
    m_sign = number.sign;
    if (field == OGotoField::Record) {
        m_record = number.value;
        // A relative record is a distance of whole records; an absolute one
        // is the record's first byte, and record 0 is the shorter first one.
        if (m_sign || m_record == 0)
            m_offset = m_record * width;
        else
            m_offset = m_record * width - m_place.phase;
    } else {
        m_offset = number.value;
        m_record = RecordOf(m_offset);
    }
    m_unread.reset();
    m_history.lastEdited = field;
    Follow(field);
    return true;
}

OOffset OGotoModel::RecordOf(OOffset offset) const {
    const OOffset width = m_place.recordWidth;
    if (m_sign) return offset / width;
    if (offset < width - m_place.phase) return 0;
    // (offset + phase) / width without passing 2^63 - 1.
    return offset / width + (offset % width + m_place.phase) / width;
}

void OGotoModel::Follow(OGotoField edited) {
    if (edited != OGotoField::Record)
        m_texts[Index(OGotoField::Record)] = GotoFieldText(m_record, false, m_sign);
    if (edited != OGotoField::HexOffset)
        m_texts[Index(OGotoField::HexOffset)] = GotoFieldText(m_offset, true, m_sign);
    if (edited != OGotoField::DecOffset)
        m_texts[Index(OGotoField::DecOffset)] = GotoFieldText(m_offset, false, m_sign);
}

void OGotoModel::Clear() {
    for (std::size_t i = 0; i < kGotoFieldCount; ++i) {
        m_texts[i].clear();
        m_lists[i].clear();
    }
    // Empty fields mean offset 0, not a move from the caret.
    m_sign = 0;
    m_offset = 0;
    m_record = 0;
    m_unread.reset();
}

void OGotoModel::EnterHistory(OGotoField field) {
    const std::string& text = Text(field);
    std::vector<std::string> entries;
    if (!text.empty()) entries.push_back(text);
    for (const std::string& entry : List(field)) {
        if (entries.size() >= OGotoHistory::kMaxEntries) break;
        if (!EqualIgnoringCase(entry, text)) entries.push_back(entry);
    }
    m_history.lists[Index(field)] = std::move(entries);
}

// 1. The histories take the texts, whatever follows.
// 2. A field still holding a text that is no number says so again.
// 3. The target: relative to the caret with a sign; past the end asks and
//    clamps, below 0 is refused.
std::optional<OOffset> OGotoModel::Accept() {
    for (OGotoField field : {OGotoField::Record, OGotoField::HexOffset, OGotoField::DecOffset})
        EnterHistory(field);
    if (m_unread && !Edit(*m_unread, std::string(Text(*m_unread)))) return std::nullopt;

    const OOffset caret = m_place.caret;
    bool pastMax = false;
    OOffset target = m_offset;
    if (m_sign == '+') {
        pastMax = m_offset > kOffsetMax - caret;
        if (!pastMax) target = caret + m_offset;
    } else if (m_sign == '-') {
        target = caret - m_offset;
    }
    if (pastMax || target > m_place.fileSize) {
        // The view never goes past the end: OK goes to the end itself.
        if (MessageBoxId(ids::IDS_OFFSET_OVER_END, OButtons::OkCancel, OIcon::Exclamation) !=
            OAnswer::Ok)
            return std::nullopt;
        return m_place.fileSize;
    }
    if (target < 0) {
        MessageBoxId(ids::IDS_OFFSET_NEGATIVE, OButtons::Ok, OIcon::Stop);
        return std::nullopt;
    }
    return target;
}
