#include "app/OProfile.h"

#include "platform/OFormat.h"
#include "platform/OParseNumber.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxRecentFiles = 16;
constexpr int kMaxSaveFiles = 64;
constexpr int kMaxFindHistory = 32;
// Nothing larger is readable on screen, and a huge size would make painting
// crawl; the font dialog offers far less.
constexpr int kMaxFontSize = 144;

bool Flag(const OIniFile& ini, const std::string& section, const char* key, bool current) {
    return ini.GetInt(section, key, current ? 1 : 0) != 0;
}

// "left,top,width,height": exactly four decimal integers.
bool ParseWindowPos(const std::string& text, int (&values)[4]) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 4; ++i) {
        const auto [next, error] = std::from_chars(p, end, values[i]);
        if (error != std::errc() || next == p) return false;
        p = next;
        if (i < 3) {
            if (p == end || *p != ',') return false;
            ++p;
        }
    }
    return p == end;
}

std::string StoredOffset(OOffset value) {
    if (value < 0) return Format("-0x%llX", 0 - static_cast<unsigned long long>(value));
    return Format("0x%llX", static_cast<unsigned long long>(value));
}

} // namespace

std::string OProfile::PathBesideExecutable(const std::string& exePath, const char* extension) {
    const auto dot = exePath.find_last_of('.');
    const auto slash = exePath.find_last_of('/');
    std::string base = exePath;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
    return base + extension;
}

std::string OProfile::ChoosePath(const std::string& exePath, const char* extension) {
    const std::string beside = PathBesideExecutable(exePath, extension);
    const auto slash = beside.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : beside.substr(0, slash + 1);
    // An installed program never writes beside itself, even as root: the
    // system's directories hold no user's settings.
    const bool installed =
        dir.starts_with("/usr/") || dir.starts_with("/bin/") || dir.starts_with("/sbin/");
    if (!exePath.empty() && !installed && ::access(dir.c_str(), W_OK) == 0) return beside;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        config = "/tmp";
    config += "/quorvalis";
    ::mkdir(config.c_str(), 0700); // may exist already; a failure shows at the first write
    const std::string name = slash == std::string::npos ? beside : beside.substr(slash + 1);
    return config + "/" + name;
}

void OProfile::LoadGeneral(OSettings& settings) {
    m_ini.Load();
    if (m_ini.GetString("General", "Version").empty()) return;
    m_recognised = true;
    Load(m_ini, "General", settings);
}

bool OProfile::SaveGeneral(const OSettings& settings) {
    m_recognised = true;
    return m_ini.Update([&](OIniFile& ini) { Save(ini, "General", settings); });
}

bool OProfile::SaveWindowPlace(const OSettings& settings) {
    if (!m_recognised) {
        // Nothing of "General" was read, so the defaults go with the place:
        // options applied but not saved during the run stay out of the file.
        OSettings defaults;
        defaults.windowLeft = settings.windowLeft;
        defaults.windowTop = settings.windowTop;
        defaults.windowWidth = settings.windowWidth;
        defaults.windowHeight = settings.windowHeight;
        defaults.windowMaximized = settings.windowMaximized;
        return SaveGeneral(defaults);
    }
    return m_ini.Update([&](OIniFile& ini) {
        ini.WriteString("General", "WindowPos",
                        Format("%d,%d,%d,%d", settings.windowLeft, settings.windowTop,
                               settings.windowWidth, settings.windowHeight));
        ini.WriteInt("General", "WindowMaximized", settings.windowMaximized);
    });
}

bool OProfile::SaveHistories(const std::vector<std::string>& find,
                             const std::vector<std::string>& replace, int limit) {
    if (!m_recognised) return true;
    return m_ini.Update([&](OIniFile& ini) {
        WriteList(ini, "Find", "Find%d", find, limit);
        WriteList(ini, "Replace", "Replace%d", replace, limit);
    });
}

void OProfile::LoadFileState(const OIniFile& ini, const std::string& section, OViewSettings& s) {
    const std::string top = ini.GetString(section, "OffsetTop");
    s.topOffset = ParseStoredOffset(top);
    const OOffset caret = ParseStoredOffset(ini.GetString(section, "OffsetCurrent"));
    if (caret >= 0) s.caretOffset = caret;
    LoadCommon(ini, section, s);
}

std::uint64_t OProfile::ReadBytes(const std::string& text) {
    // Digits only: a sign or a fraction is no byte count.
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoull(text);
}

void OProfile::Load(const OIniFile& ini, const std::string& section, OSettings& s) {
    int pos[4];
    if (ParseWindowPos(ini.GetString(section, "WindowPos"), pos)) {
        s.windowLeft = pos[0];
        s.windowTop = pos[1];
        s.windowWidth = pos[2];
        s.windowHeight = pos[3];
    }
    s.windowMaximized = Flag(ini, section, "WindowMaximized", s.windowMaximized);
    if (int n = ini.GetInt(section, "RecentFilesCount", -1); n >= 0)
        s.recentFilesCount = std::min(n, kMaxRecentFiles);
    if (int n = ini.GetInt(section, "SaveFilesCount", -1); n >= 0)
        s.saveFilesCount = std::min(n, kMaxSaveFiles);
    if (int n = ini.GetInt(section, "FindHistorySave", 0); n > 0)
        s.findHistorySize = std::min(n, kMaxFindHistory);
    s.recordBarTop = Flag(ini, section, "RecordBarTop", s.recordBarTop);
    s.tabBarTop = Flag(ini, section, "MdiTabBarTop", s.tabBarTop);
    s.maximizeFrames = Flag(ini, section, "FrameMaximize", s.maximizeFrames);
    s.SetTempDirectory(ini.GetString(section, "TmpDir"));
    if (int mode = ini.GetInt(section, "Backup", -1); mode >= 0 && mode <= 2) s.backupMode = mode;
    s.markerJumpWrap = Flag(ini, section, "MarkerJumpWrap", s.markerJumpWrap);
    s.undoStoreLimit = ReadBytes(ini.GetString(section, "UndoStoreLimit"));
    LoadCommon(ini, section, s);
}

void OProfile::LoadCommon(const OIniFile& ini, const std::string& section, OViewSettings& s) {
    if (int width = ini.GetInt(section, "RecordWidth", 0); width > 0)
        s.recordWidth = std::min(width, s.maxRecordWidth);
    s.fitRecord = Flag(ini, section, "RecordFit", s.fitRecord);
    s.fontName = ini.GetString(section, "FontName");
    if (int size = ini.GetInt(section, "FontSize", 0); size > 4)
        s.fontSize = std::min(size, kMaxFontSize);
    s.paneOffset = Flag(ini, section, "PaneOffset", s.paneOffset);
    s.paneHex = Flag(ini, section, "PaneHex", s.paneHex);
    s.paneText = Flag(ini, section, "PaneText", s.paneText);
    // A window with neither byte pane would show nothing to edit.
    if (!s.paneHex && !s.paneText) s.paneText = true;
    s.oemCharacters = Flag(ini, section, "OEM", s.oemCharacters);
    s.readOnly = Flag(ini, section, "Read-only", s.readOnly);
}

void OProfile::SaveFileState(OIniFile& ini, const std::string& section, const OViewSettings& s) {
    ini.WriteString(section, "OffsetTop", StoredOffset(s.topOffset));
    ini.WriteString(section, "OffsetCurrent", StoredOffset(s.caretOffset));
    ini.WriteInt(section, "PaneOffset", s.paneOffset);
    ini.WriteInt(section, "PaneHex", s.paneHex);
    ini.WriteInt(section, "PaneText", s.paneText);
    ini.WriteInt(section, "OEM", s.oemCharacters);
    SaveCommon(ini, section, s);
}

void OProfile::Save(OIniFile& ini, const std::string& section, const OSettings& s) {
    ini.WriteString(section, "Version", kVersion);
    if (s.windowWidth != OSettings::kDefaultPosition) {
        ini.WriteString(
            section, "WindowPos",
            Format("%d,%d,%d,%d", s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight));
        ini.WriteInt(section, "WindowMaximized", s.windowMaximized);
    }
    ini.WriteInt(section, "RecentFilesCount", s.recentFilesCount);
    ini.WriteInt(section, "SaveFilesCount", s.saveFilesCount);
    ini.WriteInt(section, "FindHistorySave", s.findHistorySize);
    ini.WriteInt(section, "FrameMaximize", s.maximizeFrames);
    ini.WriteInt(section, "RecordBarTop", s.recordBarTop);
    ini.WriteInt(section, "MdiTabBarTop", s.tabBarTop);
    ini.WriteString(section, "TmpDir", s.tempDirectory);
    ini.WriteInt(section, "Backup", s.backupMode);
    ini.WriteInt(section, "MarkerJumpWrap", s.markerJumpWrap);
    ini.WriteString(section, "UndoStoreLimit", std::to_string(s.undoStoreLimit));
    SaveCommon(ini, section, s);
}

void OProfile::SaveCommon(OIniFile& ini, const std::string& section, const OViewSettings& s) {
    ini.WriteInt(section, "RecordWidth", s.recordWidth);
    ini.WriteInt(section, "RecordFit", s.fitRecord);
    ini.WriteString(section, "FontName", s.fontName);
    ini.WriteInt(section, "FontSize", s.fontSize);
    ini.WriteInt(section, "Read-only", s.readOnly);
}

void OProfile::ReadList(const OIniFile& ini, const std::string& section, const char* keyFormat,
                        std::vector<std::string>& list, int count) {
    for (int i = 1; i <= count; ++i) {
        std::string value = ini.GetString(section, Format(keyFormat, i));
        if (!value.empty()) list.push_back(std::move(value));
    }
}

void OProfile::WriteList(OIniFile& ini, const std::string& section, const char* keyFormat,
                         const std::vector<std::string>& list, int limit) {
    ini.DeleteSection(section);
    const int n = std::min(static_cast<int>(list.size()), std::max(limit, 0));
    for (int i = 1; i <= n; ++i)
        ini.WriteString(section, Format(keyFormat, i), list[i - 1]);
}

void OProfile::ReadMarkers(const OIniFile& ini, const std::string& section,
                           std::vector<std::string>& list) {
    const int count = ini.GetInt(section, "MarkerCount", -1);
    if (count <= 0) return;
    // One pass over the keys that are there, in index order: a damaged count
    // must not cost a lookup per number up to it. Marker0 is taken even when
    // empty or missing, the others only when they hold text.
    std::map<int, std::string> byIndex;
    for (const auto& [key, value] : ini.Entries(section)) {
        if (key.size() < 7 || !std::equal(key.begin(), key.begin() + 6, "Marker",
                                          [](char a, char b) { return (a | 0x20) == (b | 0x20); }))
            continue;
        int index = -1;
        const auto [end, error] = std::from_chars(key.data() + 6, key.data() + key.size(), index);
        if (error != std::errc() || end != key.data() + key.size() || index < 1 || index >= count)
            continue;
        if (!value.empty()) byIndex.try_emplace(index, value);
    }
    list.push_back(ini.GetString(section, "Marker0"));
    for (auto& [index, value] : byIndex)
        list.push_back(std::move(value));
}

void OProfile::WriteMarkers(OIniFile& ini, const std::string& section,
                            const std::vector<std::string>& list) {
    if (list.empty()) return;
    ini.WriteInt(section, "MarkerCount", static_cast<int>(list.size()));
    int index = 0;
    for (const std::string& marker : list) {
        if (!marker.empty()) ini.WriteString(section, Format("Marker%d", index), marker);
        ++index;
    }
}
