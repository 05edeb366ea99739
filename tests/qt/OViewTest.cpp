#include "view/qt/OView.h"

#include "document/OFile.h"
#include "qt/OAppFixture.h"
#include "res/OResourceIds.h"
#include "support/OFaultyFileIo.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

QColor Colour(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

class ViewTest : public ::testing::Test, protected OAppFixture {
protected:
    void SetUp() override {
        core.Settings().saveFilesCount = 8;
        std::string bytes;
        for (int i = 0; i < 256; ++i)
            bytes += static_cast<char>(i);
        path = dir.Write("data.bin", bytes);
        ASSERT_TRUE(Start({"/W16", path}));
        app.MainFrame()->resize(1000, 600);
        view = app.MainFrame()->ActiveView();
        ASSERT_NE(view, nullptr);
        QTest::qWait(20);
    }
    QImage Render() {
        view->Relayout();
        return view->viewport()->grab().toImage();
    }
    // The rectangle of a byte's cell (two digits in the hex pane) in
    // viewport pixels.
    QRect Cell(OOffset offset, OPane pane = OPane::Hex) {
        const OPaneLayout& l = view->PaneLayout();
        const ORecordView& g = view->Geometry();
        const OOffset rel = offset - g.Top();
        const int column = static_cast<int>(rel % g.Width()) - g.ColumnShift();
        return QRect(l.CellLeft(pane, column), static_cast<int>(rel / g.Width()) * l.lineHeight,
                     (pane == OPane::Hex ? 2 : 1) * l.charWidth, l.lineHeight);
    }
    static bool Any(const QImage& image, const QRect& r, std::function<bool(QColor)> near) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (near(image.pixelColor(x, y))) return true;
        return false;
    }
    // Glyphs are antialiased: a text colour shows as pixels near it.
    static bool HasColour(const QImage& image, const QRect& r, const QColor& c, int tolerance) {
        return Any(image, r, [&](QColor p) {
            return std::abs(p.red() - c.red()) <= tolerance &&
                   std::abs(p.green() - c.green()) <= tolerance &&
                   std::abs(p.blue() - c.blue()) <= tolerance;
        });
    }
    static bool HasRedText(const QImage& image, const QRect& r) {
        return Any(image, r, [](QColor p) { return p.red() - std::max(p.green(), p.blue()) > 80; });
    }
    // The cell's top right corner: clear of glyphs and of the caret bar.
    QColor Background(const QImage& image, const QRect& r) {
        return image.pixelColor(r.topRight());
    }
    // A writable file of length bytes 'x' in 16-byte records, shown in the
    // active window.
    OView* OpenWritable(const std::string& name, int length) {
        const std::string file =
            dir.Write(name, std::string(static_cast<std::size_t>(length), 'x'));
        if (!app.OpenDocumentFile(file)) return nullptr;
        OView* v = app.MainFrame()->ActiveView();
        v->ApplyRecordWidth(16);
        v->Doc().SetReadOnly(false);
        v->Relayout();
        v->setFocus();
        return v;
    }
    static OByte ByteAt(OView* v, OOffset offset) {
        OByte b = 0;
        v->Doc().File()->ReadAt(offset, &b, 1);
        return b;
    }
    static bool Shown(OView* v, OOffset offset) {
        const ORecordView& g = v->Geometry();
        return offset >= g.Top() && offset < g.Top() + OOffset{g.Rows()} * g.Width();
    }
    static void Wheel(OView* v, QPoint pixels, QPoint angle) {
        const QPointF at(v->viewport()->rect().center());
        QWheelEvent event(at, v->viewport()->mapToGlobal(at), pixels, angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(v->viewport(), &event);
    }
    // What the view shows when the pointer rests at point; empty for no tip.
    QString TipAt(QPoint point) {
        QWidget* viewport = view->viewport();
        QHelpEvent event(QEvent::ToolTip, point, viewport->mapToGlobal(point));
        QApplication::sendEvent(viewport, &event);
        return view->ToolTip().Text();
    }
    void SetValueTips(bool on) {
        if (core.Settings().tooltipUnderOffset != on) app.RunCommand(ids::ID_TOOLTIP_UNDER_OFFSET);
        ASSERT_EQ(core.Settings().tooltipUnderOffset, on);
    }

    std::string path;
    OView* view = nullptr;
};

TEST_F(ViewTest, RangesAndChangesHaveTheirColours) {
    ODoc& doc = view->Doc();
    const auto& palette = view->Settings().palette;
    doc.Selection().Set(0x20, 0x23);
    ORange marker(0x80FFFF, 0x000000, "m");
    marker.Set(0x40, 0x47);
    doc.Markers().Insert(marker);
    doc.LastFound().Set(0x60, 0x61);
    doc.SetReadOnly(false);
    ASSERT_TRUE(doc.File()->SetByte(0x80, 0x80, 0x55));
    ASSERT_TRUE(view->Geometry().SetCaret(0x90));
    const QImage image = Render();

    EXPECT_EQ(Background(image, Cell(0x21)), Colour(palette[17])); // selection
    EXPECT_EQ(Background(image, Cell(0x21, OPane::Text)), Colour(palette[17]));
    EXPECT_EQ(Background(image, Cell(0x42)), QColor(0xFF, 0xFF, 0x80));        // marker
    EXPECT_EQ(Background(image, Cell(0x60)), Colour(palette[21]));             // last found
    EXPECT_EQ(Background(image, Cell(0x70)), Colour(palette[3]));              // plain hex pane
    EXPECT_EQ(Background(image, Cell(0x70, OPane::Text)), Colour(palette[6])); // plain text pane
    EXPECT_EQ(Background(image, Cell(0x90)), Colour(palette[10]));             // caret, no focus
    EXPECT_TRUE(HasRedText(image, Cell(0x80)));                                // changed byte
    EXPECT_FALSE(HasRedText(image, Cell(0x81)));
    // The gap inside a range takes its colour; after its last byte the pane's.
    const int cw = view->PaneLayout().charWidth;
    EXPECT_EQ(image.pixelColor(Cell(0x21).topRight() + QPoint(cw / 2 + 1, 0)), Colour(palette[17]));
    EXPECT_EQ(image.pixelColor(Cell(0x23).topRight() + QPoint(cw / 2 + 1, 0)), Colour(palette[3]));
}

// A paint opens no message box: what it cannot read shows as unreadable
// cells, said once in the status bar, and again only after a paint that read
// everything it showed.
TEST_F(ViewTest, FailedReadsShowInTheCellsAndOnceInTheStatusBar) {
    OFaultyFileIo io;
    auto doc = std::make_shared<ODoc>();
    ASSERT_TRUE(doc->OnOpenDocument(path, io));
    OView own(doc, OViewSettings{});
    own.resize(800, 400);
    own.show();
    own.OnInitialUpdate(true);
    auto paint = [&] { return own.viewport()->grab().toImage(); };
    auto said = [&](const std::string& text) {
        const auto& history = platform.StatusHistory();
        return std::count(history.begin(), history.end(), text);
    };
    const OPaneLayout& l = own.PaneLayout();
    const QRect firstRow(l.hexText.left, 0, l.textText.right - l.hexText.left, l.lineHeight);
    const QRect secondRow = firstRow.translated(0, l.lineHeight);
    const QImage good = paint();

    io.failReadAt = io.reads + 1; // the first row's read
    const QImage bad = paint();
    EXPECT_NE(bad.copy(firstRow), good.copy(firstRow)); // not the bytes it showed before
    const QRect firstCell(l.CellLeft(OPane::Hex, 0), 0, 2 * l.charWidth, l.lineHeight);
    EXPECT_TRUE(HasColour(bad, firstCell, Qt::black, 60)); // not blank either
    EXPECT_EQ(bad.copy(secondRow), good.copy(secondRow));
    for (int i = 0; i < 3; ++i) {
        io.failReadAt = io.reads + 1;
        paint();
    }
    EXPECT_EQ(said("Read error"), 1);
    io.failReadAt = 0;
    EXPECT_EQ(paint().copy(firstRow), good.copy(firstRow));
    io.failReadAt = io.reads + 1;
    paint();
    EXPECT_EQ(said("Read error"), 2);

    io.failReadAt = 0;
    paint();
    io.failFStatErrno = EIO; // the size cannot be read
    EXPECT_NE(paint().copy(secondRow), good.copy(secondRow));
    paint();
    EXPECT_EQ(said("Filesize getting error"), 1);
    io.failFStatErrno = 0;
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(ViewTest, EmptyFileSaysSoAndHidesTheBars) {
    const std::string empty = dir.Write("empty.bin", std::string());
    ASSERT_NE(app.OpenDocumentFile(empty), nullptr);
    view = app.MainFrame()->ActiveView();
    const QImage image = Render();
    EXPECT_FALSE(view->Doc().ReadOnly()); // an empty file is writable at once
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(HasColour(image, image.rect(), QColor(0xA0, 0xA0, 0xA0), 12));
}

TEST_F(ViewTest, TheStateOfAClosedFileComesBack) {
    view->Geometry().SetRecordWidth(24);
    view->Geometry().ShiftPhase(+1);
    ASSERT_TRUE(view->Geometry().SetCaret(100));
    ORange marker;
    marker.Set(5, 9);
    view->Doc().Markers().Insert(marker);
    ASSERT_TRUE(app.CloseDocument(view->Doc()));
    QTest::qWait(20);
    ASSERT_NE(app.OpenDocumentFile(path), nullptr);
    view = app.MainFrame()->ActiveView();
    view->Relayout();
    EXPECT_EQ(view->Geometry().Width(), 24);
    EXPECT_EQ(view->Geometry().Phase(), 1);
    EXPECT_EQ(view->Geometry().Caret(), 100);
    ASSERT_EQ(view->Doc().Markers().Count(), 1u);
    EXPECT_EQ(view->Doc().Markers().At(0).Begin(), 5);
}

// A bar moves the windows that scroll in step with it; its thumb dragged to
// the end shows the last record of a file too large for the bar's 31 bits.
TEST_F(ViewTest, ScrollBarsMoveTheWindowsInStepAndReachTheEnd) {
    const OOffset size = OOffset{100} << 30;
    ASSERT_NE(app.OpenDocumentFile(dir.Sparse("huge.bin", size)), nullptr);
    OView* first = app.MainFrame()->ActiveView();
    ASSERT_TRUE(app.MainFrame()->ExecuteCommand(ids::ID_WINDOW_NEW));
    OView* second = app.MainFrame()->ActiveView();
    ASSERT_NE(first, second);
    for (OView* v : {view, first, second}) {
        v->Geometry().SetSyncScroll(v != view);
        v->Relayout();
    }
    first->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_GT(first->Geometry().Top(), 0);
    EXPECT_GT(second->Geometry().Top(), 0); // by its own page
    EXPECT_EQ(view->Geometry().Top(), 0);   // not in step
    QScrollBar* bar = first->verticalScrollBar();
    bar->setSliderPosition(bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderMove);
    const ORecordView& g = first->Geometry();
    EXPECT_EQ(g.Top(), g.LastPageTop());
    EXPECT_EQ(g.Top() + (g.Rows() - 1) * 16, size / 16 * 16);
}

// Keys pressed in a window that scrolls in step reach the other windows
// that do, on files of their own widths; a window that does not stays.
TEST_F(ViewTest, NavigationKeysReachTheWindowsInStep) {
    OView* other = OpenWritable("b.bin", 400);
    ASSERT_NE(other, nullptr);
    other->ApplyRecordWidth(10);
    for (OView* v : {view, other}) {
        v->Geometry().SetSyncScroll(true);
        v->Relayout();
    }
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->Geometry().Caret(), 32);
    EXPECT_EQ(other->Geometry().Caret(), 20);
    // Shift extends the other document's selection too, until it is let go.
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(other->Doc().Selection().Length(), 2);
    other->Geometry().SetSyncScroll(false);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(other->Geometry().Caret(), 21);
}

// Regression: every document update laid the view out again, and the
// layout put a top one row above the last page back on it: scrolled up from
// the end, the caret was left above the window and typing changed a byte
// nobody saw.
TEST_F(ViewTest, ScrollingUpFromTheLastPageStays) {
    enum class Way { Up, Left, Backspace, BarArrow };
    for (const Way way : {Way::Up, Way::Left, Way::Backspace, Way::BarArrow}) {
        SCOPED_TRACE(static_cast<int>(way));
        view = OpenWritable("w" + std::to_string(static_cast<int>(way)) + ".bin", 1000);
        ASSERT_NE(view, nullptr);
        const ORecordView& g = view->Geometry();
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        ASSERT_EQ(g.Caret(), 1000);
        const OOffset lastPage = g.Top();
        ASSERT_EQ(lastPage, g.LastPageTop());
        ASSERT_GT(lastPage, 0);
        if (way == Way::Up) {
            for (int i = 0; i < g.Rows(); ++i)
                QTest::keyClick(view, Qt::Key_Up);
        } else if (way == Way::BarArrow) {
            view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        } else {
            for (int i = 1; i < g.Rows(); ++i)
                QTest::keyClick(view, Qt::Key_Up);
            QTest::keyClick(view, Qt::Key_Home);
            ASSERT_EQ(g.Caret(), lastPage);
            QTest::keyClick(view, way == Way::Left ? Qt::Key_Left : Qt::Key_Backspace);
        }
        QTest::qWait(10);
        EXPECT_EQ(g.Top(), lastPage - 16);
        const OOffset caret = g.Caret();
        EXPECT_TRUE(Shown(view, caret)) << caret;
        QTest::keyClicks(view, "41");
        EXPECT_EQ(g.Top(), lastPage - 16);
        EXPECT_EQ(ByteAt(view, caret), 0x41);
        EXPECT_TRUE(Shown(view, caret));
        EXPECT_EQ(view->verticalScrollBar()->value(), g.VerticalBar().position);
    }
}

// Regression: a window made smaller left the caret below it, and typing
// changed the hidden byte. The next paint pulls the caret in; a key that
// comes before any paint does the same first.
TEST_F(ViewTest, ASmallerWindowPullsTheCaretIn) {
    for (const bool painted : {true, false}) {
        SCOPED_TRACE(painted);
        app.MainFrame()->resize(1000, 800);
        view = OpenWritable(painted ? "p.bin" : "k.bin", 1000);
        ASSERT_NE(view, nullptr);
        const ORecordView& g = view->Geometry();
        QTest::qWait(10);
        ASSERT_GT(g.Rows(), 25);
        ASSERT_TRUE(view->Geometry().SetCaret(25 * 16 + 3));
        app.MainFrame()->resize(1000, 300);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        ASSERT_LT(g.Rows(), 25);
        ASSERT_EQ(g.Top(), 0);
        if (painted) {
            view->viewport()->grab();
            EXPECT_EQ(g.Caret(), (g.Rows() - 1) * 16 + 3);
        }
        QTest::keyClicks(view, "41");
        EXPECT_EQ(ByteAt(view, 25 * 16 + 3), 'x');
        EXPECT_EQ(ByteAt(view, (g.Rows() - 1) * 16 + 3), 0x41);
        EXPECT_TRUE(Shown(view, g.Caret()));
    }
}

// Regression: wheel and touchpad deltas below a row's worth were dropped,
// and a half-typed hex digit survived a scroll that moved the caret.
TEST_F(ViewTest, SmallWheelDeltasAddUpAndAScrollDropsAHalfTypedDigit) {
    view = OpenWritable("wheel.bin", 4096);
    ASSERT_NE(view, nullptr);
    const ORecordView& g = view->Geometry();
    for (int i = 0; i < 12; ++i) // a notch in twelfths: three rows
        Wheel(view, {}, {0, -10});
    EXPECT_EQ(g.Top(), 3 * 16);
    const int lineHeight = view->PaneLayout().lineHeight;
    for (int i = 0; i < 2 * lineHeight; ++i) // a touchpad, pixel by pixel: two rows
        Wheel(view, {0, -1}, {0, -1});
    EXPECT_EQ(g.Top(), 5 * 16);
    for (int i = 0; i < lineHeight; ++i)
        Wheel(view, {0, 1}, {0, 1});
    EXPECT_EQ(g.Top(), 4 * 16);

    // The caret on the top row; one digit typed, then a scroll moves it.
    const OOffset typed = g.Top();
    ASSERT_TRUE(view->Geometry().SetCaret(typed));
    QTest::keyClicks(view, "4");
    EXPECT_EQ(view->Input().Nibble(), 1);
    Wheel(view, {}, {0, -120});
    const OOffset moved = g.Caret();
    ASSERT_NE(moved, typed);
    EXPECT_EQ(view->Input().Nibble(), 0);
    QTest::keyClicks(view, "1");
    EXPECT_EQ(ByteAt(view, typed), 0x48);
    EXPECT_EQ(ByteAt(view, moved), 0x18); // a new byte's first digit
    EXPECT_EQ(g.Caret(), moved);
}

// The texts themselves are tested with the tips' model; here, which point
// shows which tip, and the setting.
TEST_F(ViewTest, ByteCellsShowTheirValuesOnlyWithTheSettingTheGutterAlways) {
    view->Relayout();
    SetValueTips(true);
    const QString value = TipAt(Cell(0x12).center());
    EXPECT_TRUE(value.startsWith("Offset = 0012\nLeft = 2\nByte = 12 ")) << value.toStdString();
    EXPECT_EQ(TipAt(Cell(0x12, OPane::Text).center()), value);
    // One pixel further the tip has closed.
    QTest::mouseMove(view->viewport(), Cell(0x12, OPane::Text).center() + QPoint(1, 0));
    EXPECT_FALSE(view->ToolTip().Showing());
    // The append position has no values; past it there is no tip.
    EXPECT_EQ(TipAt(Cell(0x100).center()), "Offset = 0100\nLeft = 0");
    EXPECT_EQ(TipAt(Cell(0x101).center()), "");
    SetValueTips(false);
    EXPECT_EQ(TipAt(Cell(0x12).center()), "");
    // The gutter and the offset pane show theirs without it.
    const OPaneLayout& l = view->PaneLayout();
    EXPECT_EQ(TipAt({l.offset.left + 2, l.lineHeight / 2}),
              "Filelength(hex) = 0100\nFilelength(dec) = 256\nRecords = 16");
    view->Doc().Selection().Set(0x14, 0x17);
    EXPECT_EQ(TipAt({l.gutter.left + 2, l.lineHeight + 1}), "0004[0014-0017]<Selected>");
    EXPECT_EQ(TipAt({l.gutter.left + 2, 1}), "");
}

} // namespace
