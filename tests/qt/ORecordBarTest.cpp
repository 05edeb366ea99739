#include "app/qt/ORecordBar.h"

#include "app/qt/OChildFrame.h"
#include "qt/OAppFixture.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

// The width field: digits only (hex letters in hex mode), an empty text
// gives the default, Enter applies through the view's limits, the spin
// buttons stop at 2 and follow fit-record.
TEST(RecordBar, WidthFieldTypesAppliesAndSpins) {
    OAppFixture f;
    ASSERT_TRUE(f.Start({"/W3", f.dir.Write("a.bin", std::string(100, 'a'))}));
    OMainFrame& frame = f.Frame();
    OChildFrame* child = frame.ChildFrames().at(0);
    ORecordBar* bar = child->RecordBar();
    ASSERT_NE(bar, nullptr);
    OView* view = child->View();
    QLineEdit* edit = bar->WidthEdit();
    EXPECT_EQ(edit->text(), "3");

    edit->selectAll();
    QTest::keyClicks(edit, "2a4");
    EXPECT_EQ(edit->text(), "24"); // a letter is ignored in decimal
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(view->Geometry().Width(), 24);

    frame.ExecuteCommand(ids::ID_HEX_BASE);
    EXPECT_EQ(edit->text(), "00000018");
    edit->clear();
    QTest::keyClicks(edit, "1fg");
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(edit, &accented); // nor any other letter
    EXPECT_EQ(edit->text(), "1F");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(view->Geometry().Width(), 31);
    // Emptied, the field shows the default width, which Enter applies.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "00000010");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(view->Geometry().Width(), 16);

    view->ApplyRecordWidth(2);
    bar->Refresh();
    bar->SpinDown()->click(); // at the lower bound: 2 is applied again
    EXPECT_EQ(view->Geometry().Width(), 2);
    bar->SpinUp()->click();
    EXPECT_EQ(view->Geometry().Width(), 3);

    frame.ExecuteCommand(ids::ID_FIT_RECORD);
    bar->Refresh();
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_FALSE(bar->SpinUp()->isEnabled());
}
