#pragma once

#include "app/OSettings.h"
#include "res/OResourceIds.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

class OProfile;

// How a row of the General options is edited.
enum class OOptionKind {
    Flag,   // "disable" or "enable"
    Choice, // one of the row's choices
    Number, // decimal, within the row's bounds
    Font,   // "name,size", or the name alone for size 0; only through a font dialog
    Folder, // a directory, or empty
};

// One row: a label, the value as text, and whether an editor set it.
struct OOptionRow {
    OTextId label;
    OOptionKind kind;
    std::string value;
    std::vector<std::string> choices; // Flag and Choice
    int lower = 0;                    // Number: the bounds, inclusive
    int upper = 0;
    bool changed = false;
};

// The General options as a list of text rows over a copy of OSettings. The
// values are edited as text and reach a settings record only through Apply
// or Save, and then only the rows an editor changed.
class OOptionsModel {
public:
    enum Row : std::size_t {
        kFrameMaximize,
        kRecordBarAt,
        kTabBarAt,
        kRecordWidth,
        kFitRecord,
        kRecentFiles,
        kSaveFiles,
        kFindHistory,
        kFont,
        kTempDir,
        kBackup,
        kMarkerJumpWrap,
        kReadOnly,
        kUndoStoreLimit,
        kRowCount
    };

    explicit OOptionsModel(const OSettings& settings);

    std::size_t RowCount() const { return m_rows.size(); }
    const OOptionRow& At(std::size_t row) const { return m_rows[row]; }
    // The value an editor commits. A Number outside its row's bounds is
    // refused: the value stays and IDS_NUMBER_OUT_RANGE says why. Otherwise
    // the text becomes the value, the row is marked changed and IDS_NONE
    // comes back.
    OTextId SetValue(std::size_t row, const std::string& text);

    // Writes every changed row into settings, as each row reads back.
    void Apply(OSettings& settings) const;
    // Apply, then the "General" section of profile's file (the window
    // position is taken from settings as it is). False after a message when
    // the file could not be written; settings keep the applied values.
    bool Save(OSettings& settings, OProfile& profile) const;

public: // reading a value back
    static bool ReadFlag(const std::string& value);
    // The value's index among choices, ignoring case; 0 when absent.
    static int ReadChoice(const std::string& value, const std::vector<std::string>& choices);
    // The leading decimal number, as atoi reads it; 0 when there is none.
    static int ReadNumber(const std::string& value);
    // The name before the first ',' and the number after it (0 without one).
    static void ReadFont(const std::string& value, std::string& name, int& size);
    static std::string FontText(const std::string& name, int size);

private:
    std::array<OOptionRow, kRowCount> m_rows;
};
