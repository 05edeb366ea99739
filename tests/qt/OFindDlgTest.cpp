#include "find/qt/OFindDlg.h"

#include "find/OFindDialogModel.h"
#include "find/qt/OReplaceConfirmDlg.h"
#include "qt/OModalSteps.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Dialog {
    std::vector<std::string> finds{"abc", "10"};
    std::vector<std::string> replaces{"x"};
    OFindOptions options;
    std::vector<OByte> clip;
    std::unique_ptr<OFindDialogModel> model;
    std::unique_ptr<OFindDlg> dlg;
    Dialog(bool readOnly, bool selection, bool clipboard) {
        model = std::make_unique<OFindDialogModel>(options, finds, replaces, readOnly, selection,
                                                   clipboard);
        dlg = std::make_unique<OFindDlg>(*model, [this] { return clip; });
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
};

TEST(FindDialog, OpensWithTheLastTextsAndTheRules) {
    Dialog d(true, false, false);
    EXPECT_EQ(d.dlg->FindField()->currentText(), "abc");
    EXPECT_EQ(d.dlg->FindField()->count(), 2);
    EXPECT_EQ(d.dlg->ReplaceField()->currentText(), "x");
    // Read-only: no replace at all; no selection: no "Selection"; empty store: no "..".
    EXPECT_FALSE(d.dlg->ReplaceCheck()->isEnabled());
    EXPECT_FALSE(d.dlg->ReplaceField()->isEnabled());
    EXPECT_FALSE(d.dlg->Selection()->isEnabled());
    EXPECT_TRUE(d.dlg->WholeFile()->isChecked());
    EXPECT_FALSE(d.dlg->DotDot()->isEnabled());
    EXPECT_TRUE(d.dlg->Down()->isChecked());
}

TEST(FindDialog, ReplaceForcesDownAndCountOnlyClearsReplace) {
    Dialog d(false, true, true);
    Click(d.dlg->Up());
    EXPECT_FALSE(d.model->Options().down);
    Click(d.dlg->ReplaceCheck());
    EXPECT_TRUE(d.model->Options().replace);
    EXPECT_TRUE(d.dlg->Down()->isChecked());
    EXPECT_FALSE(d.dlg->Up()->isEnabled());
    EXPECT_TRUE(d.dlg->ReplaceField()->isEnabled());
    Click(d.dlg->ReplaceCheck());
    EXPECT_TRUE(d.dlg->Up()->isEnabled());
    EXPECT_TRUE(d.model->Options().down); // stays down
    Click(d.dlg->ReplaceCheck());
    Click(d.dlg->CountOnly());
    EXPECT_FALSE(d.model->Options().replace);
    EXPECT_FALSE(d.dlg->ReplaceCheck()->isEnabled());
    EXPECT_FALSE(d.dlg->ReplaceField()->isEnabled());
    Click(d.dlg->CountOnly());
    EXPECT_TRUE(d.dlg->ReplaceCheck()->isEnabled());
    EXPECT_FALSE(d.model->Options().replace); // replace stays off

    // Regression: Cancel threw the clicks away. Direction, area, replace and
    // count only stay as clicked; match case and from begin stay as before.
    Click(d.dlg->Up());
    Click(d.dlg->CountOnly());
    Click(d.dlg->MatchCase());
    OFindOptions before;
    before.fromBeginEnd = true;
    const OFindOptions kept = d.model->KeptOnCancel(before);
    EXPECT_FALSE(kept.down);
    EXPECT_TRUE(kept.countOnly);
    EXPECT_FALSE(kept.matchCase);
    EXPECT_TRUE(kept.fromBeginEnd);
}

TEST(FindDialog, HistoryTakesTextsAsTypedAndMovesRepeats) {
    Dialog d(false, false, false);
    // What is typed is taken exactly: no completion from "10" for a typed "1".
    d.dlg->FindField()->lineEdit()->clear();
    QTest::keyClicks(d.dlg->FindField()->lineEdit(), "1");
    EXPECT_EQ(d.dlg->FindField()->currentText(), "1");
    d.dlg->accept();
    EXPECT_EQ(d.finds, (std::vector<std::string>{"1", "abc", "10"}));
    EXPECT_EQ(d.replaces.front(), "x");

    OFindDialogModel::EnterHistory(d.finds, "abc");
    OFindDialogModel::EnterHistory(d.finds, "ABC"); // case matters
    EXPECT_EQ(d.finds, (std::vector<std::string>{"ABC", "abc", "1", "10"}));
}

TEST(FindDialog, DotDotEscapesTheStoreBytesAndHistoryClearEmptiesBoth) {
    Dialog d(false, false, true);
    d.clip = {0x41, 0x5C, 0x00, 0xFF};
    ASSERT_TRUE(d.dlg->DotDot()->isEnabled());
    Click(d.dlg->DotDot());
    EXPECT_EQ(d.dlg->FindField()->currentText(), "A\\\\\\00\\FF");
    Click(d.dlg->HistoryClear());
    EXPECT_TRUE(d.finds.empty());
    EXPECT_TRUE(d.replaces.empty());
    EXPECT_EQ(d.dlg->FindField()->count(), 0);
}

TEST(ReplaceConfirm, EachButtonAnswersAndTheWindowKeepsItsPlace) {
    OReplaceConfirmDlg dlg;
    for (OConfirmAnswer answer :
         {OConfirmAnswer::Yes, OConfirmAnswer::No, OConfirmAnswer::All, OConfirmAnswer::Cancel}) {
        QTimer::singleShot(0, &dlg, [&dlg, answer] { dlg.Button(answer)->click(); });
        EXPECT_EQ(dlg.Ask("41 42", "43"), answer);
    }
    QRect left;
    QTimer::singleShot(0, &dlg, [&dlg, &left] {
        dlg.move(123, 77);
        left = dlg.geometry();
        dlg.Button(OConfirmAnswer::No)->click();
    });
    dlg.Ask("41", "42");
    QRect placed;
    QTimer::singleShot(0, &dlg, [&dlg, &placed] {
        placed = dlg.geometry();
        dlg.Button(OConfirmAnswer::Yes)->click();
    });
    dlg.Ask("41", "42");
    EXPECT_EQ(placed, left);
}

} // namespace
