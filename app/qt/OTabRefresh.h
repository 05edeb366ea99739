#pragma once

#include <QObject>

class QMdiArea;
class QTabBar;
class QTimer;

// Keeps the main window's tabs in step with its document windows, every
// 500 ms and whenever asked: each window's title (a document can be renamed,
// or lose a second window, without telling its frames), a tab only for a
// window that is shown, and the active window's tab selected. A tick that
// finds everything in step changes nothing.
class OTabRefresh : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 500;

    explicit OTabRefresh(QMdiArea& mdi);

    // True when a title, a tab or the selection was changed.
    bool Refresh();

signals:
    // A window's title changed: the main window's title may follow it.
    void TitlesChanged();

private:
    QTabBar* Tabs() const;

    QMdiArea& m_mdi;
    QTimer* m_timer;
};
