#include "platform/qt/OQtProgress.h"

#include "platform/OPlatform.h"
#include "platform/OProgressText.h"
#include "res/OResourceIds.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>

OProgressDlg::OProgressDlg(QWidget* parent, OOffset low, OOffset high, bool cancelEnabled,
                           std::function<Clock::time_point()> now, std::function<void()> shown)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_meter(low, high, now),
      m_scale(low, high), m_repaint(kProgressPace, now), m_reword(kProgressRatePace, now),
      m_shown(std::move(shown)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)), m_done(new QLabel(this)),
      m_rate(new QLabel(this)), m_cancelEnabled(cancelEnabled) {
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_bar, 0, 0, 1, 2);
    layout->addWidget(m_cancel, 0, 2);
    layout->addWidget(m_done, 1, 0);
    layout->addWidget(m_rate, 1, 1, Qt::AlignRight);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    m_done->setObjectName(QStringLiteral("done"));
    m_rate->setObjectName(QStringLiteral("rate"));
    m_bar->setRange(0, std::max(1, m_scale.width));
    m_bar->setTextVisible(false);
    m_cancel->setEnabled(cancelEnabled);
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    setFixedWidth(450);
    setModal(false);
}

void OProgressDlg::SetPos(OOffset position) {
    m_meter.SetPos(position);
    if (!m_appeared) {
        if (!m_meter.ShowDue()) return;
        Appear();
    }
    // setValue repaints at once: per block that was the operation's cost.
    if (!m_repaint.Due()) return;
    m_bar->setValue(m_scale.Bar(m_meter.Done()));
    m_done->setText(QString::fromStdString(DoneOfTotalText(m_meter)));
    if (m_reword.Due()) {
        m_rate->setText(QString::fromStdString(RateText(m_meter)));
        m_reword.Ran();
    }
    m_repaint.Ran();
}

void OProgressDlg::Appear() {
    m_appeared = true;
    m_repaint.Reset();
    m_reword.Reset();
    show();
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    if (m_shown) m_shown();
}

void OProgressDlg::reject() {
    // Escape and the button both come here; the window stays until the work ends.
    if (!m_cancelEnabled || m_cancelled) return;
    if (MessageBoxId(ids::IDS_REALLY_CANCEL, OButtons::YesNo, OIcon::Question) == OAnswer::Yes)
        m_cancelled = true;
}
