#include "app/qt/ORecordBar.h"

#include "app/qt/OChildFrame.h"
#include "app/qt/OMainFrame.h"
#include "qt/OAppFixture.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
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

// Every button of both bars shows a drawn image (the resource and the image
// plugin are there) with the command's words as its tip, and a window
// 1024 pixels wide shows the whole record bar.
TEST(RecordBar, ButtonsShowImagesAndTheBarFitsAWindowOf1024Pixels) {
    OAppFixture f;
    ASSERT_TRUE(f.Start({f.dir.Write("a.bin", std::string(100, 'a'))}));
    OMainFrame& frame = f.Frame();
    frame.showNormal();
    frame.resize(1024, 700);
    QApplication::processEvents();
    ORecordBar* bar = frame.ChildFrames().at(0)->RecordBar();
    ASSERT_NE(bar, nullptr);
    auto* mainBar = frame.findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    ASSERT_NE(mainBar, nullptr);
    int buttons = 0;
    for (QToolBar* toolBar : {mainBar, static_cast<QToolBar*>(bar)}) {
        for (QAction* action : toolBar->actions()) {
            if (action->isSeparator() || qobject_cast<QWidgetAction*>(action)) continue;
            ++buttons;
            EXPECT_FALSE(action->icon().pixmap(16, 16).isNull()) << action->text().toStdString();
            EXPECT_FALSE(action->toolTip().isEmpty());
            auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        }
    }
    EXPECT_EQ(buttons, 12 + 15);
    // The bar hides what does not fit behind its extension button.
    auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_TRUE(more == nullptr || !more->isVisible());
    EXPECT_TRUE(bar->WidthEdit()->isVisible());
    EXPECT_LE(bar->sizeHint().width(), bar->width());
}
