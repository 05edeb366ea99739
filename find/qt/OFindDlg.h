#pragma once

#include "find/OFindDialogModel.h"
#include "platform/OTypes.h"

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

// The Find/Replace dialog: the form over OFindDialogModel.
class OFindDlg : public QDialog {
    Q_OBJECT
public:
    // peekClipboard gives up to 127 bytes of the clipboard store (the ".."
    // button).
    OFindDlg(OFindDialogModel& model, std::function<std::vector<OByte>()> peekClipboard,
             QWidget* parent = nullptr);

    QComboBox* FindField() const { return m_find; }
    QComboBox* ReplaceField() const { return m_replace; }
    QCheckBox* ReplaceCheck() const { return m_replaceCheck; }
    QCheckBox* MatchCase() const { return m_matchCase; }
    QCheckBox* FromBeginEnd() const { return m_fromBeginEnd; }
    QCheckBox* CountOnly() const { return m_countOnly; }
    QRadioButton* Up() const { return m_up; }
    QRadioButton* Down() const { return m_down; }
    QRadioButton* Selection() const { return m_selection; }
    QRadioButton* WholeFile() const { return m_wholeFile; }
    QPushButton* DotDot() const { return m_dotDot; }
    QPushButton* HistoryClear() const { return m_historyClear; }

    void accept() override;

private:
    void Show(); // the controls from the model

    OFindDialogModel& m_model;
    std::function<std::vector<OByte>()> m_peek;
    QComboBox* m_find;
    QComboBox* m_replace;
    QCheckBox* m_replaceCheck;
    QCheckBox* m_matchCase;
    QCheckBox* m_fromBeginEnd;
    QCheckBox* m_countOnly;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QRadioButton* m_selection;
    QRadioButton* m_wholeFile;
    QPushButton* m_dotDot;
    QPushButton* m_historyClear;
};
