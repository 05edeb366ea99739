#include "app/qt/OOptionsDlg.h"

#include "app/OApp.h"
#include "app/qt/OWindowPlace.h"
#include "platform/OPlatform.h"
#include "res/OStringTable.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Column 0 the labels, column 1 the values; only the values are editable.
class OptionsTable : public QAbstractTableModel {
public:
    explicit OptionsTable(OOptionsModel& model) : m_model(model) {}

    const OOptionRow& Row(const QModelIndex& index) const {
        return m_model.At(static_cast<std::size_t>(index.row()));
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_model.RowCount());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const OOptionRow& row = Row(index);
        return index.column() == 0 ? QString::fromUtf8(LoadString(row.label)) : Q(row.value);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 1) flags |= Qt::ItemIsEditable;
        return flags;
    }
    // The value of a row, or why it was refused (an out-of-range number);
    // a refused row keeps its value. Says nothing: the caller says it.
    OTextId Set(const QModelIndex& index, const QString& value) {
        if (index.column() != 1) return ids::IDS_NONE;
        const std::size_t row = static_cast<std::size_t>(index.row());
        if (m_model.At(row).value == value.toStdString()) return ids::IDS_NONE;
        const OTextId refusal = m_model.SetValue(row, value.toStdString());
        if (refusal == ids::IDS_NONE) emit dataChanged(index, index);
        return refusal;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        return role == Qt::EditRole && index.column() == 1 &&
               Set(index, value.toString()) == ids::IDS_NONE;
    }

private:
    OOptionsModel& m_model;
};

// A value with a "..." button beside it that asks for a new one; the text
// is typed too when the row has an edit box (folders), else only shown.
class PickerEditor : public QWidget {
public:
    PickerEditor(bool typed, QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        if (typed) {
            m_edit = new QLineEdit(this);
            layout->addWidget(m_edit, 1);
            setFocusProxy(m_edit);
        } else {
            m_label = new QLabel(this);
            m_label->setContentsMargins(3, 0, 0, 0);
            layout->addWidget(m_label, 1);
        }
        m_button = new QToolButton(this);
        m_button->setText(QStringLiteral("..."));
        layout->addWidget(m_button);
        if (!typed) setFocusProxy(m_button);
        setAutoFillBackground(true);
    }
    QString Text() const { return m_edit ? m_edit->text() : m_label->text(); }
    void SetText(const QString& text) { m_edit ? m_edit->setText(text) : m_label->setText(text); }
    QLineEdit* Edit() const { return m_edit; }
    QToolButton* Button() const { return m_button; }

private:
    QLineEdit* m_edit = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_button = nullptr;
};

class OptionsDelegate : public QStyledItemDelegate {
public:
    // onEnter runs for Enter in an editor, instead of the commit and close
    // it would make.
    OptionsDelegate(OptionsTable& table, std::function<void(QWidget* editor)> onEnter,
                    QObject* parent)
        : QStyledItemDelegate(parent), m_table(table), m_onEnter(std::move(onEnter)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_onEnter(qobject_cast<QWidget*>(watched));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

    // Stores the editor's value in its row. A refused value goes back to the
    // row's own in the editor before anything is said, so that the commit of
    // the focus leaving it (to the message) finds nothing new to refuse.
    OTextId Commit(QWidget* editor, const QModelIndex& index) const {
        QString value;
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            value = combo->currentText();
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            value = edit->text();
        } else if (auto* picker = dynamic_cast<PickerEditor*>(editor)) {
            value = picker->Text();
        } else {
            return ids::IDS_NONE;
        }
        const OTextId refusal = m_table.Set(index, value);
        if (refusal != ids::IDS_NONE) setEditorData(editor, index);
        return refusal;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const OOptionRow& row = m_table.Row(index);
        switch (row.kind) {
        case OOptionKind::Flag:
        case OOptionKind::Choice: {
            auto* combo = new QComboBox(parent);
            for (const std::string& choice : row.choices)
                combo->addItem(Q(choice));
            // A choice counts at once, as the list closes.
            connect(combo, &QComboBox::activated, this,
                    [this, combo] { emit const_cast<OptionsDelegate*>(this)->commitData(combo); });
            return combo;
        }
        case OOptionKind::Number: {
            auto* edit = new QLineEdit(parent);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
            return edit;
        }
        case OOptionKind::Folder:
        case OOptionKind::Font:
            return Picker(row.kind, parent);
        }
        return nullptr;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString value = Q(m_table.Row(index).value);
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(std::max(0, combo->findText(value, Qt::MatchFixedString)));
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(value);
        } else if (auto* picker = dynamic_cast<PickerEditor*>(editor)) {
            picker->SetText(value);
        }
    }

    // The commit of the focus leaving an editor.
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (const OTextId refusal = Commit(editor, index); refusal != ids::IDS_NONE)
            MessageBoxId(refusal, OButtons::Ok, OIcon::Stop);
    }

private:
    QWidget* Picker(OOptionKind kind, QWidget* parent) const {
        auto* picker = new PickerEditor(kind == OOptionKind::Folder, parent);
        auto* self = const_cast<OptionsDelegate*>(this);
        if (QLineEdit* edit = picker->Edit()) {
            edit->installEventFilter(self); // for Enter
            connect(edit, &QLineEdit::editingFinished, this,
                    [self, picker] { emit self->commitData(picker); });
        }
        connect(picker->Button(), &QToolButton::clicked, this, [self, picker, kind] {
            const QString old = picker->Text();
            QString chosen;
            if (kind == OOptionKind::Folder) {
                chosen = QFileDialog::getExistingDirectory(picker->window(), QString(), old);
            } else {
                std::string name;
                int size = 0;
                OOptionsModel::ReadFont(old.toStdString(), name, size);
                bool ok = false;
                const QFont font =
                    QFontDialog::getFont(&ok, QFont(Q(name), size > 0 ? size : 9), picker->window(),
                                         QString(), QFontDialog::MonospacedFonts);
                if (ok)
                    chosen = Q(OOptionsModel::FontText(font.family().toStdString(),
                                                       std::max(0, font.pointSize())));
            }
            if (chosen.isEmpty() || chosen == old) return;
            picker->SetText(chosen);
            emit self->commitData(picker);
        });
        return picker;
    }

    OptionsTable& m_table;
    std::function<void(QWidget*)> m_onEnter;
};

} // namespace

OOptionsDlg::OOptionsDlg(OOptionsModel& model, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("General options"));
    auto* table = new OptionsTable(model);
    table->setParent(this);

    m_list = new QTableView(this);
    m_list->setModel(table);
    m_list->setItemDelegate(new OptionsDelegate(
        *table, [this](QWidget* editor) { EnterInEditor(editor); }, m_list));
    m_list->horizontalHeader()->hide();
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(22);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                            QAbstractItemView::DoubleClicked);
    // A row edits its value wherever it is clicked.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() == 0)
                    m_list->setCurrentIndex(current.siblingAtColumn(1));
            });

    m_save = new QPushButton(QStringLiteral("&Save"), this);
    m_apply = new QPushButton(QStringLiteral("&Apply"), this);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_apply->setDefault(true);
    connect(m_apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_save, &QPushButton::clicked, this, [this] {
        m_saved = true;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(480, 360);
    m_list->setFocus();
}

// Enter commits the value first: a refused number is said while its editor
// is still open, which then keeps the focus with the row's own value
// selected, ready to be typed over; an accepted one moves on to Apply.
void OOptionsDlg::EnterInEditor(QWidget* editor) {
    const QModelIndex index = m_list->currentIndex();
    const auto* delegate = static_cast<OptionsDelegate*>(m_list->itemDelegate());
    const OTextId refusal = editor ? delegate->Commit(editor, index) : ids::IDS_NONE;
    if (refusal == ids::IDS_NONE) {
        m_apply->setFocus(Qt::OtherFocusReason);
        return;
    }
    MessageBoxId(refusal, OButtons::Ok, OIcon::Stop);
    // The message may have taken the focus, and the editor closed with it.
    m_list->setCurrentIndex(index);
    if (!m_list->indexWidget(index)) m_list->edit(index);
    if (auto* edit = qobject_cast<QLineEdit*>(m_list->indexWidget(index))) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void OOptionsDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !qobject_cast<QPushButton*>(focusWidget())) {
        m_apply->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::keyPressEvent(event);
}

void RunOptionsDialog(QWidget* window, OApp& app) {
    OOptionsModel model(app.Settings());
    OOptionsDlg dialog(model, window);
    if (dialog.exec() != QDialog::Accepted) return;
    OSettings& settings = app.Settings();
    if (!dialog.Saved()) {
        model.Apply(settings);
        return;
    }
    if (window) StoreWindowPlace(*window, settings);
    model.Save(settings, app.Profile());
}
