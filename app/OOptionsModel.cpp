#include "app/OOptionsModel.h"

#include "app/OProfile.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <strings.h>

namespace {

const std::vector<std::string> kFlagChoices{"disable", "enable"};
const std::vector<std::string> kBarChoices{"bottom", "top"};
const std::vector<std::string> kBackupChoices{"none", "one overwrited", "four generation"};

OOptionRow Flag(OTextId label, bool on) {
    return {label, OOptionKind::Flag, kFlagChoices[on ? 1 : 0], kFlagChoices, 0, 0, false};
}

OOptionRow Choice(OTextId label, int index, const std::vector<std::string>& choices) {
    const std::size_t at = index >= 0 && static_cast<std::size_t>(index) < choices.size()
                               ? static_cast<std::size_t>(index)
                               : 0;
    return {label, OOptionKind::Choice, choices[at], choices, 0, 0, false};
}

OOptionRow Plain(OTextId label, OOptionKind kind, std::string value) {
    return {label, kind, std::move(value), {}, 0, 0, false};
}

OOptionRow Number(OTextId label, int value, int a, int b) {
    return {label, OOptionKind::Number, std::to_string(value), {}, std::min(a, b), std::max(a, b),
            false};
}

} // namespace

OOptionsModel::OOptionsModel(const OSettings& s)
    : m_rows{
          Flag(ids::IDS_OPT_FRAME_MAXIMIZE, s.maximizeFrames),
          Choice(ids::IDS_OPT_RECORD_BAR_AT, s.recordBarTop ? 1 : 0, kBarChoices),
          Choice(ids::IDS_OPT_TAB_BAR_AT, s.tabBarTop ? 1 : 0, kBarChoices),
          Number(ids::IDS_OPT_RECORD_WIDTH, s.recordWidth, 2, s.maxRecordWidth),
          Flag(ids::IDS_OPT_FIT_RECORD, s.fitRecord),
          Number(ids::IDS_OPT_RECENT_FILES, s.recentFilesCount, 0, 16),
          Number(ids::IDS_OPT_SAVE_FILES, s.saveFilesCount, 0, 64),
          Number(ids::IDS_OPT_FIND_HISTORY, s.findHistorySize, 0, 32),
          Plain(ids::IDS_OPT_FONT, OOptionKind::Font, FontText(s.fontName, s.fontSize)),
          Plain(ids::IDS_OPT_TEMP_DIR, OOptionKind::Folder, s.tempDirectory),
          Choice(ids::IDS_OPT_BACKUP, s.backupMode, kBackupChoices),
          Flag(ids::IDS_OPT_MARKER_JUMP_WRAP, s.markerJumpWrap),
          Flag(ids::IDS_OPT_READ_ONLY, s.readOnly),
          // Bytes past an int's range: read as digits, not as a bounded Number.
          Plain(ids::IDS_OPT_UNDO_STORE_LIMIT, OOptionKind::Number,
                std::to_string(s.undoStoreLimit)),
      } {}

OTextId OOptionsModel::SetValue(std::size_t row, const std::string& text) {
    OOptionRow& r = m_rows[row];
    if (row == kUndoStoreLimit && (text != "0" && OProfile::ReadBytes(text) == 0))
        return ids::IDS_NUMBER_OUT_RANGE;
    if (r.kind == OOptionKind::Number && r.upper != 0) {
        const int n = ReadNumber(text);
        if (n < r.lower || n > r.upper) return ids::IDS_NUMBER_OUT_RANGE;
    }
    r.value = text;
    r.changed = true;
    return ids::IDS_NONE;
}

void OOptionsModel::Apply(OSettings& s) const {
    const auto changed = [this](Row row) { return m_rows[row].changed; };
    const auto flag = [this](Row row) { return ReadFlag(m_rows[row].value); };
    const auto choice = [this](Row row) {
        return ReadChoice(m_rows[row].value, m_rows[row].choices);
    };
    const auto number = [this](Row row) { return ReadNumber(m_rows[row].value); };

    if (changed(kFrameMaximize)) s.maximizeFrames = flag(kFrameMaximize);
    if (changed(kRecordBarAt)) s.recordBarTop = choice(kRecordBarAt) != 0;
    if (changed(kTabBarAt)) s.tabBarTop = choice(kTabBarAt) != 0;
    if (changed(kRecordWidth)) s.recordWidth = number(kRecordWidth);
    if (changed(kFitRecord)) s.fitRecord = flag(kFitRecord);
    if (changed(kRecentFiles) && number(kRecentFiles) >= 0)
        s.recentFilesCount = std::min(number(kRecentFiles), 16);
    if (changed(kSaveFiles) && number(kSaveFiles) >= 0)
        s.saveFilesCount = std::min(number(kSaveFiles), 64);
    if (changed(kFindHistory)) s.findHistorySize = number(kFindHistory);
    if (changed(kFont)) {
        std::string name;
        int size = 0;
        ReadFont(m_rows[kFont].value, name, size);
        s.fontName = name;
        if (size > 4) s.fontSize = size;
    }
    if (changed(kTempDir)) s.SetTempDirectory(m_rows[kTempDir].value);
    if (changed(kBackup)) s.backupMode = choice(kBackup);
    if (changed(kMarkerJumpWrap)) s.markerJumpWrap = flag(kMarkerJumpWrap);
    if (changed(kReadOnly)) s.readOnly = flag(kReadOnly);
    if (changed(kUndoStoreLimit))
        s.undoStoreLimit = OProfile::ReadBytes(m_rows[kUndoStoreLimit].value);
}

bool OOptionsModel::Save(OSettings& settings, OProfile& profile) const {
    Apply(settings);
    if (profile.SaveGeneral(settings)) return true;
    const int error = errno;
    MessageBox(
        FormatId(ids::IDS_FILE_ERROR, profile.Ini().Path().c_str(), SystemErrorText(error).c_str()),
        OButtons::Ok, OIcon::Stop);
    return false;
}

bool OOptionsModel::ReadFlag(const std::string& value) {
    return ::strcasecmp(value.c_str(), "enable") == 0;
}

int OOptionsModel::ReadChoice(const std::string& value, const std::vector<std::string>& choices) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (::strcasecmp(value.c_str(), choices[i].c_str()) == 0) return static_cast<int>(i);
    }
    return 0;
}

int OOptionsModel::ReadNumber(const std::string& value) {
    // strtol, not atoi: a text past the int range is clamped, not undefined.
    const long n = std::strtol(value.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(n, INT32_MIN, INT32_MAX));
}

void OOptionsModel::ReadFont(const std::string& value, std::string& name, int& size) {
    const std::size_t comma = value.find(',');
    name = value.substr(0, comma);
    size = comma == std::string::npos ? 0 : ReadNumber(value.substr(comma + 1));
}

std::string OOptionsModel::FontText(const std::string& name, int size) {
    return size == 0 ? name : name + "," + std::to_string(size);
}
