#pragma once

#include "platform/OProgress.h"
#include "platform/OThrottle.h"

#include <QDialog>
#include <chrono>

class QProgressBar;
class QPushButton;

// How often a long operation pumps messages and repaints its progress bar.
// Once per block made a find through 1 GiB pump and repaint 2,048 times, on
// a desktop each dearer than the block's scan; at 25 a second the bar still
// moves smoothly and a Cancel click waits at most this long, plus one block.
inline constexpr std::chrono::milliseconds kProgressPace{40};

// The progress window of a long operation: a captionless bar with a Cancel
// button, shown while the operation pumps messages. Cancel asks "Really
// cancel ?" first. The bar follows SetPos at most once per kProgressPace.
class OProgressDlg : public QDialog, public OProgress {
    Q_OBJECT
public:
    OProgressDlg(QWidget* parent, OOffset low, OOffset high, bool cancelEnabled);

    void SetPos(OOffset position) override;
    bool Cancelled() const override { return m_cancelled; }

protected:
    void reject() override;

private:
    OProgressScale m_scale;
    OThrottle m_repaint{kProgressPace};
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    bool m_cancelEnabled;
    bool m_cancelled = false;
};
