#pragma once

#include "find/qt/OFindController.h"
#include "platform/OCommandTarget.h"

#include <QMdiSubWindow>

class ORecordBar;
class OView;
class OQtApp;

// One document window: a tab of the main frame holding one view with its
// record bar, and the search commands over it.
class OChildFrame : public QMdiSubWindow, public OCommandTarget {
    Q_OBJECT
public:
    OChildFrame(OQtApp& app, OView* view, OFindController::Services find);

    OView* View() const { return m_view; }
    ORecordBar* RecordBar() const { return m_recordBar; }
    // Closes without the save question: the caller has asked it already.
    void CloseQuietly();
    void UpdateTitle();

    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OQtApp& m_app;
    OView* m_view;
    ORecordBar* m_recordBar = nullptr;
    OFindController m_find;
    bool m_quiet = false;
};
