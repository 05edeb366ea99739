#include "markers/qt/OMarkerEditDlg.h"

#include "markers/qt/OColorButton.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

OMarkerEditDlg::OMarkerEditDlg(ORange& range, QWidget* parent) : QDialog(parent), m_range(range) {
    setWindowTitle(QStringLiteral("Marker"));
    m_title = new QPlainTextEdit(QString::fromStdString(range.Title()), this);
    m_title->setTabChangesFocus(true);
    m_title->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_title->setFixedHeight(m_title->fontMetrics().lineSpacing() * 4 +
                            2 * static_cast<int>(m_title->document()->documentMargin()) +
                            2 * m_title->frameWidth());
    m_title->installEventFilter(this);
    connect(m_title, &QPlainTextEdit::textChanged, this, &OMarkerEditDlg::LimitTitle);
    LimitTitle();

    m_background = new OColorButton(range.Background(), this);
    m_foreground = new OColorButton(range.Foreground(), this);
    m_background->setToolTip(QStringLiteral("Background"));
    m_foreground->setToolTip(QStringLiteral("Foreground"));
    auto* backgroundLabel = new QLabel(QStringLiteral("Background"), this);
    backgroundLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* foregroundLabel = new QLabel(QStringLiteral("Foreground"), this);

    // "Background" [colour] [colour] "Foreground": the two colours side by
    // side, each named on its outer side.
    auto* colours = new QHBoxLayout;
    colours->addWidget(backgroundLabel, 1);
    colours->addWidget(m_background);
    colours->addSpacing(8);
    colours->addWidget(m_foreground);
    colours->addWidget(foregroundLabel, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addLayout(colours);
    layout->addWidget(buttons);
    resize(360, sizeHint().height());
    m_title->setFocus();
    m_title->moveCursor(QTextCursor::End);
}

void OMarkerEditDlg::LimitTitle() {
    const QString text = m_title->toPlainText();
    if (text.size() <= kMaxTitle) return;
    // Cut whole characters: a surrogate pair stays together or goes.
    qsizetype keep = kMaxTitle;
    if (text.at(keep - 1).isHighSurrogate()) --keep;
    const QSignalBlocker block(m_title);
    m_title->setPlainText(text.left(keep));
    m_title->moveCursor(QTextCursor::End);
}

bool OMarkerEditDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter is OK, as in any dialog; the edit wraps long titles by itself.
    if (watched == m_title && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OMarkerEditDlg::accept() {
    // A title is one line of the save file: pasted line breaks become blanks.
    QString title = m_title->toPlainText();
    for (QChar& c : title)
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    m_range.SetTitle(title.toStdString());
    m_range.SetColors(m_background->ColorRef(), m_foreground->ColorRef());
    QDialog::accept();
}
