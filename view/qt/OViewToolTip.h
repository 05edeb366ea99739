#pragma once

#include <QObject>
#include <QPoint>
#include <string>

class QHelpEvent;
class QLabel;
class QWidget;

// The tooltip of a view's viewport: one small window of plain text shown
// below the pointer when Qt asks for a tip, closed as soon as the pointer
// moves by one pixel (or a button or the wheel is used, or the pointer
// leaves, or the window is deactivated). Qt asks again once the pointer rests. Plain text, so a
// marker title is shown as typed; lines break at "\n", and a line wider
// than 512 pixels wraps. Lives as long as the viewport, which owns the tip
// window.
class OViewToolTip : public QObject {
public:
    explicit OViewToolTip(QWidget& viewport);
    ~OViewToolTip() override;
    OViewToolTip(const OViewToolTip&) = delete;
    OViewToolTip& operator=(const OViewToolTip&) = delete;

    // Answers a tooltip request with text (UTF-8) at the event's point; an
    // empty text closes any tip and shows none. Marks the event accepted
    // only when a tip shows. Returns whether one shows.
    bool Show(QHelpEvent& event, const std::string& text);
    void Hide();
    bool Showing() const;
    // The text showing, empty when none.
    QString Text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_viewport;
    QLabel* m_tip;          // owned by the viewport
    QPoint m_point;         // where the pointer was when the tip was shown
    bool m_tracked = false; // the viewport's own mouse tracking
};
