#include "markers/qt/OColorButton.h"
#include "markers/qt/OMarkerEditDlg.h"
#include "markers/qt/OMarkerListDlg.h"

#include <QApplication>
#include <QColorDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Picks color in the colour dialog that clicking button opens.
void PickColor(OColorButton* button, QColor color) {
    QTimer::singleShot(0, [color] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(color);
        dialog->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST(MarkerEditDialog, EditsTitleAndColoursOnOkOnly) {
    ORange range(kMarkerBackground, kMarkerForeground, "old");
    {
        OMarkerEditDlg dialog(range);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.TitleEdit()->toPlainText(), "old");
        const QImage face = dialog.BackgroundButton()->grab().toImage();
        EXPECT_EQ(face.pixelColor(0, 0), QColor(Qt::black));
        EXPECT_EQ(face.pixelColor(face.width() / 2, 1), QColor(255, 255, 128));
        PickColor(dialog.BackgroundButton(), QColor(255, 0, 0));
        PickColor(dialog.ForegroundButton(), QColor(0, 0, 255));
        EXPECT_EQ(dialog.BackgroundButton()->ColorRef(), 0x0000FFu);

        // 300 characters typed keep 255; a pasted line break becomes a blank.
        dialog.TitleEdit()->clear();
        QTest::keyClicks(dialog.TitleEdit(), QString(300, u'x'));
        EXPECT_EQ(dialog.TitleEdit()->toPlainText().size(), OMarkerEditDlg::kMaxTitle);
        dialog.TitleEdit()->setPlainText("two\nlines");
        EXPECT_EQ(range.Title(), "old"); // nothing reaches the range before OK
        QTest::keyClick(dialog.TitleEdit(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(range.Title(), "two lines");
    EXPECT_EQ(range.Background(), 0x0000FFu);
    EXPECT_EQ(range.Foreground(), 0xFF0000u);

    OMarkerEditDlg dialog(range);
    dialog.show();
    QTest::keyClicks(dialog.TitleEdit(), "more");
    PickColor(dialog.BackgroundButton(), QColor(0, 255, 0));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(range.Title(), "two lines");
    EXPECT_EQ(range.Background(), 0x0000FFu);
}

TEST(MarkerListDialog, ShowsTheRowsAndRemembersItsLayout) {
    OMarkerListDlg::ForgetLayout();
    OMarkerList list;
    for (OOffset i = 0; i < 1000; ++i) {
        ORange marker(i % 2 ? 0x0000FF : kMarkerBackground, kMarkerForeground, "m");
        marker.Set(i * 16, i * 16 + 7 * (i % 2));
        list.Insert(marker);
    }
    OSelection selection;
    selection.Set(3, 5);
    const OMarkerRows rows(list, &selection, nullptr, &list.At(700));
    QSize size;
    {
        OMarkerListDlg dialog(rows, ids::ID_MARKER_BEGIN);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), "Goto marker begin");
        QTableView* table = dialog.Table();
        const QAbstractItemModel* model = table->model();
        ASSERT_EQ(model->rowCount(), 1001);
        // "##" is 32 pixels or what the last row number needs; the title
        // fills what the others and a vertical scroll bar leave.
        const int numbers = table->columnWidth(0);
        EXPECT_GT(numbers, table->fontMetrics().horizontalAdvance("  1000 "));
        EXPECT_EQ(table->columnWidth(1), 128);
        EXPECT_NEAR(table->columnWidth(4) + numbers + 3 * 128 + table->verticalScrollBar()->width(),
                    table->contentsRect().width(), 2);
        const std::pair<QModelIndex, QString> cells[] = {{model->index(0, 4), "<Selected>"},
                                                         {model->index(1, 0), "  1 "},
                                                         {model->index(1, 3), "1"},
                                                         {model->index(2, 3), "0008"}};
        for (const auto& [index, text] : cells)
            EXPECT_EQ(model->data(index).toString(), text);
        EXPECT_EQ(model->data(model->index(2, 4), Qt::BackgroundRole).value<QBrush>().color(),
                  QColor(255, 0, 0));
        EXPECT_EQ(model->data(model->index(0, 4), Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(Qt::white));

        // The marker under the caret is selected and in view.
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front().row(), 701);
        EXPECT_TRUE(table->viewport()->rect().contains(table->visualRect(selected.front())));

        // A double click (as the system sends it: a click, then a double
        // click) is OK with that row. The widths and size stay for later.
        table->setColumnWidth(1, 90);
        dialog.resize(dialog.width() + 100, dialog.height() + 50);
        size = dialog.size();
        table->scrollToTop();
        const QPoint third = table->visualRect(model->index(3, 2)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, third);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, third);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Chosen(), std::optional<std::size_t>(3));
    }
    OMarkerListDlg dialog(rows, ids::ID_MARKER_EDIT);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), "Marker edit");
    EXPECT_EQ(dialog.Table()->columnWidth(1), 90);
    EXPECT_EQ(dialog.size(), size);
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.Chosen().has_value());
}
