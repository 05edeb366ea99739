#pragma once

#include "platform/OProgress.h"

#include <QDialog>

class QProgressBar;
class QPushButton;

// The progress window of a long operation: a captionless bar with a Cancel
// button, shown while the operation pumps messages. Cancel asks "Really
// cancel ?" first.
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
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    bool m_cancelEnabled;
    bool m_cancelled = false;
};
