#include "view/qt/OInsertDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

OInsertDlg::OInsertDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Insert"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Insert"), this);
    auto* grid = new QGridLayout(group);
    m_count = new QLineEdit(QStringLiteral("1"), group);
    // Digits only; ten of them reach past the largest count, which OK says.
    m_count->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_count));
    m_count->setMaxLength(10);
    m_bytes = new QRadioButton(QStringLiteral("&byte(s)"), group);
    m_records = new QRadioButton(QStringLiteral("&record(s)"), group);
    m_bytes->setChecked(true);
    grid->addWidget(m_count, 0, 0, 2, 1, Qt::AlignVCenter);
    grid->addWidget(m_bytes, 0, 1);
    grid->addWidget(m_records, 1, 1);
    grid->setColumnStretch(0, 1);
    layout->addWidget(group);
    m_selectAfter = new QCheckBox(QStringLiteral("&Select after inserting"), this);
    layout->addWidget(m_selectAfter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_count->setFocus();
    m_count->selectAll();
}

void OInsertDlg::accept() {
    const std::optional<std::uint32_t> count = ParseInsertCount(m_count->text().toStdString());
    if (!count) {
        m_count->setFocus();
        m_count->selectAll();
        return;
    }
    m_request.count = *count;
    m_request.records = m_records->isChecked();
    m_request.selectAfter = m_selectAfter->isChecked();
    QDialog::accept();
}

bool RunInsertDialog(QWidget* parent, ODoc& doc, ORecordView& view) {
    return InsertEmpty(doc, view, [parent]() -> std::optional<OInsertRequest> {
        OInsertDlg dialog(parent);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Request();
    });
}
