#include "app/OApp.h"

#include "platform/OSystem.h"
#include "res/OResourceIds.h"

void OApp::Startup(const std::string& iniPath) {
    m_settings.Reset();
    m_profile = OProfile(iniPath);
    m_profile.LoadGeneral(m_settings);
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
    if (m_settings.saveFilesCount > 0) sav.Load();
    m_saveFiles.LoadSaveFiles(sav, m_settings, m_settings.saveFilesCount);
}

bool OApp::SaveHistories() {
    OIniFile sav(m_savePath);
    const bool saved = m_saveFiles.WriteSaveFiles(sav, m_settings.saveFilesCount);
    m_profile.WriteList("Find", "Find%d", m_findHistory, m_settings.findHistorySize);
    m_profile.WriteList("Replace", "Replace%d", m_replaceHistory, m_settings.findHistorySize);
    return saved;
}

bool OApp::SaveAtExit() {
    if (m_recent) m_recent->Write(m_profile.Ini());
    return m_profile.Ini().Flush();
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
