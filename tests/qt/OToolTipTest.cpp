#include "app/OApp.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "platform/OScriptedPlatform.h"
#include "platform/qt/OQtPlatform.h"
#include "res/OResourceIds.h"
#include "support/OTempDir.h"
#include "support/OTimeZone.h"
#include "view/qt/OView.h"

#include <QHelpEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The program with one window over the bytes 00 to FF, sixteen a record.
class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        core.Startup(dir.File("quorvalis.ini"));
        std::string bytes;
        for (int i = 0; i < 256; ++i)
            bytes += static_cast<char>(i);
        int exitCode = 0;
        ASSERT_TRUE(app.Startup({"/W16", dir.Write("data.bin", bytes)}, exitCode));
        app.MainFrame()->resize(1000, 600);
        view = app.MainFrame()->ActiveView();
        ASSERT_NE(view, nullptr);
        QTest::qWait(20);
        view->Relayout();
    }
    // The middle of a byte's cell in a pane, in viewport pixels.
    QPoint Cell(OPane pane, OOffset offset) const {
        const OPaneLayout& l = view->PaneLayout();
        const int column = static_cast<int>(offset % 16);
        return {l.CellLeft(pane, column) + l.charWidth / 2,
                static_cast<int>(offset / 16) * l.lineHeight + l.lineHeight / 2};
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

    OTimeZone zone{"UTC"};
    OQtPlatform qtPlatform;
    OScriptedPlatform platform;
    OTempDir dir;
    OApp core;
    OQtApp app{core, qtPlatform};
    OView* view = nullptr;
};

TEST_F(ToolTipTest, ByteCellsShowTheirValuesOnlyWithTheSetting) {
    const QString value =
        "Offset = 0012\nLeft = 2\nByte = 12 | 18 | 18\nWord = 1312 | 4882 | 4882\n"
        "Dword = 15141312 | 353637138 | 353637138\n";
    SetValueTips(true);
    EXPECT_TRUE(TipAt(Cell(OPane::Hex, 0x12)).startsWith(value));
    EXPECT_TRUE(TipAt(Cell(OPane::Text, 0x12)).startsWith(value));
    // One pixel further the tip has closed.
    QTest::mouseMove(view->viewport(), Cell(OPane::Text, 0x12) + QPoint(1, 0));
    EXPECT_FALSE(view->ToolTip().Showing());
    // The append position has no values; past it there is no tip.
    EXPECT_EQ(TipAt(Cell(OPane::Hex, 0x100)), "Offset = 0100\nLeft = 0");
    EXPECT_EQ(TipAt(Cell(OPane::Hex, 0x101)), "");

    SetValueTips(false);
    EXPECT_EQ(TipAt(Cell(OPane::Hex, 0x12)), "");
}

TEST_F(ToolTipTest, GutterAndOffsetPaneShowWithoutTheSetting) {
    SetValueTips(false);
    const OPaneLayout& l = view->PaneLayout();
    EXPECT_EQ(TipAt({l.offset.left + 2, l.lineHeight / 2}),
              "Filelength(hex) = 0100\nFilelength(dec) = 256\nRecords = 16");
    view->Doc().Selection().Set(0x14, 0x17);
    EXPECT_EQ(TipAt({l.gutter.left + 2, l.lineHeight + 1}), "0004[0014-0017]<Selected>");
    EXPECT_EQ(TipAt({l.gutter.left + 2, 1}), "");
}

} // namespace
