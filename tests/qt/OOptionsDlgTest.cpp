#include "app/qt/OOptionsDlg.h"

#include "app/OApp.h"
#include "platform/OScriptedPlatform.h"
#include "qt/OModalSteps.h"
#include "support/OTempDir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using M = OOptionsModel;

// Makes row current by clicking its label, which opens the value's editor.
QWidget* Open(OOptionsDlg& d, M::Row row) {
    QTableView* list = d.List();
    const QModelIndex label = list->model()->index(static_cast<int>(row), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(label).center());
    QApplication::processEvents();
    return list->indexWidget(label.siblingAtColumn(1)) ? list->indexWidget(label.siblingAtColumn(1))
                                                       : QApplication::focusWidget();
}

void TypeNumber(OOptionsDlg& d, M::Row row, const char* text) {
    auto* edit = qobject_cast<QLineEdit*>(Open(d, row));
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return); // moves to Apply, the edit commits
    QApplication::processEvents();
}

QString Shown(OOptionsDlg& d, M::Row row) {
    return d.List()->model()->index(static_cast<int>(row), 1).data().toString();
}

TEST(OptionsDialog, OutOfRangeIsSaidAndSaveWritesGeneralOnly) {
    OScriptedPlatform platform;
    OTempDir dir;
    const std::string ini =
        dir.Write("q.ini", "[Mine]\nHand=written\n[General]\nVersion=0.37\nRecordWidth=20\n");
    OApp core;
    core.Startup(ini);
    QWidget window;
    window.setGeometry(40, 50, 600, 400);

    // A width of 1 is refused with the message and the row keeps 20. The
    // editor keeps the focus with 20 selected: the number typed over it and
    // one Enter reach Apply, and the next Enter applies.
    WhenOpen<OOptionsDlg>([&platform](OOptionsDlg& d) {
        TypeNumber(d, M::kRecordWidth, "1");
        EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"Number out range"});
        EXPECT_EQ(Shown(d, M::kRecordWidth), "20");
        EXPECT_TRUE(d.isVisible());
        auto* edit = qobject_cast<QLineEdit*>(d.focusWidget());
        ASSERT_NE(edit, nullptr) << (d.focusWidget() ? d.focusWidget()->metaObject()->className()
                                                     : "none");
        EXPECT_EQ(edit->selectedText(), "20");
        QTest::keyClicks(edit, "2");
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(platform.MessageTexts().size(), 1u);
        EXPECT_EQ(Shown(d, M::kRecordWidth), "2");
        ASSERT_EQ(d.focusWidget(), d.ApplyButton());
        QTest::keyClick(d.ApplyButton(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    RunOptionsDialog(&window, core);
    EXPECT_EQ(core.Settings().recordWidth, 2);
    {
        // Apply writes nothing.
        OIniFile file(ini);
        ASSERT_TRUE(file.Load());
        EXPECT_EQ(file.GetInt("General", "RecordWidth", 0), 20);
    }

    // A flag through its combo box, then Save.
    WhenOpen<OOptionsDlg>([](OOptionsDlg& d) {
        auto* combo = qobject_cast<QComboBox*>(Open(d, M::kMarkerJumpWrap));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->currentText(), "enable");
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        EXPECT_EQ(Shown(d, M::kMarkerJumpWrap), "disable");
        QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
    });
    RunOptionsDialog(&window, core);
    EXPECT_FALSE(core.Settings().markerJumpWrap);
    OIniFile file(ini);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(file.GetInt("General", "MarkerJumpWrap", 1), 0);
    EXPECT_EQ(file.GetInt("General", "RecordWidth", 0), 2);
    EXPECT_EQ(file.GetString("General", "WindowPos"), "40,50,600,400");
    EXPECT_EQ(file.GetString("Mine", "Hand"), "written");

    // Cancel keeps the record as it was.
    WhenOpen<OOptionsDlg>([](OOptionsDlg& d) {
        TypeNumber(d, M::kRecentFiles, "9");
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    });
    RunOptionsDialog(&window, core);
    EXPECT_EQ(core.Settings().recentFilesCount, 0);
}

} // namespace
