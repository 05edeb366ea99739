#pragma once

#include "app/OSettings.h"
#include "platform/OIniFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Maps OSettings to .ini keys and back, and keeps the string lists (find and
// replace histories, recent files, markers) in their numbered keys. Values
// out of range are ignored or clamped; nothing here shows a message.
class OProfile {
public:
    static constexpr const char* kVersion = "0.37";

    // exePath with the text after its last '.' replaced by extension (".ini"),
    // or extension appended when that '.' is in a directory name.
    static std::string PathBesideExecutable(const std::string& exePath, const char* extension);
    // Where the profile file lives: beside the executable when that directory
    // can be written and is not a system one (/usr, /bin, /sbin: an installed
    // program), otherwise $XDG_CONFIG_HOME/quorvalis/ (by default
    // ~/.config/quorvalis/), created on demand.
    static std::string ChoosePath(const std::string& exePath, const char* extension);

    explicit OProfile(std::string iniPath = {}) : m_ini(std::move(iniPath)) {}

    OIniFile& Ini() { return m_ini; }
    bool Recognised() const { return m_recognised; }

public: // the settings record
    // Reads "General" at start-up: nothing unless it has a Version.
    void LoadGeneral(OSettings& settings);
    // Writes "General" over the file as it is now; false (errno set) when it
    // could not be written.
    bool SaveGeneral(const OSettings& settings);
    // Writes the main window's place (WindowPos, WindowMaximized) over the
    // file as it is now, leaving every other key; into a file not yet
    // recognised, a whole "General" of the defaults with the place, so that
    // the next start reads it.
    // False (errno set) when it could not be written.
    bool SaveWindowPlace(const OSettings& settings);
    // Writes the two history lists over the file as it is now, only once
    // Recognised; false (errno set) when they could not be written.
    bool SaveHistories(const std::vector<std::string>& find,
                       const std::vector<std::string>& replace, int limit);
    // The program's options and display defaults (the "General" keys).
    static void Load(const OIniFile& ini, const std::string& section, OSettings& settings);
    static void Save(OIniFile& ini, const std::string& section, const OSettings& settings);
    // One file's view state (the keys of a save-file section).
    static void LoadFileState(const OIniFile& ini, const std::string& section,
                              OViewSettings& state);
    static void SaveFileState(OIniFile& ini, const std::string& section,
                              const OViewSettings& state);

    // A byte count of the .ini: decimal digits; 0 for anything else.
    static std::uint64_t ReadBytes(const std::string& text);

public: // string lists
    // keyFormat holds one "%d", numbered from 1; empty values are skipped.
    static void ReadList(const OIniFile& ini, const std::string& section, const char* keyFormat,
                         std::vector<std::string>& list, int count);
    // Replaces the section by the first limit entries.
    static void WriteList(OIniFile& ini, const std::string& section, const char* keyFormat,
                          const std::vector<std::string>& list, int limit);
    static void ReadMarkers(const OIniFile& ini, const std::string& section,
                            std::vector<std::string>& list);
    static void WriteMarkers(OIniFile& ini, const std::string& section,
                             const std::vector<std::string>& list);

private:
    static void LoadCommon(const OIniFile& ini, const std::string& section,
                           OViewSettings& settings);
    static void SaveCommon(OIniFile& ini, const std::string& section,
                           const OViewSettings& settings);

    OIniFile m_ini;
    bool m_recognised = false;
};
