#include "platform/qt/OQtProgress.h"

#include "platform/OPlatform.h"
#include "res/OResourceIds.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

OProgressDlg::OProgressDlg(QWidget* parent, OOffset low, OOffset high, bool cancelEnabled)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_scale(low, high),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_cancelEnabled(cancelEnabled) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_cancel);
    m_bar->setRange(0, std::max(1, m_scale.width));
    m_bar->setTextVisible(false);
    m_cancel->setEnabled(cancelEnabled);
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    setFixedWidth(450);
    setModal(false);
    show();
    if (parent) move(parent->geometry().center() - rect().center());
}

void OProgressDlg::SetPos(OOffset position) {
    // setValue repaints at once: per block that was the operation's cost.
    if (!m_repaint.Due()) return;
    m_bar->setValue(m_scale.Position(position));
    m_repaint.Ran();
}

void OProgressDlg::reject() {
    // Escape and the button both come here; the window stays until the work ends.
    if (!m_cancelEnabled || m_cancelled) return;
    if (MessageBoxId(ids::IDS_REALLY_CANCEL, OButtons::YesNo, OIcon::Question) == OAnswer::Yes)
        m_cancelled = true;
}
