#pragma once

#include "app/OOptionsModel.h"

#include <QDialog>

class OApp;
class QPushButton;
class QTableView;

// The General options: a two-column list (label, value) over
// OOptionsModel, each value edited in place when its row becomes current.
// Apply closes with the rows applied by the caller; Save also sets Saved().
// Enter anywhere but on a button moves the focus to Apply.
class OOptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit OOptionsDlg(OOptionsModel& model, QWidget* parent = nullptr);

    bool Saved() const { return m_saved; }
    QTableView* List() const { return m_list; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnterInEditor(QWidget* editor);

    QTableView* m_list = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_saved = false;
};

// Runs the dialog on app's settings. Apply writes the changed rows into
// them; Save also writes the "General" section, with window's current
// position (a failure is said in a message).
void RunOptionsDialog(QWidget* window, OApp& app);
