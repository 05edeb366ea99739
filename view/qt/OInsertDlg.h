#pragma once

#include "view/OInsertModel.h"

#include <QDialog>

class ODoc;
class ORecordView;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// The Insert dialog: how many empty bytes or records. Opens with 1 byte,
// no selection; OK refuses a count outside 1 to 4,294,967,295 and stays.
class OInsertDlg : public QDialog {
    Q_OBJECT
public:
    explicit OInsertDlg(QWidget* parent = nullptr);

    QLineEdit* Count() const { return m_count; }
    QRadioButton* Bytes() const { return m_bytes; }
    QRadioButton* Records() const { return m_records; }
    QCheckBox* SelectAfter() const { return m_selectAfter; }
    // After Accepted: the answer.
    const OInsertRequest& Request() const { return m_request; }

    void accept() override;

private:
    QLineEdit* m_count;
    QRadioButton* m_bytes;
    QRadioButton* m_records;
    QCheckBox* m_selectAfter;
    OInsertRequest m_request;
};

// The Insert command on doc for the view whose geometry is view, asking
// with the dialog over parent (InsertEmpty). True when zeros were inserted.
bool RunInsertDialog(QWidget* parent, ODoc& doc, ORecordView& view);
