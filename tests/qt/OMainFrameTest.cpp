#include "app/qt/OMainFrame.h"

#include "app/qt/OChildFrame.h"
#include "app/qt/OTabRefresh.h"
#include "platform/OProgress.h"
#include "qt/OAppFixture.h"
#include "res/OResourceIds.h"
#include "view/qt/OView.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class MainFrameTest : public ::testing::Test, protected OAppFixture {
protected:
    void SetUp() override { file = dir.Write("a.bin", std::string("0123456789abcdef0123")); }
    QStringList MenuTitles() {
        QStringList titles;
        for (QAction* action : Frame().menuBar()->actions())
            titles << action->text();
        return titles;
    }

    std::string file;
};

// A path that cannot be opened says why and the others open; the menu bar
// follows whether a document is open.
TEST_F(MainFrameTest, CommandLineOpensWhatItCanWithTheGivenWidth) {
    const std::string missing = dir.File("missing.bin");
    ASSERT_TRUE(Start({missing, "/W24", file}));
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<std::string>{missing + ": No such file or directory"});
    ASSERT_EQ(Tabs(), 1u);
    EXPECT_EQ(Frame().ActiveView()->Settings().recordWidth, 24);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "a.bin");
    EXPECT_EQ(Frame().windowTitle(), "a.bin — Quorvalis");
    EXPECT_TRUE(MenuTitles().contains("&Marker"));
    Frame().ActiveChild()->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !MenuTitles().contains("&Marker"); }, 1000));
    EXPECT_EQ(Tabs(), 0u);
}

// Regression: a FIFO named on the command line, or in place of the .ini,
// blocked the program for ever in open().
TEST_F(MainFrameTest, AFifoIsRefusedWithoutWaitingAndTheOtherFilesOpen) {
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    OApp other;
    other.Startup(fifo); // a FIFO as the .ini: read as empty, never written
    ASSERT_TRUE(Start({fifo, file}));
    EXPECT_EQ(platform.MessageTexts(),
              (std::vector<std::string>{
                  fifo + ": Not a regular file or block device\nIt is not written during this run.",
                  fifo + ": Not a regular file or block device"}));
    EXPECT_EQ(Tabs(), 1u);
}

// Regression: a path was kept as typed, so the file's state never came back
// from elsewhere, and one file opened by two names was two documents.
TEST_F(MainFrameTest, AFileHasOneAbsoluteNameAndOneDocumentWhateverItIsCalled) {
    ASSERT_EQ(::symlink(file.c_str(), dir.File("link.bin").c_str()), 0);
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    ASSERT_TRUE(Start({"a.bin"}));
    ODoc* doc = app.OpenDocumentFile("a.bin");
    for (const std::string& name :
         {std::string("./a.bin"), dir.Path() + "//a.bin", std::string("link.bin")})
        EXPECT_EQ(app.OpenDocumentFile(name), doc) << name;
    EXPECT_EQ(::chdir(previous), 0);
    EXPECT_EQ(Tabs(), 1u);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->PathName(), file);
}

// Regression: the idle update made another window the target of a Cut or
// Delete while it pumped messages, so the caret landed there.
TEST_F(MainFrameTest, ALongCommandKeepsItsWindowAsTheEditTarget) {
    ASSERT_TRUE(Start({file}));
    OView* first = Frame().ActiveView();
    ASSERT_TRUE(Frame().ExecuteCommand(ids::ID_WINDOW_NEW));
    OView* second = Frame().ActiveView();
    ASSERT_NE(first, second);
    Frame().UpdateCommandUI();
    ODoc& doc = first->Doc();
    EXPECT_EQ(doc.EditContext(), second);
    OLongOperation running;
    for (OChildFrame* child : Frame().ChildFrames())
        if (child->View() == first) Frame().MdiArea()->setActiveSubWindow(child);
    ASSERT_EQ(Frame().ActiveView(), first);
    Frame().UpdateCommandUI();
    EXPECT_EQ(doc.EditContext(), second);
}

TEST_F(MainFrameTest, BadSwitchShowsUsageAndEnds) {
    EXPECT_FALSE(Start({file, "/X", file}));
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(
        platform.MessageTexts(),
        std::vector<std::string>{"Usage:  Quorvalis [/Wn] filename\n      /Wn - record Width"});
}

TEST_F(MainFrameTest, NewWindowSharesTheDocumentAndClosingAsksOnce) {
    ASSERT_TRUE(Start({file}));
    ODoc& doc = Frame().ActiveView()->Doc();
    EXPECT_TRUE(Frame().ExecuteCommand(ids::ID_WINDOW_NEW));
    ASSERT_EQ(Tabs(), 2u);
    EXPECT_EQ(&Frame().ActiveView()->Doc(), &doc);

    ASSERT_TRUE(doc.File()->SetByte(0, '0', 'X'));
    // Closing one of two windows needs no question.
    Frame().ActiveChild()->close();
    QTest::qWait(10);
    EXPECT_EQ(Tabs(), 1u);
    EXPECT_TRUE(platform.Messages().empty());
    // The last one asks; Cancel keeps it.
    platform.Answer(OAnswer::Cancel);
    Frame().ActiveChild()->close();
    QTest::qWait(10);
    EXPECT_EQ(Tabs(), 1u);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNoCancel);
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(ReadText(file).substr(0, 2), "X1");
}

TEST_F(MainFrameTest, UpdateRulesEnableCommandsAndKeysFollowThem) {
    ASSERT_TRUE(Start({file}));
    Frame().UpdateCommandUI();
    EXPECT_FALSE(Frame().Action(ids::ID_FILE_SAVE)->isEnabled()); // read-only, unmodified
    // Ctrl+N through the real key path makes a second, unnamed document.
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(Frame().ActiveView(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Tabs(), 2u);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "New1");
    // The status line shows what the program says.
    SetStatusText("Operation aborted");
    EXPECT_EQ(Frame().StatusLabel()->text(), "");
    qtPlatform.SetText("Operation aborted");
    EXPECT_EQ(Frame().StatusLabel()->text(), "Operation aborted");
}

} // namespace

// Tile horizontal stacks the windows, each the area's full width; tile
// vertical sets them side by side, each its full height.
TEST_F(MainFrameTest, TilingStacksOrSetsSideBySide) {
    ASSERT_TRUE(Start({file, dir.Write("b.bin", std::string("xyz"))}));
    Frame().resize(800, 600);
    QApplication::processEvents();
    const QRect area = Frame().MdiArea()->viewport()->rect();
    const QList<QMdiSubWindow*> windows = Frame().MdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    Frame().ExecuteCommand(ids::ID_WINDOW_TILE_HORZ);
    EXPECT_EQ(windows[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(windows[1]->geometry().top(), area.height() / 2);
    Frame().ExecuteCommand(ids::ID_WINDOW_TILE_VERT);
    EXPECT_EQ(windows[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(windows[1]->geometry().left(), area.width() / 2);
}

// The main window comes back where it was closed: its place, its maximised
// state and the recent files are written to the .ini as it closes, over the
// file as it is then, so sections edited by hand meanwhile stay.
TEST_F(MainFrameTest, ClosingKeepsThePlaceAndLeavesOtherSections) {
    const std::string ini = dir.Write(
        "quorvalis.ini", "[Mine]\nHand=written\n[General]\nVersion=0.37\n"
                         "WindowPos=60,70,500,400\nWindowMaximized=1\nRecentFilesCount=4\n");
    core.Startup(ini);
    ASSERT_TRUE(Start({file}));
    QApplication::processEvents();
    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_EQ(Frame().normalGeometry(), QRect(60, 70, 500, 400));

    Frame().showNormal();
    Frame().setGeometry(80, 90, 600, 450);
    QApplication::processEvents();
    dir.Write("quorvalis.ini", ReadText(ini) + "[Later]\nKey=1\n");
    EXPECT_TRUE(Frame().close());
    OIniFile written(ini);
    ASSERT_TRUE(written.Load());
    EXPECT_EQ(written.GetString("Mine", "Hand"), "written");
    EXPECT_EQ(written.GetString("Later", "Key"), "1");
    EXPECT_TRUE(platform.Messages().empty());
    OApp next;
    next.Startup(ini);
    const OSettings& s = next.Settings();
    EXPECT_FALSE(s.windowMaximized);
    EXPECT_EQ(QRect(s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight),
              QRect(80, 90, 600, 450));
    ASSERT_NE(next.RecentFiles(), nullptr);
    EXPECT_EQ(next.RecentFiles()->Entries(), std::vector<std::string>{file});
}

// The tabs follow the windows: a new window adds one, a document's new name
// (a new document saved under a name) renames its tab and the main window,
// a middle click closes a window as its close button would, a double click
// maximises it and another restores it. They catch up on their timer with
// what no window told them: the title a window keeps after its document's
// second window closed, and a hidden window. A refresh that finds
// everything in step changes nothing.
TEST_F(MainFrameTest, TheTabsFollowTheWindowsAndCatchUpWithTheirTitles) {
    const std::string other = dir.Write("b.bin", std::string("xyz"));
    ASSERT_TRUE(Start({file, other}));
    auto* tabs = Frame().MdiArea()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    Frame().ExecuteCommand(ids::ID_FILE_NEW);
    ASSERT_EQ(tabs->count(), 3);
    Frame().ActiveView()->Doc().SetPathName(dir.File("named.bin"));
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "named.bin");
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("named.bin \u2014 Quorvalis"));
    QTest::mouseClick(tabs, Qt::MiddleButton, {}, tabs->tabRect(2).center());
    QApplication::processEvents();
    EXPECT_EQ(Tabs(), 2u);
    EXPECT_EQ(tabs->count(), 2);
    const QPoint first = tabs->tabRect(0).center();
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, first);
    QMdiSubWindow* window = Frame().MdiArea()->activeSubWindow();
    const bool maximised = window->isMaximized();
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, first);
    EXPECT_NE(window->isMaximized(), maximised);

    Frame().MdiArea()->setActiveSubWindow(Frame().ChildFrames().at(0));
    ASSERT_TRUE(Frame().ExecuteCommand(ids::ID_WINDOW_NEW));
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "a.bin:1");
    EXPECT_EQ(tabs->tabText(2), "a.bin:2");
    Frame().ActiveChild()->close();
    QApplication::processEvents();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "a.bin:1"); // nothing told the window yet
    EXPECT_TRUE(QTest::qWaitFor([&] { return tabs->tabText(0) == "a.bin"; }, 2000));
    EXPECT_FALSE(Frame().TabRefresh().Refresh());

    OChildFrame* b = Frame().ChildFrames().at(1);
    Frame().MdiArea()->setActiveSubWindow(Frame().ChildFrames().at(0));
    b->hide();
    EXPECT_TRUE(Frame().TabRefresh().Refresh());
    EXPECT_FALSE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->currentIndex(), 0);
    b->show();
    Frame().MdiArea()->setActiveSubWindow(b);
    Frame().TabRefresh().Refresh();
    EXPECT_TRUE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_FALSE(Frame().TabRefresh().Refresh());
}

// A maximised window keeps the place it is restored to; a first run, with
// no .ini yet, writes a General section that the next one reads, without
// the options only applied.
TEST_F(MainFrameTest, AMaximisedWindowKeepsItsNormalPlace) {
    ASSERT_TRUE(Start({file}));
    core.Settings().recordWidth = 40;
    Frame().showNormal();
    Frame().setGeometry(50, 60, 520, 410);
    QApplication::processEvents();
    Frame().showMaximized();
    QApplication::processEvents();
    EXPECT_TRUE(Frame().close());
    OApp next;
    next.Startup(dir.File("quorvalis.ini"));
    const OSettings& s = next.Settings();
    EXPECT_TRUE(next.Profile().Recognised() && s.windowMaximized);
    EXPECT_EQ(s.recordWidth, 16);
    EXPECT_EQ(QRect(s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight),
              QRect(50, 60, 520, 410));
}
