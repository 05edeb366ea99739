#include "markers/qt/OColorButton.h"

#include "markers/qt/OColorRef.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionFocusRect>

OColorButton::OColorButton(std::uint32_t colorRef, QWidget* parent)
    : QPushButton(parent), m_color(colorRef) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &OColorButton::Choose);
}

void OColorButton::SetColorRef(std::uint32_t colorRef) {
    m_color = colorRef;
    update();
}

void OColorButton::Choose() {
    QColorDialog dialog(ToQColor(m_color), this);
    if (dialog.exec() == QDialog::Accepted) SetColorRef(ToColorRef(dialog.selectedColor()));
}

void OColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), ToQColor(m_color));
    painter.setPen(Qt::black);
    painter.drawRect(frame);
    if (hasFocus()) {
        // The keyboard needs to see where it is, on any colour.
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = frame.adjusted(3, 3, -3, -3);
        option.backgroundColor = ToQColor(m_color);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
