#pragma once

#include "markers/ORange.h"

#include <QDialog>

class OColorButton;
class QPlainTextEdit;

// The marker edit dialog: a range's title (at most kMaxTitle characters, on
// several lines as it wraps, but one line of text) and its two colours. OK
// writes all three into the range; Cancel leaves it alone.
class OMarkerEditDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTitle = 255;

    // range outlives the dialog.
    explicit OMarkerEditDlg(ORange& range, QWidget* parent = nullptr);

    QPlainTextEdit* TitleEdit() const { return m_title; }
    OColorButton* BackgroundButton() const { return m_background; }
    OColorButton* ForegroundButton() const { return m_foreground; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LimitTitle();

    ORange& m_range;
    QPlainTextEdit* m_title;
    OColorButton* m_background;
    OColorButton* m_foreground;
};
