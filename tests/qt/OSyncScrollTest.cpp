#include "app/qt/OChildFrame.h"
#include "qt/OAppFixture.h"
#include "view/qt/OView.h"

#include <QTest>
#include <gtest/gtest.h>

// Keys pressed in a window that scrolls in step reach the other windows
// that do, on files of their own widths; a window that does not stays.
TEST(SyncScroll, NavigationKeysReachTheWindowsInStep) {
    OAppFixture f;
    ASSERT_TRUE(f.Start({"/W16", f.dir.Write("a.bin", std::string(400, 'a')), "/W10",
                         f.dir.Write("b.bin", std::string(400, 'b'))}));
    const auto frames = f.Frame().ChildFrames();
    ASSERT_EQ(frames.size(), 2u);
    OView* a = frames[0]->View();
    OView* b = frames[1]->View();
    for (OView* view : {a, b}) {
        view->Geometry().SetSyncScroll(true);
        view->Relayout();
    }
    QTest::keyClick(a, Qt::Key_Down);
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_EQ(a->Geometry().Caret(), 32);
    EXPECT_EQ(b->Geometry().Caret(), 20);
    // Shift extends the other document's selection too, until it is let go.
    QTest::keyClick(a, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(b->Doc().Selection().Length(), 2);
    b->Geometry().SetSyncScroll(false);
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_EQ(b->Geometry().Caret(), 21);
}
