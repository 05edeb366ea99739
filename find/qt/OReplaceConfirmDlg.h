#pragma once

#include "find/OFindHost.h"

#include <QDialog>
#include <QRect>

class QLabel;
class QPushButton;

// "Replace confirm": one object serves a whole replace run, and each
// question opens where the previous one was left.
class OReplaceConfirmDlg : public QDialog {
    Q_OBJECT
public:
    explicit OReplaceConfirmDlg(QWidget* parent = nullptr);
    OConfirmAnswer Ask(const std::string& source, const std::string& target);

    QPushButton* Button(OConfirmAnswer answer) const;

private:
    QLabel* m_source;
    QLabel* m_target;
    QPushButton* m_yes;
    QPushButton* m_no;
    QPushButton* m_all;
    QPushButton* m_cancel;
    OConfirmAnswer m_answer = OConfirmAnswer::Cancel;
    QRect m_lastGeometry;
};
