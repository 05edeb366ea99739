#pragma once

#include "markers/OMarkerRows.h"
#include "res/OResourceIds.h"

#include <QDialog>
#include <cstddef>
#include <optional>

class OMarkerTableModel;
class QPushButton;
class QTableView;

// The marker list dialog: picks one of the rows of an OMarkerRows, in a
// table with the columns "##", "Begin", "End", "Length" and "Title", each
// row in its range's colours. Opens with RowToSelect() selected and in view;
// a double click on a row is OK. The column widths and the window's place
// and size are kept for the next opening, for as long as the program runs.
class OMarkerListDlg : public QDialog {
    Q_OBJECT
public:
    // rows outlives the dialog; command's text is the caption.
    OMarkerListDlg(const OMarkerRows& rows, OCommandId command, QWidget* parent = nullptr);
    ~OMarkerListDlg() override;

    // After OK: the selected row; none after Cancel or without one.
    std::optional<std::size_t> Chosen() const { return m_chosen; }

    QTableView* Table() const { return m_table; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    void accept() override;
    void done(int result) override;

    // Back to the widths and place of a first opening (for tests).
    static void ForgetLayout();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::optional<std::size_t> SelectedRow() const;

    const OMarkerRows& m_rows;
    OMarkerTableModel* m_model;
    QTableView* m_table;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::optional<std::size_t> m_chosen;
    bool m_arranged = false; // the first showing placed the columns and the row
};
