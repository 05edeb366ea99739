#pragma once

#include "app/OApp.h"
#include "document/ODoc.h"
#include "find/qt/OFindController.h"
#include "markers/qt/OQtMarkerDialogs.h"
#include "platform/OCommandTarget.h"
#include "view/qt/OViewHost.h"

#include <memory>
#include <string>
#include <vector>

class OChildFrame;
class OMainFrame;
class OQtPlatform;
class OView;

// The application in the shell: the document template (document, child
// frame and view made together), the application's commands, and start-up
// and shutdown around the core's state.
class OQtApp : public OCommandTarget, public ODocHost, public OViewHost {
public:
    OQtApp(OApp& core, OQtPlatform& platform);
    ~OQtApp();

    // Creates the main window and opens the files the command line names.
    // False when the program must end; exitCode says how.
    bool Startup(const std::vector<std::string>& args, int& exitCode);
    OMainFrame* MainFrame() const { return m_mainFrame.get(); }
    OApp& Core() { return m_core; }

public: // the document template
    // Opens path as a document in a new window, or activates the window
    // already showing it. Null when it could not be opened.
    ODoc* OpenDocumentFile(const std::string& path);
    ODoc* NewDocument();
    OView* NewWindow(OView& existing);
    // Closes every window of doc after the save question; false if kept.
    bool CloseDocument(ODoc& doc);
    bool CloseAllDocuments();
    std::vector<ODoc*> Documents() const;

public: // called by the frames
    bool CanCloseFrame(OChildFrame& frame);
    void OnFrameClosing(OChildFrame& frame);
    void OnMainWindowClosing();

public: // ODocHost
    void AddToRecentFileList(const std::string& path) override;
    void OnTitleChanged(ODoc& doc) override;
    void StoreViewState(ODoc& doc, ODocView& firstView) override;
    bool MakeBackup(OFile& file) override;
    OClipHolder& ClipHolder() override { return m_core.ClipHolder(); }
    std::string TempDirectory() override { return m_core.TempDirectory(); }
    std::uint64_t UndoStoreLimit() override { return m_core.UndoStoreLimit(); }
    OMarkerDialogs* MarkerDialogs() override { return &m_markerDialogs; }

public: // OViewHost
    std::vector<OView*> PeerViews(const OView& view) override;
    void RunCommand(OCommandId id) override;
    OCmdUI CommandState(OCommandId id) override;
    bool MarkerJumpWrap() const override { return m_core.Settings().markerJumpWrap; }
    bool TooltipUnderOffset() const override { return m_core.Settings().tooltipUnderOffset; }

public: // commands
    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

private:
    OView* CreateFrame(std::shared_ptr<ODoc> doc, const OViewSettings& settings);
    OFindController::Services FindServices();
    void OpenFromDialog();
    void OpenRecent(std::size_t index);
    void About();

    OApp& m_core;
    OQtMarkerDialogs m_markerDialogs;
    OQtPlatform& m_platform;
    std::unique_ptr<OMainFrame> m_mainFrame;
    int m_untitledCount = 0;
    bool m_shutdownSaved = false;
};
