#include "document/OFile.h"
#include "platform/OProgress.h"
#include "qt/OAppFixture.h"
#include "res/OResourceIds.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class EditTest : public ::testing::Test, protected OAppFixture {
protected:
    void SetUp() override {
        path = dir.Write("data.bin", std::string("0123456789abcdef"));
        ASSERT_TRUE(Start({path}));
        app.MainFrame()->resize(900, 500);
        view = app.MainFrame()->ActiveView();
        ASSERT_NE(view, nullptr);
        view->Doc().SetReadOnly(false);
        app.MainFrame()->activateWindow();
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(app.MainFrame()));
        view->Relayout();
    }
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(view, key, modifiers);
    }
    // Shift held down across several keys, as a user does.
    void ShiftKeys(Qt::Key key, int times) {
        QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        QApplication::sendEvent(view, &shift);
        for (int i = 0; i < times; ++i) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
            QApplication::sendEvent(view, &press);
        }
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
        QApplication::sendEvent(view, &release);
    }
    std::string Content() {
        OFile& file = *view->Doc().File();
        std::string out(static_cast<std::size_t>(file.LogicalSize()), '\0');
        file.ReadAt(0, reinterpret_cast<OByte*>(out.data()), out.size());
        return out;
    }
    QPoint HexPoint(OOffset offset) {
        const OPaneLayout& l = view->PaneLayout();
        return {l.CellLeft(OPane::Hex, static_cast<int>(offset % 16)) + 2,
                static_cast<int>(offset / 16) * l.lineHeight + l.lineHeight / 2};
    }

    std::string path;
    OView* view = nullptr;
};

// Regression: on X11 Delete carries the text "\x7f", which the text pane
// typed over the caret byte; Shift+Tab did not switch panes.
TEST_F(EditTest, TypingInBothPanesAndSaving) {
    QTest::keyClicks(view, "4142");
    EXPECT_EQ(Content().substr(0, 3), "AB2");
    EXPECT_EQ(view->Geometry().Caret(), 2);
    Keys(Qt::Key_Tab);
    EXPECT_EQ(view->Input().ActivePane(), 0); // the text pane
    for (const auto& [key, text] : {std::pair{Qt::Key_Delete, QStringLiteral("\x7f")},
                                    std::pair{Qt::Key_Return, QStringLiteral("\r")},
                                    std::pair{Qt::Key_Escape, QStringLiteral("\x1b")}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view, &press);
    }
    EXPECT_EQ(Content(), "AB23456789abcdef");
    QTest::keyClicks(view, "xy");
    EXPECT_EQ(Content().substr(0, 5), "ABxy4");
    Keys(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view->Input().ActivePane(), 1);
    EXPECT_EQ(ReadText(path), "0123456789abcdef"); // still pending
    EXPECT_TRUE(app.MainFrame()->ExecuteCommand(ids::ID_FILE_SAVE));
    EXPECT_EQ(ReadText(path), "ABxy456789abcdef");
    EXPECT_EQ(ReadText(path + ".bak"), "0123456789abcdef"); // backed up before the first change
}

TEST_F(EditTest, ShiftArrowsSelectAndCutPasteMoveBytes) {
    Keys(Qt::Key_Right, Qt::NoModifier, 2);
    ShiftKeys(Qt::Key_Right, 3);
    EXPECT_EQ(view->Doc().Selection().Begin(), 2);
    EXPECT_EQ(view->Doc().Selection().End(), 5);
    Keys(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "016789abcdef");
    EXPECT_EQ(view->Geometry().Caret(), 2);
    // Paste here inserts the cut bytes at the caret.
    view->Geometry().GoToOffset(8);
    Keys(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "016789ab2345cdef");
    EXPECT_EQ(view->Geometry().Caret(), 12);
    // Copy two bytes and paste them over three.
    view->Doc().Selection().Set(0, 1);
    view->Geometry().GoToOffset(0);
    Keys(Qt::Key_C, Qt::ControlModifier);
    view->Doc().Selection().Set(13, 15);
    view->Geometry().GoToOffset(14);
    Keys(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "016789ab2345c01");
    EXPECT_EQ(view->Geometry().Caret(), 15);
}

// Delete settles typed bytes first: Cancel leaves everything, No drops them
// and deletes.
TEST_F(EditTest, MouseSelectsAndDeleteAsksAboutTypedBytesFirst) {
    QTest::keyClicks(view, "ff");
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, HexPoint(3));
    QTest::mouseMove(view->viewport(), HexPoint(7));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, HexPoint(7));
    EXPECT_EQ(view->Doc().Selection().Begin(), 3);
    EXPECT_EQ(view->Doc().Selection().End(), 7);
    platform.Answer(OAnswer::Cancel);
    Keys(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(platform.Messages().back().text, "Save changes to " + path + " ?");
    EXPECT_EQ(ReadText(path), "0123456789abcdef");
    EXPECT_TRUE(view->Doc().File()->HasPending());
    platform.Answer(OAnswer::No);
    Keys(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "01289abcdef");
}

TEST_F(EditTest, ShiftVariantsUseTheSystemClipboardAsText) {
    view->Doc().Selection().Set(10, 12);
    view->Geometry().SetCaret(10);
    Keys(Qt::Key_Delete, Qt::ShiftModifier); // copy as text
    EXPECT_EQ(platform.clipboardText, std::optional<std::string>("abc"));
    // Text crosses the edge in the pane's code page: 10 characters are 10 bytes.
    platform.clipboardText = "caf\xC3\xA9 cr\xC3\xA8me";
    view->Geometry().GoToOffset(0);
    view->Doc().Selection().Set(0, 3);
    // A store copy first: Paste needs a valid store, even for text.
    Keys(Qt::Key_C, Qt::ControlModifier);
    Keys(Qt::Key_Insert, Qt::ShiftModifier); // paste text over the selection
    EXPECT_EQ(ReadText(path), "caf\xE9 cr\xE8me"
                              "456789abcdef");
}

// The Edit menu's item of the given number in the menu bar.
QString EditItem(OMainFrame& frame, int index) {
    for (QAction* popup : frame.menuBar()->actions()) {
        if (popup->text() == QStringLiteral("&Edit") && popup->menu()) {
            emit popup->menu()->aboutToShow();
            return popup->menu()->actions().value(index)->text();
        }
    }
    return {};
}

// The steps themselves and their names are the history's; here the keys
// reach them and the menu shows the name when it opens.
TEST_F(EditTest, DeleteUndoRedoByKeysAndTheMenuNamesTheStep) {
    OMainFrame& frame = *app.MainFrame();
    view->Doc().Selection().Set(3, 7);
    view->Geometry().GoToOffset(3);
    Keys(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "01289abcdef");
    EXPECT_EQ(EditItem(frame, 0), QStringLiteral("&Undo delete of 5 bytes at 0x0003\tCtrl+Z"));
    // The view's own menu names the step as well and takes it back.
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* undo = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("&Undo delete of 5 bytes at 0x0003\tCtrl+Z"))
                undo = action;
        menu->close();
        ASSERT_NE(undo, nullptr);
        undo->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, HexPoint(0),
                            view->viewport()->mapToGlobal(HexPoint(0)));
    QApplication::sendEvent(view->viewport(), &event);
    EXPECT_EQ(ReadText(path), "0123456789abcdef");
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    EXPECT_EQ(EditItem(frame, 0), QStringLiteral("&Undo\tCtrl+Z"));
    EXPECT_EQ(EditItem(frame, 1), QStringLiteral("&Redo delete of 5 bytes at 0x0003\tCtrl+Y"));
    Keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReadText(path), "01289abcdef");
    Keys(Qt::Key_Z, Qt::ControlModifier);
    Keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "01289abcdef");
    // A read-only document undoes nothing.
    view->Doc().SetReadOnly(true);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ReadText(path), "01289abcdef");
}

} // namespace
