#include "view/qt/OGotoDlg.h"

#include "platform/OScriptedPlatform.h"
#include "qt/OModalSteps.h"
#include "view/ORecordView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using F = OGotoField;

void Type(OGotoDlg& dialog, F field, const char* keys, bool replace = true) {
    QLineEdit* edit = dialog.Field(field)->lineEdit();
    if (replace) edit->selectAll();
    QTest::keyClicks(edit, keys);
}

std::string Text(OGotoDlg& dialog, F field) {
    return dialog.Field(field)->currentText().toStdString();
}

bool Focused(OGotoDlg& dialog, F field) {
    QWidget* focus = dialog.focusWidget();
    return focus && (focus == dialog.Field(field) || dialog.Field(field)->isAncestorOf(focus));
}

TEST(GotoDialog, FieldsFollowTheTypingAndOkMovesTheCaret) {
    OScriptedPlatform platform;
    ProcessGotoHistory() = {};
    ORecordView view(OViewSettings{}, [] { return OOffset{1000}; });
    view.Layout(1 << 20, 100, 10);
    ASSERT_TRUE(view.SetCaret(100));

    // Keys reach the model through the line edits and the boxes alike; the
    // model's own arithmetic is tested with it.
    WhenOpen<OGotoDlg>([](OGotoDlg& d) {
        EXPECT_TRUE(Focused(d, F::HexOffset));
        Type(d, F::HexOffset, "1A");
        EXPECT_EQ(Text(d, F::DecOffset), "26");
        Type(d, F::HexOffset, "-x", false); // filtered as typed
        EXPECT_EQ(Text(d, F::HexOffset), "1A");
        QTest::keyClicks(d.Field(F::DecOffset), "A");
        EXPECT_EQ(Text(d, F::DecOffset), "26");
        Type(d, F::Record, "3");
        ClickOk(d);
    });
    EXPECT_TRUE(RunGotoDialog(nullptr, view));
    EXPECT_EQ(view.Caret(), 48);

    // Reopened in the record field; past the end asks: Cancel stays, OK
    // goes to the end.
    WhenOpen<OGotoDlg>([&platform](OGotoDlg& d) {
        EXPECT_TRUE(Focused(d, F::Record));
        EXPECT_EQ(Text(d, F::Record), "3");
        Type(d, F::DecOffset, "+1000");
        platform.Answer(OAnswer::Cancel);
        ClickOk(d);
        EXPECT_TRUE(d.isVisible());
        platform.Answer(OAnswer::Ok);
        ClickOk(d);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(RunGotoDialog(nullptr, view));
    EXPECT_EQ(view.Caret(), 1000);
    EXPECT_EQ(platform.MessageTexts(),
              (std::vector<std::string>{"Offset over end", "Offset over end"}));

    // No completion from the list: a typed 4 stays 4, not the earlier 48.
    // A choice from the list is an edit; Clear empties everything; Cancel
    // moves nothing.
    WhenOpen<OGotoDlg>([](OGotoDlg& d) {
        QComboBox* dec = d.Field(F::DecOffset);
        ASSERT_EQ(dec->count(), 2);
        Type(d, F::DecOffset, "4");
        EXPECT_EQ(Text(d, F::DecOffset), "4");
        dec->setCurrentIndex(1);
        emit dec->activated(1);
        EXPECT_EQ(Text(d, F::Record), "3");
        QTest::mouseClick(d.ClearButton(), Qt::LeftButton);
        for (F field : {F::Record, F::HexOffset, F::DecOffset}) {
            EXPECT_EQ(Text(d, field), "");
            EXPECT_EQ(d.Field(field)->count(), 0);
        }
    });
    EXPECT_FALSE(RunGotoDialog(nullptr, view));
    EXPECT_EQ(view.Caret(), 1000);
    EXPECT_EQ(ProcessGotoHistory().lists[static_cast<std::size_t>(F::DecOffset)],
              (std::vector<std::string>{"+1000", "48"}));

    // Enter in a field is OK.
    WhenOpen<OGotoDlg>([](OGotoDlg& d) {
        Type(d, F::HexOffset, "1F");
        QTest::keyClick(d.Field(F::HexOffset), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(RunGotoDialog(nullptr, view));
    EXPECT_EQ(view.Caret(), 31);
}

} // namespace
