#pragma once

#include "view/OGotoModel.h"

#include <QDialog>
#include <array>

class ORecordView;
class QComboBox;
class QPushButton;

// The Goto dialog: the form over OGotoModel. Each field filters what is
// typed into it and, after every change, shows what the model made of it.
class OGotoDlg : public QDialog {
    Q_OBJECT
public:
    explicit OGotoDlg(OGotoModel& model, QWidget* parent = nullptr);

    QComboBox* Field(OGotoField field) const { return m_fields[Index(field)]; }
    QPushButton* ClearButton() const { return m_clear; }
    // After Accepted: where to go, within the file.
    OOffset Target() const { return m_target; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static std::size_t Index(OGotoField field) { return static_cast<std::size_t>(field); }
    void Edited(OGotoField field, const QString& text);
    void Show(); // the texts and lists from the model

    OGotoModel& m_model;
    std::array<QComboBox*, kGotoFieldCount> m_fields{};
    QPushButton* m_clear = nullptr;
    OOffset m_target = 0;
};

// Asks for a place in view's file and moves view's caret there (clamped to
// the file, centred); the caller repaints. False when cancelled.
bool RunGotoDialog(QWidget* parent, ORecordView& view);
