#include "app/qt/OQtApp.h"

#include "app/OCommandLine.h"
#include "app/OVersion.h"
#include "app/qt/OChildFrame.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OOptionsDlg.h"
#include "app/qt/OWindowPlace.h"
#include "document/OBackup.h"
#include "find/OPattern.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "platform/qt/OQtPlatform.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"
#include "view/qt/OView.h"

#include <QFileDialog>
#include <QMdiArea>
#include <QMessageBox>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

OQtApp::OQtApp(OApp& core, OQtPlatform& platform) : m_core(core), m_platform(platform) {}

OQtApp::~OQtApp() {
    if (m_mainFrame) m_platform.SetStatusLabel(nullptr);
}

bool OQtApp::Startup(const std::vector<std::string>& args, int& exitCode) {
    m_mainFrame = std::make_unique<OMainFrame>(*this);
    m_platform.SetWindow(m_mainFrame.get());
    m_platform.SetStatusLabel(m_mainFrame->StatusLabel());
    RestoreWindowPlace(*m_mainFrame, m_core.Settings());

    const OCommandLine line = OCommandLine::Parse(args, [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    });
    for (const OCommandLine::File& file : line.files) {
        if (OpenDocumentFile(file.path)) {
            if (OView* view = m_mainFrame->ActiveView()) view->ApplyRecordWidth(file.recordWidth);
        }
    }
    if (line.error) {
        MessageBoxId(ids::IDS_USAGE, OButtons::Ok, OIcon::Exclamation);
        CloseAllDocuments();
        OnMainWindowClosing();
        exitCode = 1;
        return false;
    }
    ShowWindowAsPlaced(*m_mainFrame, m_core.Settings());
    // Keys reach the accelerators only in the active window.
    m_mainFrame->raise();
    m_mainFrame->activateWindow();
    m_mainFrame->UpdateCommandUI();
    exitCode = 0;
    return true;
}

std::vector<ODoc*> OQtApp::Documents() const {
    std::vector<ODoc*> docs;
    if (!m_mainFrame) return docs;
    for (OChildFrame* frame : m_mainFrame->ChildFrames()) {
        ODoc* doc = &frame->View()->Doc();
        if (std::find(docs.begin(), docs.end(), doc) == docs.end()) docs.push_back(doc);
    }
    return docs;
}

OView* OQtApp::CreateFrame(std::shared_ptr<ODoc> doc, const OViewSettings& settings) {
    const bool first = doc->Views().empty();
    OViewSettings state = settings;
    if (first && !doc->PathName().empty()) {
        // The first window onto a file opens where it was left.
        if (const OSaveFiles::Entry* entry = m_core.SaveFiles().RestoreState(
                doc->PathName(), m_core.Settings().saveFilesCount)) {
            state = entry->viewState;
            state.restorePending = true;
            doc->Markers().LoadTexts(entry->markers, doc->File()->GetSize(), doc->Selection(),
                                     doc->LastFound());
        }
    }
    auto* view = new OView(std::move(doc), state, this);
    auto* frame = new OChildFrame(*this, view, FindServices());
    m_mainFrame->AddChild(frame, m_core.Settings().maximizeFrames);
    view->OnInitialUpdate(first);
    view->setFocus();
    for (OChildFrame* other : m_mainFrame->ChildFrames()) {
        if (&other->View()->Doc() == &view->Doc()) other->UpdateTitle();
    }
    m_mainFrame->UpdateTitle();
    return view;
}

OFindController::Services OQtApp::FindServices() {
    OFindController::Services find;
    find.findHistory = &m_core.FindHistory();
    find.replaceHistory = &m_core.ReplaceHistory();
    find.peekClipboard = [this] {
        std::vector<OByte> bytes(OPattern::kMaxLength);
        bytes.resize(m_core.ClipHolder().Peek(bytes.data(), bytes.size()));
        return bytes;
    };
    find.clipboardHasData = [this] { return m_core.ClipHolder().IsValid(); };
    return find;
}

// A file already open, under whatever name, is the same document: two
// documents on one file would each make a backup and overwrite the other's
// changes.
ODoc* OQtApp::OpenDocumentFile(const std::string& path) {
    for (OChildFrame* frame : m_mainFrame->ChildFrames()) {
        ODoc& doc = frame->View()->Doc();
        if (doc.File() && doc.File()->IsSameFile(path)) {
            m_mainFrame->MdiArea()->setActiveSubWindow(frame);
            AddToRecentFileList(doc.PathName());
            return &doc;
        }
    }
    auto doc = std::make_shared<ODoc>(this);
    if (!doc->OnOpenDocument(path)) return nullptr;
    CreateFrame(doc, m_core.Settings());
    return doc.get();
}

ODoc* OQtApp::NewDocument() {
    auto doc = std::make_shared<ODoc>(this);
    doc->OnNewDocument();
    doc->SetTitle(Format("New%d", ++m_untitledCount));
    CreateFrame(doc, m_core.Settings());
    return doc.get();
}

OView* OQtApp::NewWindow(OView& existing) {
    return CreateFrame(existing.SharedDoc(), existing.Settings());
}

bool OQtApp::CloseDocument(ODoc& doc) {
    if (!doc.SaveModified()) return false;
    doc.OnCloseDocument();
    for (OChildFrame* frame : m_mainFrame->ChildFrames()) {
        if (&frame->View()->Doc() == &doc) frame->CloseQuietly();
    }
    return true;
}

bool OQtApp::CloseAllDocuments() {
    if (!m_mainFrame) return true;
    // Every question first: one Cancel keeps every document open.
    for (ODoc* doc : Documents()) {
        if (!doc->SaveModified()) return false;
    }
    for (ODoc* doc : Documents())
        doc->OnCloseDocument();
    for (OChildFrame* frame : m_mainFrame->ChildFrames())
        frame->CloseQuietly();
    return true;
}

bool OQtApp::CanCloseFrame(OChildFrame& frame) {
    ODoc& doc = frame.View()->Doc();
    if (doc.Views().size() > 1) return true;
    return doc.SaveModified();
}

void OQtApp::OnFrameClosing(OChildFrame& frame) {
    ODoc& doc = frame.View()->Doc();
    if (doc.Views().size() == 1) doc.OnCloseDocument();
}

void OQtApp::OnMainWindowClosing() {
    if (m_shutdownSaved) return;
    m_shutdownSaved = true;
    // The place of a window that was shown; one that never was has none.
    if (m_mainFrame && m_mainFrame->isVisible()) {
        StoreWindowPlace(*m_mainFrame, m_core.Settings());
        if (!m_core.Profile().SaveWindowPlace(m_core.Settings())) {
            const int error = errno;
            MessageBox(FormatId(ids::IDS_FILE_ERROR, m_core.Profile().Ini().Path().c_str(),
                                SystemErrorText(error).c_str()),
                       OButtons::Ok, OIcon::Stop);
        }
    }
    m_core.SaveHistories();
    m_core.SaveAtExit();
}

// Windows scroll in step with the active view of every other window.
std::vector<OView*> OQtApp::PeerViews(const OView& view) {
    std::vector<OView*> peers;
    if (!m_mainFrame) return peers;
    for (OChildFrame* frame : m_mainFrame->ChildFrames()) {
        if (frame->View() != &view) peers.push_back(frame->View());
    }
    return peers;
}

void OQtApp::RunCommand(OCommandId id) {
    if (m_mainFrame) m_mainFrame->ExecuteCommand(id);
}

OCmdUI OQtApp::CommandState(OCommandId id) {
    return m_mainFrame ? m_mainFrame->CommandState(id) : OCmdUI{false, false};
}

void OQtApp::AddToRecentFileList(const std::string& path) {
    if (ORecentFileList* list = m_core.RecentFiles()) list->Add(path);
}

void OQtApp::OnTitleChanged(ODoc& doc) {
    for (OChildFrame* frame : m_mainFrame->ChildFrames()) {
        if (&frame->View()->Doc() == &doc) frame->UpdateTitle();
    }
    m_mainFrame->UpdateTitle();
}

void OQtApp::StoreViewState(ODoc& doc, ODocView& firstView) {
    auto* view = dynamic_cast<OView*>(&firstView);
    if (!view || !doc.File() || doc.PathName().empty()) return;
    std::vector<std::string> markers;
    doc.Markers().SaveTexts(markers, doc.Selection());
    OViewSettings state = view->Settings();
    state.readOnly = doc.ReadOnly();
    m_core.SaveFiles().StoreState(doc.PathName(), doc.File()->GetSize(), state, std::move(markers),
                                  m_core.Settings().saveFilesCount);
}

// No backup is made until the backup modes exist; the first change goes on.
bool OQtApp::MakeBackup(OFile& file) {
    return Backup(file, m_core.Settings().backupMode);
}

bool OQtApp::OnCommand(OCommandId id) {
    switch (id) {
    case ids::ID_FILE_NEW:
        NewDocument();
        return true;
    case ids::ID_FILE_OPEN:
        OpenFromDialog();
        return true;
    case ids::ID_APP_ABOUT:
        About();
        return true;
    case ids::ID_GENERAL_OPTIONS:
        RunOptionsDialog(m_mainFrame.get(), m_core);
        return true;
    default:
        break;
    }
    if (const int recent = ids::RecentFileIndex(id); recent >= 0) {
        OpenRecent(static_cast<std::size_t>(recent));
        return true;
    }
    return m_core.OnCommand(id);
}

bool OQtApp::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    switch (id) {
    case ids::ID_FILE_NEW:
    case ids::ID_FILE_OPEN:
    case ids::ID_APP_ABOUT:
    case ids::ID_GENERAL_OPTIONS:
        return true;
    default:
        break;
    }
    if (const int recent = ids::RecentFileIndex(id); recent >= 0) {
        const ORecentFileList* list = m_core.RecentFiles();
        ui.enabled = list && static_cast<std::size_t>(recent) < list->Entries().size();
        return true;
    }
    return m_core.OnUpdateCommand(id, ui);
}

void OQtApp::OpenFromDialog() {
    const QString path = QFileDialog::getOpenFileName(m_mainFrame.get());
    if (!path.isEmpty()) OpenDocumentFile(path.toStdString());
}

void OQtApp::OpenRecent(std::size_t index) {
    ORecentFileList* list = m_core.RecentFiles();
    if (!list || index >= list->Entries().size()) return;
    const std::string path = list->Entries()[index];
    if (!OpenDocumentFile(path)) {
        // The entry may have moved meanwhile; remove the one that failed.
        const auto& entries = list->Entries();
        const auto at = std::find(entries.begin(), entries.end(), path);
        if (at != entries.end()) list->Remove(static_cast<std::size_t>(at - entries.begin()));
    }
}

void OQtApp::About() {
    QMessageBox::about(m_mainFrame.get(), QStringLiteral("About Quorvalis"),
                       QStringLiteral("Quorvalis \"%1\"\n"
                                      "A viewer and editor for binary files of any size.")
                           .arg(QString::fromUtf8(ProgramVersion())));
}
