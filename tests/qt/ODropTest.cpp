#include "app/qt/OChildFrame.h"
#include "platform/OProgress.h"
#include "qt/OAppFixture.h"

#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

class DropTest : public ::testing::Test, protected OAppFixture {
protected:
    void SetUp() override {
        a = dir.Write("a.bin", std::string("0123456789"));
        b = dir.Write("b.bin", std::string("abcdef"));
        ASSERT_TRUE(Start({}));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
    }
    QString ActiveTitle() {
        OChildFrame* child = Frame().ActiveChild();
        return child ? child->windowTitle() : QString();
    }

    // Drags data in over the middle of the document area, where the views
    // are, and drops it the way the window system does: through the
    // window, which hands it to the widget under the pointer that takes
    // drops. True when the drop was taken; the files open once the
    // events have run.
    bool Drop(const QMimeData& data) {
        QWindow* window = Frame().windowHandle();
        const QPoint at = Frame().MdiArea()->mapTo(&Frame(), Frame().MdiArea()->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        if (!enter.isAccepted()) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(window, &leave);
            return false;
        }
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        QTest::qWait(10);
        return drop.isAccepted();
    }
    static QMimeData* Files(const std::vector<std::string>& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data->setUrls(urls);
        return data;
    }

    std::string a, b;
};

} // namespace

// What is no local file is refused, and so is everything while a block
// move pumps messages; dropped files open as File Open opens them.
TEST_F(DropTest, DroppedFilesOpenAsFileOpenOpensThem) {
    QMimeData text;
    text.setText(QString::fromStdString(a));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/a.bin"))});
    for (const QMimeData* data : {&text, &remote})
        EXPECT_FALSE(Drop(*data));
    const std::string missing = dir.File("missing.bin");
    std::unique_ptr<QMimeData> data(Files({a, missing, b}));
    {
        OLongOperation running;
        EXPECT_FALSE(Drop(*data));
    }
    EXPECT_EQ(Tabs(), 0u);
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(Frame().windowTitle(), "Quorvalis");
    ASSERT_TRUE(Drop(*data));
    // The one that failed says why; the others open, the last one active.
    EXPECT_EQ(Tabs(), 2u);
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<std::string>{missing + ": No such file or directory"});
    EXPECT_EQ(ActiveTitle(), "b.bin");
    EXPECT_EQ(Frame().windowTitle(), "b.bin — Quorvalis");
    // A file already open, by another name for it, shows its window again.
    data.reset(Files({dir.Path() + "/./a.bin"}));
    ASSERT_TRUE(Drop(*data));
    EXPECT_EQ(Tabs(), 2u);
    EXPECT_EQ(ActiveTitle(), "a.bin");
    EXPECT_EQ(Frame().windowTitle(), "a.bin — Quorvalis");
}
