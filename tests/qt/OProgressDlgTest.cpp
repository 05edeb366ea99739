#include "platform/OPlatform.h"
#include "platform/qt/OQtPlatform.h"
#include "platform/qt/OQtProgress.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr OOffset kMiB = OOffset{1} << 20, kGiB = kMiB << 10;

// The platform on a clock that moves only when told.
struct FakeClock {
    OThrottle::Clock::time_point now{};
    std::function<OThrottle::Clock::time_point()> Source() {
        return [this] { return now; };
    }
};

QString LabelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("(no label)");
}

// The desktop's own pump dispatches only now and then; operations started
// back to back must each still see, at their first pump, a Cancel click
// that waits for them, and only once "Really cancel ?" is answered Yes.
TEST(ProgressWindow, CancelWaitingAtTheStartIsSeenByTheFirstPump) {
    FakeClock clock;
    OQtPlatform platform(clock.Source());
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
        clock.now += 600ms;
        progress->SetPos(10);
        PumpMessages();
        EXPECT_TRUE(asked);
        EXPECT_EQ(progress->Cancelled(), yes);
        EXPECT_TRUE(window->isVisible());
    }
}

// A tail move of 4 GiB at 1 GiB/s in blocks of 128 MiB: hidden for the
// first half second, then the bar and the texts; the speed and time left
// are worded anew only twice a second.
TEST(ProgressWindow, AppearsAfterHalfASecondWithBytesSpeedAndTimeLeft) {
    FakeClock clock;
    OQtPlatform platform(clock.Source());
    const auto progress = CreateProgress(0, 4 * kGiB, true);
    auto* window = dynamic_cast<OProgressDlg*>(progress.get());
    ASSERT_NE(window, nullptr);
    OOffset position = 0;
    for (; clock.now < OThrottle::Clock::time_point{} + 500ms; clock.now += 125ms) {
        progress->SetPos(position);
        PumpMessages();
        EXPECT_FALSE(window->isVisible()) << position;
        position += 128 * kMiB;
    }
    progress->SetPos(position);
    PumpMessages();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(LabelText(window, "done"), "512 MiB of 4.0 GiB");
    EXPECT_EQ(LabelText(window, "rate"), "1.0 GiB/s, about 4 s left");
    auto* bar = window->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), bar->maximum() / 8);

    clock.now += 125ms;
    progress->SetPos(position += 128 * kMiB);
    EXPECT_EQ(LabelText(window, "done"), "640 MiB of 4.0 GiB");
    EXPECT_EQ(LabelText(window, "rate"), "1.0 GiB/s, about 4 s left");
    clock.now += 375ms;
    progress->SetPos(position += 3 * 128 * kMiB);
    EXPECT_EQ(LabelText(window, "done"), "1.0 GiB of 4.0 GiB");
    EXPECT_EQ(LabelText(window, "rate"), "1.0 GiB/s, about 3 s left");
}

} // namespace
