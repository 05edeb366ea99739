#include "find/qt/OReplaceConfirmDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

OReplaceConfirmDlg::OReplaceConfirmDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Replace confirm"));
    auto* grid = new QGridLayout(this);
    m_source = new QLabel(this);
    m_target = new QLabel(this);
    for (QLabel* label : {m_source, m_target}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumWidth(360);
    }
    grid->addWidget(new QLabel(QStringLiteral("Source:"), this), 0, 0);
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Target:"), this), 1, 0);
    grid->addWidget(m_target, 1, 1);
    auto* buttons = new QHBoxLayout;
    m_yes = new QPushButton(QStringLiteral("&Yes"), this);
    m_no = new QPushButton(QStringLiteral("&No"), this);
    m_all = new QPushButton(QStringLiteral("&All"), this);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_yes->setDefault(true);
    const std::pair<QPushButton*, OConfirmAnswer> answers[] = {{m_yes, OConfirmAnswer::Yes},
                                                               {m_no, OConfirmAnswer::No},
                                                               {m_all, OConfirmAnswer::All},
                                                               {m_cancel, OConfirmAnswer::Cancel}};
    for (const auto& [button, answer] : answers) {
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, a = answer] {
            m_answer = a;
            done(static_cast<int>(a) + 1);
        });
    }
    grid->addLayout(buttons, 2, 0, 1, 2);
}

QPushButton* OReplaceConfirmDlg::Button(OConfirmAnswer answer) const {
    switch (answer) {
    case OConfirmAnswer::Yes:
        return m_yes;
    case OConfirmAnswer::No:
        return m_no;
    case OConfirmAnswer::All:
        return m_all;
    case OConfirmAnswer::Cancel:
        return m_cancel;
    }
    return m_cancel;
}

OConfirmAnswer OReplaceConfirmDlg::Ask(const std::string& source, const std::string& target) {
    m_source->setText(QString::fromStdString(source));
    m_target->setText(QString::fromStdString(target));
    m_answer = OConfirmAnswer::Cancel; // closing the window cancels
    if (m_lastGeometry.isValid()) setGeometry(m_lastGeometry);
    exec();
    m_lastGeometry = geometry();
    return m_answer;
}
