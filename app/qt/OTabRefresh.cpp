#include "app/qt/OTabRefresh.h"

#include "app/qt/OChildFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTimer>

OTabRefresh::OTabRefresh(QMdiArea& mdi) : QObject(&mdi), m_mdi(mdi), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, [this] { Refresh(); });
    m_timer->start(kIntervalMs);
}

QTabBar* OTabRefresh::Tabs() const {
    // The area makes its tab bar with the tabbed mode, and keeps the tabs in
    // the order of its windows (a moved tab moves its window in that list).
    return m_mdi.findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
}

bool OTabRefresh::Refresh() {
    QTabBar* tabs = Tabs();
    if (!tabs) return false;
    const QList<QMdiSubWindow*> windows = m_mdi.subWindowList(QMdiArea::CreationOrder);
    if (windows.size() != tabs->count()) return false; // mid-way through an add or a close
    bool titleChanged = false;
    bool changed = false;
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        if (auto* child = dynamic_cast<OChildFrame*>(window)) {
            const QString before = child->windowTitle();
            child->UpdateTitle();
            titleChanged |= child->windowTitle() != before;
        }
        const QString title = window->windowTitle();
        if (tabs->tabText(i) != title) {
            tabs->setTabText(i, title);
            changed = true;
        }
        // A window hidden by the program keeps no tab until it shows again.
        const bool shown = !window->isHidden();
        if (tabs->isTabVisible(i) != shown) {
            tabs->setTabVisible(i, shown);
            changed = true;
        }
    }
    const int active = static_cast<int>(windows.indexOf(m_mdi.activeSubWindow()));
    if (active >= 0 && tabs->currentIndex() != active) {
        tabs->setCurrentIndex(active);
        changed = true;
    }
    if (titleChanged) emit TitlesChanged();
    return changed || titleChanged;
}
