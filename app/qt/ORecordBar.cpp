#include "app/qt/ORecordBar.h"

#include "app/qt/OCommandIcons.h"
#include "app/qt/OMainFrame.h"
#include "res/OStringTable.h"
#include "view/qt/OView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using namespace ids;

// The bar's commands in order; ID_WIDTH_EDIT stands for the width field.
constexpr OCommandId kButtons[] = {
    ID_SYNC_SCROLL, ID_READ_ONLY,  ID_NONE,     ID_CUT,         ID_COPY,        ID_PASTE,
    ID_PASTE_HERE,  ID_DELETE,     ID_NONE,     ID_PANE_OFFSET, ID_PANE_HEX,    ID_PANE_TEXT,
    ID_FIT_RECORD,  ID_WIDTH_EDIT, ID_HEX_BASE, ID_SHIFT_LEFT,  ID_SHIFT_RIGHT, ID_OEM,
};

} // namespace

ORecordBar::ORecordBar(OMainFrame& frame, OView& view, int defaultWidth, QWidget* parent)
    : QToolBar(parent), m_frame(frame), m_view(view),
      m_field(view.Geometry().Width(), defaultWidth, view.Settings().maxRecordWidth,
              view.HexBase()),
      m_edit(new QLineEdit(this)), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    setIconSize(QSize(16, 16));
    for (OCommandId id : kButtons) {
        if (id == ID_NONE) {
            addSeparator();
            continue;
        }
        if (id == ID_WIDTH_EDIT) {
            // The field and its two arrows, one above the other, keep their
            // size: the bar's spare width goes to no gaps between them.
            auto* box = new QWidget(this);
            auto* layout = new QHBoxLayout(box);
            layout->setContentsMargins(2, 1, 2, 1);
            layout->setSpacing(0);
            m_edit->setMaxLength(8);
            m_edit->setAlignment(Qt::AlignCenter);
            m_edit->setFixedWidth(
                m_edit->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
            m_edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            m_edit->setToolTip(QString::fromUtf8(CommandTooltip(ID_WIDTH_EDIT)));
            m_edit->installEventFilter(this);
            m_up->setArrowType(Qt::UpArrow);
            m_down->setArrowType(Qt::DownArrow);
            auto* arrows = new QVBoxLayout;
            arrows->setSpacing(0);
            const int arrowHeight = m_edit->sizeHint().height() / 2;
            for (QToolButton* spin : {m_up, m_down}) {
                spin->setToolTip(QString::fromUtf8(CommandTooltip(ID_WIDTH_SPIN)));
                spin->setAutoRepeat(true);
                spin->setFixedSize(16, arrowHeight);
                spin->setIconSize(QSize(8, 8));
                arrows->addWidget(spin);
            }
            layout->addWidget(m_edit);
            layout->addLayout(arrows);
            box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            addWidget(box);
            continue;
        }
        QAction* button = m_frame.MirrorAction(id, QString::fromUtf8(CommandTooltip(id)), this);
        button->setIcon(CommandIcon(id, *style()));
        connect(button, &QAction::triggered, this, [this] { Refresh(); });
        addAction(button);
    }
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& typed) {
        // The field shows hexadecimal letters in upper case, as it writes them.
        if (typed != typed.toUpper()) {
            const int cursor = m_edit->cursorPosition();
            m_edit->setText(typed.toUpper());
            m_edit->setCursorPosition(cursor);
        }
        if (m_field.TextEdited(typed.toStdString()))
            m_edit->setText(QString::fromStdString(m_field.Text()));
    });
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { Apply(m_field.Value()); });
    connect(m_up, &QToolButton::clicked, this, [this] { Apply(m_field.Step(+1)); });
    connect(m_down, &QToolButton::clicked, this, [this] { Apply(m_field.Step(-1)); });
    Refresh();
}

// The width goes to the view, which limits it; the field shows what it took.
void ORecordBar::Apply(int width) {
    m_view.ApplyRecordWidth(width);
    m_view.Relayout();
    m_view.setFocus();
    Refresh();
}

void ORecordBar::Refresh() {
    const bool fit = m_view.Settings().fitRecord;
    m_edit->setReadOnly(fit);
    m_up->setEnabled(!fit);
    m_down->setEnabled(!fit);
    const bool baseChanged = m_field.Hex() != m_view.HexBase();
    if (baseChanged) m_field.ToggleHex();
    if (m_edit->hasFocus() && !baseChanged) return;
    m_field.SetValue(m_view.Geometry().Width());
    const QString text = QString::fromStdString(m_field.Text());
    if (m_edit->text() != text) m_edit->setText(text);
}

// Typing keeps to the digits of the field's base.
bool ORecordBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Every printable character outside the base is dropped; editing
        // keys (no text, or a control character) pass.
        const QString text = key->text();
        if (text.size() == 1 && text[0].isPrint()) {
            const char16_t c = text[0].unicode();
            if (c >= 0x7F || !m_field.Accepts(static_cast<char>(c))) return true;
        }
    }
    return QToolBar::eventFilter(watched, event);
}
