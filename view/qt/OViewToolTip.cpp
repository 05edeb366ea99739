#include "view/qt/OViewToolTip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kMaxTipWidth = 512;       // pixels; longer lines wrap
const QPoint kOffsetFromPointer{2, 16}; // below the pointer, as Qt places its tips

} // namespace

OViewToolTip::OViewToolTip(QWidget& viewport)
    : m_viewport(viewport),
      m_tip(new QLabel(&viewport, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)) {
    m_tip->setTextFormat(Qt::PlainText);
    m_tip->setForegroundRole(QPalette::ToolTipText);
    m_tip->setBackgroundRole(QPalette::ToolTipBase);
    m_tip->setPalette(QToolTip::palette());
    m_tip->setFont(QToolTip::font());
    m_tip->setAutoFillBackground(true);
    m_tip->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_tip->setMargin(
        1 + m_tip->style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, m_tip));
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_viewport.installEventFilter(this);
}

OViewToolTip::~OViewToolTip() {
    m_viewport.removeEventFilter(this);
}

bool OViewToolTip::Show(QHelpEvent& event, const std::string& text) {
    if (text.empty()) {
        Hide();
        event.ignore();
        return false;
    }
    m_tip->setWordWrap(false);
    m_tip->setText(QString::fromUtf8(text));
    QSize size = m_tip->sizeHint();
    if (size.width() > kMaxTipWidth) {
        m_tip->setWordWrap(true);
        size = {kMaxTipWidth, m_tip->heightForWidth(kMaxTipWidth)};
    }
    m_tip->resize(size);
    // Inside the screen, flipped above or left of the pointer where needed.
    QPoint at = event.globalPos() + kOffsetFromPointer;
    if (const QScreen* screen = m_viewport.screen()) {
        const QRect area = screen->geometry();
        if (at.x() + size.width() > area.right()) at.rx() -= 4 + size.width();
        if (at.y() + size.height() > area.bottom()) at.ry() -= 24 + size.height();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    m_tip->move(at);
    m_point = event.pos();
    // Moves without a button reach the viewport only while it tracks them.
    if (!m_tip->isVisible()) m_tracked = m_viewport.hasMouseTracking();
    m_viewport.setMouseTracking(true);
    m_tip->show();
    event.accept();
    return true;
}

void OViewToolTip::Hide() {
    if (!m_tip->isVisible()) return;
    m_tip->hide();
    m_viewport.setMouseTracking(m_tracked);
}

bool OViewToolTip::Showing() const {
    return m_tip->isVisible();
}

QString OViewToolTip::Text() const {
    return Showing() ? m_tip->text() : QString();
}

bool OViewToolTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_viewport || !m_tip->isVisible()) return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        if (static_cast<QMouseEvent*>(event)->position().toPoint() != m_point) Hide();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        Hide();
        break;
    default:
        break;
    }
    return false;
}
