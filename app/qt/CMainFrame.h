#pragma once

#include "platform/OCommandTarget.h"

#include <QMainWindow>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class CChildFrame;
class OQtApp;
class OView;

// The main window: tabbed document windows, menus built from the resource
// tables, a status bar whose first pane carries the program's messages, and
// the command routing from the active view down to the application.
class CMainFrame : public QMainWindow, public OCommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(OQtApp& app);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_mdi; }
    QLabel* StatusLabel() const { return m_statusLabel; }
    CChildFrame* ActiveChild() const;
    OView* ActiveView() const;
    std::vector<CChildFrame*> ChildFrames() const;
    void AddChild(CChildFrame* child, bool maximized);

    // Runs command id along the chain; false when nothing handled it.
    bool ExecuteCommand(unsigned id);
    // Applies every command's update rule to its action.
    void UpdateCommandUI();
    OCmdUI CommandState(unsigned id) const { return RouteUpdate(Chain(), id); }
    QAction* Action(unsigned id) const;
    void UpdateTitle();

    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, OCmdUI& ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::vector<OCommandTarget*> Chain() const;
    QAction* MakeAction(unsigned id, const char* text);
    void BuildMenuBar();
    void FillRecentFiles(QMenu* menu, QAction* before);
    void OnSubWindowActivated();

    OQtApp& m_app;
    QMdiArea* m_mdi;
    QLabel* m_statusLabel;
    std::map<unsigned, QAction*> m_actions;
    std::vector<QAction*> m_recentActions;
    unsigned m_menuResource = 0;
};
