#include "view/qt/OInsertDlg.h"

#include "document/ODoc.h"
#include "platform/OScriptedPlatform.h"
#include "qt/OModalSteps.h"
#include "support/OTempDir.h"
#include "view/ORecordView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(InsertDialog, RecordsAtTheNextRecordSelected) {
    OScriptedPlatform platform;
    OTempDir dir;
    ODoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.Write("data.bin", std::vector<OByte>(160, 0xAA))));
    doc.SetReadOnly(false);
    ORecordView view(OViewSettings{}, [&doc] { return doc.ShownLength(); });
    view.Layout(1 << 20, 100, 10);
    ASSERT_TRUE(view.SetCaret(87)); // the middle of record 5

    WhenOpen<OInsertDlg>([&platform](OInsertDlg& d) {
        EXPECT_EQ(d.Count()->text(), "1");
        EXPECT_TRUE(d.Bytes()->isChecked());
        EXPECT_FALSE(d.SelectAfter()->isChecked());
        d.Count()->selectAll();
        QTest::keyClicks(d.Count(), "0x"); // digits only
        EXPECT_EQ(d.Count()->text(), "0");
        ClickOk(d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(platform.MessageTexts(),
                  std::vector<std::string>{"Please enter an integer between 1 and 4294967295."});
        d.Count()->selectAll();
        QTest::keyClicks(d.Count(), "2");
        Click(d.Records());
        Click(d.SelectAfter());
        ClickOk(d);
    });
    EXPECT_TRUE(RunInsertDialog(nullptr, doc, view));
    EXPECT_EQ(doc.ShownLength(), 192);
    EXPECT_EQ(view.Caret(), 96);
    EXPECT_EQ(doc.Selection().Begin(), 96);
    EXPECT_EQ(doc.Selection().End(), 127);

    // Cancel inserts nothing; the dialog opens as new every time.
    WhenOpen<OInsertDlg>([](OInsertDlg& d) {
        EXPECT_EQ(d.Count()->text(), "1");
        EXPECT_TRUE(d.Bytes()->isChecked());
        d.reject();
    });
    EXPECT_FALSE(RunInsertDialog(nullptr, doc, view));
    EXPECT_EQ(doc.ShownLength(), 192);
}

} // namespace
