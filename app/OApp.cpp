#include "app/OApp.h"

#include "document/OUndoStore.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <cerrno>

namespace {

void ShowWriteFailure(const std::string& path, int error) {
    MessageBox(FormatId(ids::IDS_FILE_ERROR, path.c_str(), SystemErrorText(error).c_str()),
               OButtons::Ok, OIcon::Stop);
}

// A settings file that exists but was not read whole is left alone for the
// run: writing it back would lose what was not read.
void ShowIfNotWritable(const OIniFile& file) {
    if (file.Writable()) return;
    MessageBox(FormatId(ids::IDS_SETTINGS_NOT_WRITTEN, file.Path().c_str(),
                        SystemErrorText(file.LoadError()).c_str()),
               OButtons::Ok, OIcon::Exclamation);
}

} // namespace

void OApp::Startup(const std::string& iniPath) {
    m_settings.Reset();
    m_profile = OProfile(iniPath);
    m_profile.LoadGeneral(m_settings);
    ShowIfNotWritable(m_profile.Ini());
    m_findHistory.clear();
    m_replaceHistory.clear();
    OProfile::ReadList(m_profile.Ini(), "Find", "Find%d", m_findHistory,
                       m_settings.findHistorySize);
    OProfile::ReadList(m_profile.Ini(), "Replace", "Replace%d", m_replaceHistory,
                       m_settings.findHistorySize);
    m_recent.reset();
    if (m_settings.recentFilesCount > 0) {
        m_recent = std::make_unique<ORecentFileList>(m_settings.recentFilesCount);
        m_recent->Read(m_profile.Ini());
    }
    m_savePath = OProfile::PathBesideExecutable(iniPath, ".sav");
    OIniFile sav(m_savePath);
    m_saveWritable = true;
    if (m_settings.saveFilesCount > 0) {
        sav.Load();
        ShowIfNotWritable(sav);
        m_saveWritable = sav.Writable();
    }
    m_saveFiles.LoadSaveFiles(sav, m_settings, m_settings.saveFilesCount);
    m_defaultUndoStoreLimit = DefaultUndoStoreLimit(TempDirectory());
}

std::uint64_t OApp::UndoStoreLimit() const {
    return m_settings.undoStoreLimit != 0 ? m_settings.undoStoreLimit : m_defaultUndoStoreLimit;
}

bool OApp::SaveHistories() {
    bool ok = true;
    if (m_saveWritable) {
        OIniFile sav(m_savePath);
        if (!m_saveFiles.WriteSaveFiles(sav, m_settings.saveFilesCount)) {
            ShowWriteFailure(m_savePath, errno);
            ok = false;
        }
    }
    if (!m_profile.SaveHistories(m_findHistory, m_replaceHistory, m_settings.findHistorySize)) {
        ShowWriteFailure(m_profile.Ini().Path(), errno);
        ok = false;
    }
    return ok;
}

bool OApp::SaveAtExit() {
    if (!m_recent) return true;
    if (m_profile.Ini().Update([&](OIniFile& ini) { m_recent->Write(ini); })) return true;
    ShowWriteFailure(m_profile.Ini().Path(), errno);
    return false;
}

bool OApp::OnCommand(OCommandId id) {
    if (id != ids::ID_TOOLTIP_UNDER_OFFSET) return false;
    m_settings.tooltipUnderOffset = !m_settings.tooltipUnderOffset;
    return true;
}

bool OApp::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    if (id != ids::ID_TOOLTIP_UNDER_OFFSET) return false;
    ui.checked = m_settings.tooltipUnderOffset;
    return true;
}

std::string OApp::TempDirectory() const {
    return m_settings.tempDirectory.empty() ? SystemTempDirectory() : m_settings.tempDirectory;
}
