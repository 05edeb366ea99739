#include "view/qt/OGotoDlg.h"

#include "view/ORecordView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr OGotoField kFields[] = {OGotoField::HexOffset, OGotoField::DecOffset, OGotoField::Record};

const char* Caption(OGotoField field) {
    switch (field) {
    case OGotoField::HexOffset:
        return "Offset (hex)";
    case OGotoField::DecOffset:
        return "Offset (dec)";
    case OGotoField::Record:
        break;
    }
    return "Record (dec)";
}

// Takes exactly what is typed: no completion from the list (a typed 1
// would become an earlier 10), and Enter adds nothing to it.
QComboBox* NumberField(QWidget* parent, OGotoField field) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(OGotoModel::TextLimit(field) + 1);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->lineEdit()->setMaxLength(OGotoModel::TextLimit(field));
    return box;
}

} // namespace

OGotoDlg::OGotoDlg(OGotoModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setWindowTitle(QStringLiteral("Goto"));
    auto* layout = new QHBoxLayout(this);
    auto* groups = new QVBoxLayout;
    for (OGotoField field : kFields) {
        auto* group = new QGroupBox(QString::fromLatin1(Caption(field)), this);
        auto* row = new QVBoxLayout(group);
        QComboBox* box = NumberField(group, field);
        m_fields[Index(field)] = box;
        row->addWidget(box);
        groups->addWidget(group);
        // Keys reach the edit through the box, which has the focus, or
        // straight (tests, input methods): both are filtered.
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        connect(box->lineEdit(), &QLineEdit::textEdited, this,
                [this, field](const QString& text) { Edited(field, text); });
        // A choice from the list has put its text into the field by now.
        connect(box, &QComboBox::activated, this,
                [this, field, box](int index) { Edited(field, box->itemText(index)); });
    }
    layout->addLayout(groups, 1);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_clear = buttons->addButton(QStringLiteral("&Clear"), QDialogButtonBox::ResetRole);
    layout->addWidget(buttons, 0, Qt::AlignTop);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_model.Clear();
        Show();
    });

    Show();
    QComboBox* focus = Field(m_model.FocusField());
    focus->setFocus();
    focus->lineEdit()->selectAll();
}

bool OGotoDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Keys without a printable character (moves, Enter, Ctrl+V) are the
    // edit's and the dialog's own.
    if (text.size() != 1 || text.front() < QChar(' ') ||
        key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier))
        return QDialog::eventFilter(watched, event);
    for (OGotoField field : kFields) {
        QLineEdit* edit = Field(field)->lineEdit();
        if (edit != watched && Field(field) != watched) continue;
        const char c = text.front().unicode() < 0x80 ? char(text.front().unicode()) : '\0';
        const qsizetype start =
            edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const qsizetype end = edit->hasSelectedText() ? edit->selectionEnd() : start;
        const std::string current = edit->text().toStdString();
        // Swallowed: the character is ignored.
        return !OGotoModel::Accepts(field, c, current, static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(end));
    }
    return QDialog::eventFilter(watched, event);
}

void OGotoDlg::Edited(OGotoField field, const QString& text) {
    m_model.Edit(field, text.toStdString());
    Show();
}

void OGotoDlg::Show() {
    for (OGotoField field : kFields) {
        QComboBox* box = Field(field);
        const std::vector<std::string>& list = m_model.List(field);
        if (box->count() != static_cast<int>(list.size())) {
            box->clear();
            for (const std::string& entry : list)
                box->addItem(QString::fromStdString(entry));
        }
        const QString text = QString::fromStdString(m_model.Text(field));
        // Rewriting the field being typed into would move its cursor.
        if (box->currentText() != text) box->setEditText(text);
    }
}

void OGotoDlg::accept() {
    const std::optional<OOffset> target = m_model.Accept();
    if (!target) return;
    m_target = *target;
    QDialog::accept();
}

bool RunGotoDialog(QWidget* parent, ORecordView& view) {
    const OGotoPlace place{view.Caret(), view.Width(), view.Phase(), view.FileLength()};
    OGotoModel model(place, ProcessGotoHistory());
    OGotoDlg dialog(model, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    view.GoToOffset(dialog.Target());
    return true;
}
