#include "markers/qt/OColorButton.h"
#include "markers/qt/OMarkerEditDlg.h"
#include "markers/qt/OMarkerListDlg.h"
#include "markers/qt/OMarkerTableModel.h"

#include <QApplication>
#include <QColorDialog>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers the colour dialog a click opens, once it is up.
void AnswerColorDialog(QColor color) {
    QTimer::singleShot(0, [color] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(color);
        dialog->accept();
    });
}

} // namespace

TEST(MarkerEditDialog, EditsTitleAndColoursOnOkOnly) {
    ORange range(kMarkerBackground, kMarkerForeground, "old");
    range.Set(4, 9);
    {
        OMarkerEditDlg dialog(range);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.TitleEdit()->toPlainText(), "old");
        EXPECT_EQ(dialog.BackgroundButton()->ColorRef(), kMarkerBackground);
        // The button shows its colour, framed in black.
        const QImage face = dialog.BackgroundButton()->grab().toImage();
        EXPECT_EQ(face.pixelColor(0, 0), QColor(Qt::black));
        EXPECT_EQ(face.pixelColor(face.width() / 2, 1), QColor(255, 255, 128));

        AnswerColorDialog(QColor(255, 0, 0));
        QTest::mouseClick(dialog.BackgroundButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.BackgroundButton()->ColorRef(), 0x0000FFu);
        AnswerColorDialog(QColor(0, 0, 255));
        QTest::mouseClick(dialog.ForegroundButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.ForegroundButton()->ColorRef(), 0xFF0000u);

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
    EXPECT_EQ(range.Begin(), 4);

    OMarkerEditDlg dialog(range);
    dialog.show();
    QTest::keyClicks(dialog.TitleEdit(), "more");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(range.Title(), "two lines");
}

TEST(MarkerListDialog, ShowsTheRowsAndRemembersItsLayout) {
    OMarkerListDlg::ForgetLayout();
    OMarkerList list;
    for (OOffset i = 0; i < 1000; ++i) {
        ORange marker(i % 2 ? 0x0000FF : kMarkerBackground, kMarkerForeground, "m");
        marker.Set(i * 16, i * 16 + 7);
        list.Insert(marker);
    }
    OSelection selection;
    selection.Set(3, 5);
    const ORange& underCaret = list.At(700);
    const OMarkerRows rows(list, &selection, nullptr, &underCaret);

    int resizedTitle = 0;
    QRect placed;
    {
        OMarkerListDlg dialog(rows, ids::ID_MARKER_BEGIN);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), "Goto marker begin");
        QTableView* table = dialog.Table();
        const QAbstractItemModel* model = table->model();
        ASSERT_EQ(model->rowCount(), 1001);
        const char* headings[] = {"##", "Begin", "End", "Length", "Title"};
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), headings[column]);
        // The row numbers' column is 32 pixels or what "  1000 " needs.
        const int numbers = table->columnWidth(0);
        EXPECT_GE(numbers, 32);
        EXPECT_GT(numbers, table->fontMetrics().horizontalAdvance("  1000 "));
        for (int column = 1; column < 4; ++column)
            EXPECT_EQ(table->columnWidth(column), 128);
        // The title fills the rest, beside a vertical scroll bar.
        EXPECT_NEAR(table->columnWidth(4) + numbers + 3 * 128 + table->verticalScrollBar()->width(),
                    table->contentsRect().width(), 2);
        EXPECT_EQ(model->data(model->index(1, 1)).toString(), "0000");
        EXPECT_EQ(model->data(model->index(2, 3)).toString(), "0008");
        EXPECT_EQ(model->data(model->index(2, 0), Qt::TextAlignmentRole).toInt(),
                  static_cast<int>(Qt::AlignHCenter | Qt::AlignVCenter));
        EXPECT_EQ(model->data(model->index(2, 4), Qt::BackgroundRole).value<QBrush>().color(),
                  QColor(255, 0, 0));
        EXPECT_EQ(model->data(model->index(0, 4)).toString(), "<Selected>");
        EXPECT_EQ(model->data(model->index(0, 4), Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(Qt::white));

        // The marker under the caret is selected and in view.
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front().row(), 701);
        EXPECT_TRUE(table->viewport()->rect().contains(table->visualRect(selected.front())));

        // OK and Cancel stand side by side about the centre, 8 pixels up.
        const QRect ok = dialog.OkButton()->geometry();
        const QRect cancel = dialog.CancelButton()->geometry();
        EXPECT_EQ(cancel.left() - ok.right() - 1, 2);
        EXPECT_NEAR((ok.left() + cancel.right()) / 2, dialog.width() / 2, 2);
        EXPECT_EQ(dialog.height() - ok.bottom() - 1, 8);
        EXPECT_EQ(table->geometry().left(), 8);

        // A double click on a row is OK with that row.
        table->scrollToTop();
        const QRect third = table->visualRect(model->index(3, 2));
        // As the system delivers one: a click, then the second press as a
        // double click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, third.center());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(dialog.Chosen().has_value());
        EXPECT_EQ(*dialog.Chosen(), 3u);
        EXPECT_EQ(&rows.At(*dialog.Chosen()), &list.At(2));
    }
    {
        // Widths and place stay for the next opening; Cancel chooses nothing.
        OMarkerListDlg dialog(rows, ids::ID_MARKER_EDIT);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), "Marker edit");
        dialog.Table()->setColumnWidth(1, 90);
        dialog.resize(dialog.width() + 100, dialog.height() + 50);
        resizedTitle = dialog.Table()->columnWidth(4);
        placed = dialog.geometry();
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.Chosen().has_value());
    }
    OMarkerListDlg dialog(rows, ids::ID_MARKER_REMOVE);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.Table()->columnWidth(1), 90);
    EXPECT_EQ(dialog.size(), placed.size());
    // The window is wider now and column 1 narrower: the title takes both.
    EXPECT_NEAR(dialog.Table()->columnWidth(4), resizedTitle + 100 + 38, 2);
}
