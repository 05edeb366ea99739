#include "platform/OPlatform.h"
#include "platform/qt/OQtPlatform.h"
#include "platform/qt/OQtProgress.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The desktop's own pump dispatches only now and then; operations started
// back to back must each still see, at their first pump, a Cancel click
// that waits for them, and only once "Really cancel ?" is answered Yes.
TEST(ProgressWindow, CancelWaitingAtTheStartIsSeenByTheFirstPump) {
    OQtPlatform platform;
    for (const bool yes : {false, true, true}) {
        const auto progress = CreateProgress(0, 1000, true);
        auto* window = dynamic_cast<OProgressDlg*>(progress.get());
        ASSERT_NE(window, nullptr);
        QPushButton* cancel = window->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        bool asked = false;
        QTimer::singleShot(0, cancel, [cancel, yes, &asked] {
            QTimer::singleShot(0, [yes, &asked] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                asked = true;
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            cancel->click();
        });
        progress->SetPos(10);
        PumpMessages();
        EXPECT_TRUE(asked);
        EXPECT_EQ(progress->Cancelled(), yes);
        EXPECT_TRUE(window->isVisible());
    }
}

} // namespace
