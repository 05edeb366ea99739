#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Runs steps on the Dialog once it is open as the modal window; whatever they
// leave open is cancelled, so a failed step cannot hang the test.
template <class Dialog> void WhenOpen(std::function<void(Dialog&)> steps) {
    QTimer::singleShot(0, [steps = std::move(steps)] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        steps(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

// Check boxes and radio buttons take clicks on their indicator and text only.
inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

inline void ClickOk(QDialog& dialog) {
    Click(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
}
