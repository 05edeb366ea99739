#pragma once

#include "platform/OProgress.h"
#include "platform/OProgressMeter.h"
#include "platform/OThrottle.h"

#include <QDialog>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// How often a long operation pumps messages and repaints its progress bar.
// Once per block made a find through 1 GiB pump and repaint 2,048 times, on
// a desktop each dearer than the block's scan; at 25 a second the bar still
// moves smoothly and a Cancel click waits at most this long, plus one block.
inline constexpr std::chrono::milliseconds kProgressPace{40};
// How often the speed and the time left are worded anew: at the bar's pace
// their last digits flicker unreadably.
inline constexpr std::chrono::milliseconds kProgressRatePace{500};

// The progress window of a long operation: a captionless bar with a Cancel
// button over the bytes done of the total, the speed and the time left.
// It stays hidden until the operation has lasted OProgressMeter::kShowAfter
// (checked at SetPos) and then shows while the operation pumps messages.
// Cancel asks "Really cancel ?" first. The bar follows SetPos at most once
// per kProgressPace.
class OProgressDlg : public QDialog, public OProgress {
    Q_OBJECT
public:
    using Clock = OProgressMeter::Clock;
    // now: the time source, the steady clock unless a test gives its own.
    // shown runs when the window appears.
    OProgressDlg(QWidget* parent, OOffset low, OOffset high, bool cancelEnabled,
                 std::function<Clock::time_point()> now = {}, std::function<void()> shown = {});

    void SetPos(OOffset position) override;
    bool Cancelled() const override { return m_cancelled; }

protected:
    void reject() override;

private:
    void Appear();

    OProgressMeter m_meter;
    OProgressScale m_scale;
    OThrottle m_repaint;
    OThrottle m_reword;
    std::function<void()> m_shown;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QLabel* m_done;
    QLabel* m_rate;
    bool m_cancelEnabled;
    bool m_appeared = false;
    bool m_cancelled = false;
};
