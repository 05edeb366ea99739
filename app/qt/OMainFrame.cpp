#include "app/qt/OMainFrame.h"

#include "app/qt/OChildFrame.h"
#include "app/qt/OCommandIcons.h"
#include "app/qt/OQtApp.h"
#include "app/qt/ORecordBar.h"
#include "app/qt/OTabRefresh.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "res/OMenus.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

OMainFrame::OMainFrame(OQtApp& app) : m_app(app), m_mdi(new QMdiArea(this)) {
    setWindowTitle(QString::fromUtf8(LoadString(ids::IDR_MAINFRAME)));
    // The views take no drops themselves, so a drop anywhere reaches this.
    setAcceptDrops(true);
    m_mdi->setViewMode(QMdiArea::TabbedView);
    m_mdi->setTabsClosable(true);
    m_mdi->setTabsMovable(true);
    m_mdi->setDocumentMode(true);
    m_mdi->setTabPosition(m_app.Core().Settings().tabBarTop ? QTabWidget::North
                                                            : QTabWidget::South);
    // Qt makes the tab bar with the tabbed mode.
    if (QTabBar* tabs = m_mdi->findChild<QTabBar*>()) tabs->installEventFilter(this);
    m_tabRefresh = new OTabRefresh(*m_mdi);
    connect(m_tabRefresh, &OTabRefresh::TitlesChanged, this, [this] { UpdateTitle(); });
    setCentralWidget(m_mdi);
    m_statusLabel = new QLabel(this);
    statusBar()->addWidget(m_statusLabel, 1);

    for (const OAccelerator& accel : Accelerators()) {
        MakeAction(accel.id, CommandPrompt(accel.id));
        // Keys live on the window, so they work whether a menu shows the
        // command or not. Their actions stay enabled: the update rule is
        // asked when the key is pressed, not when the idle timer last ran.
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(QString::fromLatin1(accel.keys)));
        const OCommandId id = accel.id;
        connect(key, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        addAction(key);
    }
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { OnSubWindowActivated(); });
    BuildMenuBar();
    BuildToolBar();

    // Menus and buttons follow the update rules while the program idles.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] { UpdateCommandUI(); });
    idle->start(250);
}

// A double click on a tab maximises its window or restores it. (Qt's tab
// bar closes a closable tab on a middle click itself, through the window's
// close and so its save question.)
bool OMainFrame::eventFilter(QObject* watched, QEvent* event) {
    auto* tabs = qobject_cast<QTabBar*>(watched);
    if (!tabs || event->type() != QEvent::MouseButtonDblClick)
        return QMainWindow::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int index = tabs->tabAt(mouse->position().toPoint());
    if (index < 0 || mouse->button() != Qt::LeftButton)
        return QMainWindow::eventFilter(watched, event);
    // Tabs can be moved: the window of a tab is the one its selection activates.
    tabs->setCurrentIndex(index);
    QMdiSubWindow* window = m_mdi->activeSubWindow();
    if (!window) return QMainWindow::eventFilter(watched, event);
    if (window->isMaximized())
        window->showNormal();
    else
        window->showMaximized();
    return true;
}

OMainFrame::~OMainFrame() {
    // The base class destroys the windows after this part is gone: their
    // signals must not reach it.
    m_mdi->disconnect(this);
    m_tabRefresh->disconnect(this);
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        window->disconnect(this);
}

QAction* OMainFrame::MakeAction(OCommandId id, const char* text) {
    auto found = m_actions.find(id);
    if (found != m_actions.end()) return found->second;
    auto* action = new QAction(QString::fromUtf8(text), this);
    action->setStatusTip(QString::fromUtf8(CommandPrompt(id)));
    action->setToolTip(QString::fromUtf8(CommandTooltip(id)));
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions.emplace(id, action);
    return action;
}

QAction* OMainFrame::MirrorAction(OCommandId id, const QString& text, QObject* parent) {
    QAction* shared = CommandAction(id);
    auto* action = new QAction(text, parent);
    // The prompt shows in the status bar while the item is highlighted.
    action->setStatusTip(shared->statusTip());
    action->setToolTip(shared->toolTip());
    connect(action, &QAction::triggered, shared, &QAction::trigger);
    auto mirror = [action, shared] {
        // A text the command names itself (Undo, Redo) reaches its items.
        if (shared->property("namedText").toBool()) action->setText(shared->text());
        action->setEnabled(shared->isEnabled());
        action->setCheckable(shared->isCheckable());
        action->setChecked(shared->isChecked());
    };
    connect(shared, &QAction::changed, action, mirror);
    mirror();
    return action;
}

QAction* OMainFrame::Action(OCommandId id) const {
    auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void OMainFrame::BuildMenuBar() {
    const OTextId resource =
        m_mdi->subWindowList().isEmpty() ? ids::IDR_MAINFRAME : ids::IDR_DOCTYPE;
    if (resource == m_menuResource) return;
    m_menuResource = resource;
    QMenuBar* bar = menuBar();
    bar->clear();
    QMenu* menu = nullptr;
    for (const OMenuEntry& entry : MenuResource(resource)) {
        switch (entry.kind) {
        case OMenuKind::Popup:
            menu = bar->addMenu(QString::fromUtf8(entry.text));
            connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
            break;
        case OMenuKind::End:
            menu = nullptr;
            break;
        case OMenuKind::Separator:
            if (menu) menu->addSeparator();
            break;
        case OMenuKind::RecentFiles: {
            // The entries are filled in each time the menu opens.
            QAction* anchor = menu->addSeparator();
            anchor->setVisible(false);
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu, anchor] { FillRecentFiles(menu, anchor); });
            break;
        }
        case OMenuKind::Item: {
            MakeAction(entry.id, entry.text);
            // The item's own text (with its key hint) on an action of the same command.
            QAction* item = MirrorAction(entry.id, QString::fromUtf8(entry.text), bar);
            if (menu)
                menu->addAction(item);
            else
                bar->addAction(item);
            break;
        }
        }
    }
}

// The main toolbar: files, search, the tip and the font, options, tiling.
void OMainFrame::BuildToolBar() {
    using namespace ids;
    static constexpr OCommandId kButtons[] = {
        ID_FILE_NEW,
        ID_FILE_OPEN,
        ID_FILE_SAVE,
        ID_NONE,
        ID_GOTO,
        ID_FIND_PREV,
        ID_FIND,
        ID_FIND_NEXT,
        ID_NONE,
        ID_TOOLTIP_UNDER_OFFSET,
        ID_FONT,
        ID_NONE,
        ID_GENERAL_OPTIONS,
        ID_NONE,
        ID_WINDOW_TILE_HORZ,
        ID_WINDOW_TILE_VERT,
    };
    m_toolBar = addToolBar(QString::fromUtf8(CommandTooltip(ID_VIEW_TOOLBAR)));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    // The images at their drawn size stay sharp; the words are the tooltips.
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (OCommandId id : kButtons) {
        if (id == ID_NONE) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* button = MirrorAction(id, QString::fromUtf8(CommandTooltip(id)), m_toolBar);
        button->setIcon(CommandIcon(id, *style()));
        m_toolBar->addAction(button);
    }
}

void OMainFrame::FillRecentFiles(QMenu* menu, QAction* before) {
    for (QAction* old : m_recentActions) {
        menu->removeAction(old);
        old->deleteLater();
    }
    m_recentActions.clear();
    const ORecentFileList* list = m_app.Core().RecentFiles();
    if (!list || list->Entries().empty()) {
        auto* placeholder = new QAction(QStringLiteral("Recent File"), menu);
        placeholder->setEnabled(false);
        menu->insertAction(before, placeholder);
        m_recentActions.push_back(placeholder);
        return;
    }
    for (std::size_t i = 0; i < list->Entries().size(); ++i) {
        auto* action = new QAction(QString::fromStdString(list->MenuText(i)), menu);
        action->setStatusTip(QString::fromUtf8(CommandPrompt(ids::ID_FILE_MRU_FIRST)));
        const OCommandId id = ids::RecentFileCommand(i);
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        menu->insertAction(before, action);
        m_recentActions.push_back(action);
    }
}

OChildFrame* OMainFrame::ActiveChild() const {
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (!active) active = m_mdi->currentSubWindow();
    // A window shown before the frame was active may not count as active
    // yet: the one holding the focus, else the newest, is the active one.
    if (!active) {
        for (QWidget* w = QApplication::focusWidget(); w && !active; w = w->parentWidget())
            active = qobject_cast<QMdiSubWindow*>(w);
    }
    if (!active) {
        const auto windows = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (!windows.isEmpty()) active = windows.back();
    }
    return dynamic_cast<OChildFrame*>(active);
}

OView* OMainFrame::ActiveView() const {
    OChildFrame* child = ActiveChild();
    return child ? child->View() : nullptr;
}

std::vector<OChildFrame*> OMainFrame::ChildFrames() const {
    std::vector<OChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (auto* child = dynamic_cast<OChildFrame*>(window)) frames.push_back(child);
    }
    return frames;
}

void OMainFrame::AddChild(OChildFrame* child, bool maximized) {
    m_mdi->addSubWindow(child);
    if (maximized)
        child->showMaximized();
    else
        child->show();
    m_mdi->setActiveSubWindow(child);
    // The menu bar changes with the first window and after the last.
    connect(child, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, [this] { OnSubWindowActivated(); }); });
    BuildMenuBar();
    UpdateTitle();
}

std::vector<OCommandTarget*> OMainFrame::Chain() const {
    OView* view = ActiveView();
    // The document's edit commands act at the active view's caret. A command
    // that pumps messages keeps its own view to the end, whatever window the
    // idle update finds active meanwhile.
    if (view && !LongOperationRunning()) view->Doc().SetEditContext(view);
    return {view, view ? &view->Doc() : nullptr, ActiveChild(), const_cast<OMainFrame*>(this),
            &m_app};
}

bool OMainFrame::ExecuteCommand(OCommandId id) {
    // While a block move pumps messages nothing may change, close or save a
    // document: the command is refused, not queued.
    if (LongOperationRunning()) {
        SetStatusText(LoadString(ids::IDS_BUSY));
        return false;
    }
    // A disabled command is not reachable, by menu or by key.
    if (!RouteUpdate(Chain(), id).enabled) return false;
    const bool handled = RouteCommand(Chain(), id);
    UpdateCommandUI();
    return handled;
}

void OMainFrame::UpdateCommandUI() {
    const auto chain = Chain();
    for (auto& [id, action] : m_actions) {
        const OCmdUI ui = RouteUpdate(chain, id);
        if (!ui.text.empty()) {
            action->setProperty("namedText", true);
            action->setText(QString::fromStdString(ui.text));
        }
        action->setEnabled(ui.enabled);
        if (ui.checked) action->setCheckable(true);
        action->setChecked(ui.checked);
    }
    if (OChildFrame* child = ActiveChild(); child && child->RecordBar())
        child->RecordBar()->Refresh();
}

void OMainFrame::UpdateTitle() {
    const QString app = QString::fromUtf8(LoadString(ids::IDR_MAINFRAME));
    OChildFrame* child = ActiveChild();
    setWindowTitle(child ? child->windowTitle() + QStringLiteral(" \u2014 ") + app : app);
}

void OMainFrame::OnSubWindowActivated() {
    BuildMenuBar();
    UpdateTitle();
    UpdateCommandUI();
}

// Qt's own tiling makes a grid either way: "horizontal" stacks the windows
// one above another, each the area's full width; "vertical" sets them side
// by side. Minimised windows stay where they are.
void OMainFrame::Tile(Qt::Orientation along) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (window->isVisible() && !window->isMinimized()) windows.append(window);
    if (windows.isEmpty()) return;
    const QRect area = m_mdi->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    const int extent = along == Qt::Vertical ? area.height() : area.width();
    for (int i = 0; i < count; ++i) {
        const int begin = extent * i / count;
        const int end = extent * (i + 1) / count;
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized()) window->showNormal();
        window->setGeometry(
            along == Qt::Vertical
                ? QRect(area.left(), area.top() + begin, area.width(), end - begin)
                : QRect(area.left() + begin, area.top(), end - begin, area.height()));
    }
}

bool OMainFrame::OnCommand(OCommandId id) {
    switch (id) {
    case ids::ID_WINDOW_NEW:
        if (OView* view = ActiveView()) m_app.NewWindow(*view);
        return true;
    case ids::ID_WINDOW_CASCADE:
        m_mdi->cascadeSubWindows();
        return true;
    case ids::ID_WINDOW_TILE_HORZ:
        Tile(Qt::Vertical);
        return true;
    case ids::ID_WINDOW_TILE_VERT:
        Tile(Qt::Horizontal);
        return true;
    case ids::ID_FILE_CLOSE:
        if (OView* view = ActiveView()) m_app.CloseDocument(view->Doc());
        return true;
    case ids::ID_APP_EXIT:
        close();
        return true;
    case ids::ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ids::ID_VIEW_TOOLBAR:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        return true;
    default:
        return false;
    }
}

bool OMainFrame::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    switch (id) {
    case ids::ID_WINDOW_NEW:
    case ids::ID_WINDOW_CASCADE:
    case ids::ID_WINDOW_TILE_HORZ:
    case ids::ID_WINDOW_TILE_VERT:
    case ids::ID_FILE_CLOSE:
        ui.enabled = ActiveView() != nullptr;
        return true;
    case ids::ID_APP_EXIT:
        return true;
    case ids::ID_VIEW_STATUS_BAR:
        ui.checked = statusBar()->isVisible();
        return true;
    case ids::ID_VIEW_TOOLBAR:
        ui.checked = m_toolBar->isVisible();
        return true;
    default:
        return false;
    }
}

void OMainFrame::closeEvent(QCloseEvent* event) {
    if (LongOperationRunning()) {
        SetStatusText(LoadString(ids::IDS_BUSY));
        event->ignore();
        return;
    }
    if (!m_app.CloseAllDocuments()) {
        event->ignore();
        return;
    }
    m_app.OnMainWindowClosing();
    QMainWindow::closeEvent(event);
}

namespace {

// The local files among a drop's URLs, absolute, in the file system's
// encoding as every path in the program is.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

} // namespace

void OMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFiles(event->mimeData()).empty()) return;
    event->acceptProposedAction();
}

// Each file as File > Open would: a file already open activates its window,
// one that cannot be opened says why and the others still open.
void OMainFrame::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = DroppedFiles(event->mimeData());
    if (paths.empty()) return;
    if (LongOperationRunning()) {
        SetStatusText(LoadString(ids::IDS_BUSY));
        return;
    }
    event->acceptProposedAction();
    // The drag source waits for the drop to return: the messages of a file
    // that fails must not hold it.
    QTimer::singleShot(0, this, [this, paths] {
        for (const std::string& path : paths)
            m_app.OpenDocumentFile(path);
        activateWindow();
    });
}
