#pragma once

#include "platform/OCommandTarget.h"
#include "res/OStringTable.h"

#include <QMainWindow>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class OChildFrame;
class OQtApp;
class OTabRefresh;
class OView;

// The main window: tabbed document windows, menus built from the resource
// tables, a status bar whose first pane carries the program's messages, and
// the command routing from the active view down to the application. Files
// dropped on it open as File > Open opens them.
class OMainFrame : public QMainWindow, public OCommandTarget {
    Q_OBJECT
public:
    explicit OMainFrame(OQtApp& app);
    ~OMainFrame() override;

    QMdiArea* MdiArea() const { return m_mdi; }
    QLabel* StatusLabel() const { return m_statusLabel; }
    OTabRefresh& TabRefresh() const { return *m_tabRefresh; }
    OChildFrame* ActiveChild() const;
    OView* ActiveView() const;
    std::vector<OChildFrame*> ChildFrames() const;
    void AddChild(OChildFrame* child, bool maximized);

    // Runs command id along the chain; false when nothing handled it.
    bool ExecuteCommand(OCommandId id);
    // Applies every command's update rule to its action.
    void UpdateCommandUI();
    OCmdUI CommandState(OCommandId id) const { return RouteUpdate(Chain(), id); }
    QAction* Action(OCommandId id) const;
    // The frame's action of a command, made when first asked for: menus,
    // keys and bars follow its update state.
    QAction* CommandAction(OCommandId id) { return MakeAction(id, CommandTooltip(id)); }
    // A new action with its own text (a menu item, a bar's button) that runs
    // the command and shows its state.
    QAction* MirrorAction(OCommandId id, const QString& text, QObject* parent);
    void UpdateTitle();

    bool OnCommand(OCommandId id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::vector<OCommandTarget*> Chain() const;
    QAction* MakeAction(OCommandId id, const char* text);
    void BuildMenuBar();
    void BuildToolBar();
    void FillRecentFiles(QMenu* menu, QAction* before);
    void OnSubWindowActivated();
    void Tile(Qt::Orientation along);

    OQtApp& m_app;
    QMdiArea* m_mdi;
    QLabel* m_statusLabel;
    QToolBar* m_toolBar = nullptr;
    OTabRefresh* m_tabRefresh = nullptr;
    std::map<OCommandId, QAction*> m_actions;
    std::vector<QAction*> m_recentActions;
    std::optional<OTextId> m_menuResource;
};
