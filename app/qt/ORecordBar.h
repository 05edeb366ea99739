#pragma once

#include "view/ORecordWidthField.h"

#include <QToolBar>

class OMainFrame;
class OView;
class QLineEdit;
class QToolButton;

// A document window's record bar: buttons for the view's commands and the
// record-width field with its spin buttons. The buttons follow the commands'
// update rules; the field follows the view's width.
class ORecordBar : public QToolBar {
    Q_OBJECT
public:
    ORecordBar(OMainFrame& frame, OView& view, int defaultWidth, QWidget* parent = nullptr);

    QLineEdit* WidthEdit() const { return m_edit; }
    QToolButton* SpinUp() const { return m_up; }
    QToolButton* SpinDown() const { return m_down; }
    // Shows the view's width, base and fit state (the text only when it is
    // not being typed into).
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(int width);

    OMainFrame& m_frame;
    OView& m_view;
    ORecordWidthField m_field;
    QLineEdit* m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
};
