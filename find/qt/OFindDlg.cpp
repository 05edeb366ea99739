#include "find/qt/OFindDlg.h"

#include "find/OPattern.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The fields take exactly what was typed: no completion from the history
// (which would turn a typed 1 into an earlier 10), no insertion on Enter.
QComboBox* HistoryField(QWidget* parent, const std::vector<std::string>& history) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(40);
    for (const std::string& entry : history)
        box->addItem(QString::fromStdString(entry));
    if (!history.empty())
        box->setCurrentIndex(0);
    else
        box->setEditText(QString());
    return box;
}

} // namespace

OFindDlg::OFindDlg(OFindDialogModel& model, std::function<std::vector<OByte>()> peekClipboard,
                   QWidget* parent)
    : QDialog(parent), m_model(model), m_peek(std::move(peekClipboard)) {
    setWindowTitle(QStringLiteral("Find/Replace"));
    auto* layout = new QVBoxLayout(this);

    auto* findGroup = new QGroupBox(QStringLiteral("Find what:"), this);
    auto* findRow = new QHBoxLayout(findGroup);
    m_find = HistoryField(findGroup, model.FindHistory());
    m_dotDot = new QPushButton(QStringLiteral(".."), findGroup);
    m_dotDot->setFixedWidth(32);
    findRow->addWidget(m_find, 1);
    findRow->addWidget(m_dotDot);
    layout->addWidget(findGroup);

    auto* replaceGroup = new QGroupBox(QStringLiteral("Replace with:"), this);
    auto* replaceRow = new QHBoxLayout(replaceGroup);
    m_replace = HistoryField(replaceGroup, model.ReplaceHistory());
    m_replaceCheck = new QCheckBox(replaceGroup);
    replaceRow->addWidget(m_replace, 1);
    replaceRow->addWidget(m_replaceCheck);
    layout->addWidget(replaceGroup);

    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_fromBeginEnd = new QCheckBox(QStringLiteral("Start from &begin/end"), this);
    m_countOnly = new QCheckBox(QStringLiteral("Cou&nt only"), this);
    checks->addWidget(m_matchCase);
    checks->addWidget(m_fromBeginEnd);
    checks->addWidget(m_countOnly);
    options->addLayout(checks);

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto* directionRow = new QVBoxLayout(direction);
    m_up = new QRadioButton(QStringLiteral("&Up"), direction);
    m_down = new QRadioButton(QStringLiteral("&Down"), direction);
    directionRow->addWidget(m_up);
    directionRow->addWidget(m_down);
    options->addWidget(direction);

    auto* area = new QGroupBox(QStringLiteral("Find in"), this);
    auto* areaRow = new QVBoxLayout(area);
    m_selection = new QRadioButton(QStringLiteral("&Selection"), area);
    m_wholeFile = new QRadioButton(QStringLiteral("&Whole file"), area);
    areaRow->addWidget(m_selection);
    areaRow->addWidget(m_wholeFile);
    options->addWidget(area);
    layout->addLayout(options);

    auto* buttons = new QHBoxLayout;
    m_historyClear = new QPushButton(QStringLiteral("&History clear"), this);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addWidget(m_historyClear);
    buttons->addStretch(1);
    buttons->addWidget(box);
    layout->addLayout(buttons);

    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_up, &QRadioButton::clicked, this, [this] {
        m_model.SetDown(false);
        Show();
    });
    connect(m_down, &QRadioButton::clicked, this, [this] {
        m_model.SetDown(true);
        Show();
    });
    connect(m_selection, &QRadioButton::clicked, this, [this] {
        m_model.SetSelectionOnly(true);
        Show();
    });
    connect(m_wholeFile, &QRadioButton::clicked, this, [this] {
        m_model.SetSelectionOnly(false);
        Show();
    });
    connect(m_matchCase, &QCheckBox::clicked, this, [this](bool on) { m_model.SetMatchCase(on); });
    connect(m_fromBeginEnd, &QCheckBox::clicked, this,
            [this](bool on) { m_model.SetFromBeginEnd(on); });
    connect(m_replaceCheck, &QCheckBox::clicked, this, [this](bool on) {
        m_model.SetReplace(on);
        Show();
        if (on) m_replace->setFocus();
    });
    connect(m_countOnly, &QCheckBox::clicked, this, [this](bool on) {
        m_model.SetCountOnly(on);
        Show();
    });
    connect(m_dotDot, &QPushButton::clicked, this, [this] {
        if (!m_peek) return;
        const std::vector<OByte> bytes = m_peek();
        m_find->setEditText(QString::fromStdString(EscapePatternText(bytes)));
        Show();
    });
    connect(m_historyClear, &QPushButton::clicked, this, [this] {
        m_model.ClearHistories();
        m_find->clear();
        m_replace->clear();
        m_find->setEditText(QString());
        m_replace->setEditText(QString());
    });
    Show();
    m_find->setFocus();
    m_find->lineEdit()->selectAll();
}

void OFindDlg::Show() {
    const OFindOptions& o = m_model.Options();
    m_replace->setEnabled(m_model.ReplaceFieldEnabled());
    m_replaceCheck->setEnabled(m_model.ReplaceCheckEnabled());
    m_replaceCheck->setChecked(o.replace);
    m_matchCase->setChecked(o.matchCase);
    m_fromBeginEnd->setChecked(o.fromBeginEnd);
    m_countOnly->setChecked(o.countOnly);
    m_up->setEnabled(m_model.UpEnabled());
    (o.down ? m_down : m_up)->setChecked(true);
    m_selection->setEnabled(m_model.SelectionEnabled());
    (o.selectionOnly ? m_selection : m_wholeFile)->setChecked(true);
    m_dotDot->setEnabled(m_model.DotDotEnabled());
}

void OFindDlg::accept() {
    m_model.Accept(m_find->currentText().toStdString(), m_replace->currentText().toStdString());
    QDialog::accept();
}
