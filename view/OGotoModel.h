#pragma once

#include "platform/OTypes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The Goto dialog's three fields, in the order of its histories.
enum class OGotoField { Record, HexOffset, DecOffset };
inline constexpr std::size_t kGotoFieldCount = 3;

// What the Goto dialog keeps for the life of the process, in no file: each
// field's history, most recent first, and the field edited last.
struct OGotoHistory {
    static constexpr std::size_t kMaxEntries = 16;
    std::array<std::vector<std::string>, kGotoFieldCount> lists;
    std::optional<OGotoField> lastEdited;
};
// The one instance behind every Goto dialog of the process.
OGotoHistory& ProcessGotoHistory();

// Where the dialog is asked from: the view's caret, records and file.
struct OGotoPlace {
    OOffset caret = 0;
    int recordWidth = 16; // 2 or more
    int phase = 0;        // 0 <= phase < recordWidth
    OOffset fileSize = 0;
};

// The rules of the Goto dialog apart from its widgets: a target offset
// typed as a hex offset, a decimal offset or a decimal record number, each
// field following the others, with a leading '+' or '-' for a move relative
// to the caret. Number errors are said through the platform's message box
// while typing and leave the fields as typed; the form shows Text() and
// List() of each field after every call.
class OGotoModel {
public:
    // Opens the way the previous use left it: the field edited last starts
    // with its newest entry and the others follow it; otherwise everything
    // is empty. history outlives the model.
    OGotoModel(const OGotoPlace& place, OGotoHistory& history);

public: // what the controls show
    const std::string& Text(OGotoField field) const { return m_texts[Index(field)]; }
    const std::vector<std::string>& List(OGotoField field) const { return m_lists[Index(field)]; }
    // Where the focus starts.
    OGotoField FocusField() const { return m_focus; }
    char Sign() const { return m_sign; } // '+', '-' or 0
    OOffset Offset() const { return m_offset; }
    OOffset Record() const { return m_record; }

public: // typing
    // Whether a typed character goes into a field whose text is text, with
    // the edit selection [selectionStart, selectionEnd): digits of the
    // field's base, and a sign only at the first position and not in front
    // of another. Control characters (Backspace) are the edit's own.
    static bool Accepts(OGotoField field, char c, std::string_view text, std::size_t selectionStart,
                        std::size_t selectionEnd);
    // Characters a field holds: a sign and 16 hex or 19 decimal digits.
    static int TextLimit(OGotoField field);

public: // what the user does
    // The field now holds text (typed or chosen from its list). On success
    // the other fields follow and true is returned; a text that is no
    // number, or a record past the last offset, says why, keeps the text
    // and changes nothing else.
    bool Edit(OGotoField field, std::string_view text);
    // Empties the three fields and their lists; the histories follow at
    // the next OK.
    void Clear();
    // OK: the histories take the texts, then the target is checked. A
    // target past the file's end asks (OK clamps it to the end, Cancel
    // stays); a negative one, or a field whose text is no number, is said
    // and stays. None means the dialog stays open.
    std::optional<OOffset> Accept();

private:
    static std::size_t Index(OGotoField field) { return static_cast<std::size_t>(field); }
    void Follow(OGotoField edited);
    OOffset RecordOf(OOffset offset) const;
    void EnterHistory(OGotoField field);

    OGotoPlace m_place;
    OGotoHistory& m_history;
    std::array<std::string, kGotoFieldCount> m_texts;
    std::array<std::vector<std::string>, kGotoFieldCount> m_lists;
    // The field whose text failed to read, if any: OK reads it again
    // rather than go where the fields do not say.
    std::optional<OGotoField> m_unread;
    OGotoField m_focus = OGotoField::HexOffset;
    char m_sign = 0;
    OOffset m_offset = 0;
    OOffset m_record = 0;
};
