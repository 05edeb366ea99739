#pragma once

#include "app/OProfile.h"
#include "app/ORecentFileList.h"
#include "app/OSaveFiles.h"
#include "app/OSettings.h"
#include "document/OClipStore.h"
#include "platform/OCommandTarget.h"

#include <memory>
#include <string>
#include <vector>

// The process-wide state: the global settings, the profile file, the find
// and replace histories and the recent-file list. The shell's application
// object wraps it and adds what needs windows.
class OApp : public OCommandTarget {
public:
    // Start-up, in order: defaults, "General" from iniPath, the two
    // histories, the recent-file list, the save files (beside the .ini with
    // the extension ".sav"). A settings file that exists but cannot be read
    // whole is said so and not written during the run.
    void Startup(const std::string& iniPath);
    // When the main window goes: the save files, then the histories (only
    // once the .ini is recognised as ours). False, after a message, when
    // either could not be written.
    bool SaveHistories();
    // At exit: the recent-file list. Each of these writes only its own
    // sections of the .ini over the file as it is then. False after a message.
    bool SaveAtExit();

    OSettings& Settings() { return m_settings; }
    OProfile& Profile() { return m_profile; }
    ORecentFileList* RecentFiles() { return m_recent.get(); }
    std::vector<std::string>& FindHistory() { return m_findHistory; }
    std::vector<std::string>& ReplaceHistory() { return m_replaceHistory; }
    OSaveFiles& SaveFiles() { return m_saveFiles; }
    // The one clipboard store of the program, shared by every document.
    OClipHolder& ClipHolder() { return m_clipHolder; }
    // Where the clipboard's temporary file goes: the setting, else the system's.
    std::string TempDirectory() const;
    // The undo store's limit: the setting, else the default found at start-up.
    std::uint64_t UndoStoreLimit() const;

    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

private:
    OProfile m_profile;
    OSaveFiles m_saveFiles;
    std::string m_savePath;
    bool m_saveWritable = true;
    std::vector<std::string> m_findHistory;
    std::vector<std::string> m_replaceHistory;
    OSettings m_settings;
    std::unique_ptr<ORecentFileList> m_recent;
    OClipHolder m_clipHolder;
    std::uint64_t m_defaultUndoStoreLimit = 0;
};
