#include "document/ODoc.h"

#include "document/OClipStore.h"
#include "document/ODocView.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <gtest/gtest.h>

namespace {

struct HostSpy final : ODocHost {
    std::vector<std::string> recent;
    int stored = 0;
    int titles = 0;
    void AddToRecentFileList(const std::string& path) override { recent.push_back(path); }
    void OnTitleChanged(ODoc&) override { ++titles; }
    void StoreViewState(ODoc&, ODocView&) override { ++stored; }
    bool MakeBackup(OFile&) override { return true; }
    OClipHolder& ClipHolder() override { return holder; }
    std::string TempDirectory() override { return "/tmp/"; }
    OClipHolder holder;
};

struct ViewSpy final : ODocView {
    int updates = 0;
    void OnUpdate() override { ++updates; }
};

class DocTest : public ::testing::Test {
protected:
    OScriptedPlatform platform;
    OTempDir dir;
    HostSpy host;
    OFaultyFileIo io; // outlives the document's file
    ODoc doc{&host};
};

TEST_F(DocTest, OpeningReadsNothingAndJoinsTheRecentListOrSaysWhyNot) {
    const std::string missing = dir.File("missing.bin");
    EXPECT_FALSE(doc.OnOpenDocument(missing));
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<std::string>{missing + ": No such file or directory"});
    EXPECT_EQ(doc.File(), nullptr);
    const std::string path = dir.Sparse("big.bin", OOffset{1} << 40);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.File()->GetSize(), OOffset{1} << 40);
    EXPECT_FALSE(doc.File()->IsWritable());
    EXPECT_TRUE(doc.ReadOnly());
    EXPECT_EQ(doc.Title(), "big.bin");
    EXPECT_EQ(host.recent, std::vector<std::string>{path});
}

// Typed bytes are saved, dropped or kept as the question is answered;
// without any there is no question.
TEST_F(DocTest, PendingBytesAreSavedDroppedOrKeptAsAnswered) {
    const std::string path = dir.Write("a.bin", std::string("abcdef"));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    OFile& file = *doc.File();
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.ResolvePending());
    EXPECT_TRUE(platform.Messages().empty());
    struct Step {
        OAnswer answer;
        bool resolved;
        const char* content;
    };
    const Step steps[] = {{OAnswer::Cancel, false, "abcdef"},
                          {OAnswer::No, true, "abcdef"},
                          {OAnswer::Yes, true, "Xbcdef"}};
    for (const Step& s : steps) {
        ASSERT_TRUE(file.SetByte(0, 'a', 'X'));
        EXPECT_TRUE(doc.IsModified());
        platform.Clear();
        platform.Answer(s.answer);
        EXPECT_EQ(doc.ResolvePending(), s.resolved);
        EXPECT_EQ(platform.MessageTexts(),
                  std::vector<std::string>{"Save changes to " + path + " ?"});
        EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNoCancel);
        EXPECT_EQ(file.HasPending(), !s.resolved);
        EXPECT_EQ(doc.IsModified(), !s.resolved);
        EXPECT_EQ(ReadText(path), s.content);
    }
    // Closing asks the same way.
    ASSERT_TRUE(file.SetByte(2, 'c', 'Z'));
    platform.Answer(OAnswer::Cancel);
    EXPECT_FALSE(doc.SaveModified());
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(ReadText(path), "XbZdef");
}

// Typed bytes settled into a new document's memory are not saved: it stays
// modified, or closing would lose them without a word. Saving names it; a
// failed save leaves it modified.
TEST_F(DocTest, ANewDocumentStaysModifiedUntilSavedUnderAName) {
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.File()->SetByte(0, 0, 'A'));
    ASSERT_TRUE(doc.File()->SetByte(1, 0, 'B'));
    platform.Answer(OAnswer::Yes);
    ASSERT_TRUE(doc.ResolvePending());
    EXPECT_FALSE(doc.File()->HasPending());
    EXPECT_EQ(doc.File()->GetSize(), 2);
    EXPECT_TRUE(doc.IsModified());
    // Regression: taking back or throwing away a later typed byte made the
    // unsaved document count as saved.
    ASSERT_TRUE(doc.File()->SetByte(1, 'B', 'Z'));
    ASSERT_TRUE(doc.File()->UndoByte(1));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.File()->SetByte(1, 'B', 'Z'));
    doc.File()->DiscardPending();
    EXPECT_TRUE(doc.IsModified());
    platform.AnswerSaveFileName(dir.File("missing/new.bin"));
    EXPECT_FALSE(doc.DoFileSave());
    EXPECT_TRUE(doc.IsModified());
    const std::string target = dir.File("new.bin");
    platform.AnswerSaveFileName(target);
    ASSERT_TRUE(doc.DoFileSave());
    EXPECT_EQ(ReadText(target), "AB");
    EXPECT_EQ(doc.PathName(), target);
    EXPECT_EQ(doc.Title(), "new.bin");
    EXPECT_EQ(host.titles, 1);
    EXPECT_EQ(host.recent, std::vector<std::string>{target});
    EXPECT_FALSE(doc.IsModified());
}

// Typed bytes that cannot go into memory (here: past any size a vector can
// reach) must not let the save report success and clear the modified flag
// while they are still only pending.
TEST_F(DocTest, ASaveWhoseTypedBytesCannotBeSettledFails) {
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.File()->SetByte(kOffsetMax - 16, 0, 'A'));
    platform.AnswerSaveFileName(dir.File("new.bin"));
    EXPECT_FALSE(doc.DoFileSave());
    EXPECT_TRUE(doc.File()->HasPending());
    EXPECT_TRUE(doc.IsModified());
}

// Regression: read as 0, an unknown size clipped every range away.
TEST_F(DocTest, DiscardingTypedBytesOverAnUnreadableSizeKeepsTheMarkers) {
    const std::string path = dir.Write("a.bin", std::string("abcdef"));
    ASSERT_TRUE(doc.OnOpenDocument(path, io));
    ASSERT_TRUE(doc.File()->SetByte(1, 'b', 'Y'));
    ORange marker;
    marker.Set(2, 4);
    doc.Markers().Insert(marker);
    io.failFStatErrno = EIO;
    platform.Answer(OAnswer::No);
    EXPECT_TRUE(doc.ResolvePending());
    ASSERT_EQ(doc.Markers().Count(), 1u);
    EXPECT_EQ(doc.Markers().At(0).End(), 4);
    EXPECT_EQ(platform.MessageTexts().back(), "Filesize getting error");
}

// Regression: a match replaced by nothing marked one byte as last found.
TEST_F(DocTest, TheLastFoundRangeCoversTheMatchOrNothing) {
    doc.SetLastFound(5, 3);
    EXPECT_EQ(doc.LastFound().Begin(), 5);
    EXPECT_EQ(doc.LastFound().End(), 7);
    doc.SetLastFound(5, 0);
    EXPECT_TRUE(doc.LastFound().IsEmpty());
    doc.SetLastFound(5, 3);
    doc.SetLastFound(-1, 3);
    EXPECT_TRUE(doc.LastFound().IsEmpty());
}

TEST_F(DocTest, ViewsAreUpdatedAndTheFirstKeepsItsState) {
    ASSERT_TRUE(doc.OnNewDocument());
    ViewSpy first, second;
    doc.AddView(&first);
    doc.AddView(&second);
    doc.UpdateAllViews();
    EXPECT_EQ(first.updates + second.updates, 2);
    doc.OnCloseDocument();
    EXPECT_EQ(host.stored, 1);
    doc.RemoveView(&first);
    doc.RemoveView(&second);
}

struct Target final : OCommandTarget {
    OCommandId handles;
    bool enabled;
    int runs = 0;
    Target(OCommandId id, bool on) : handles(id), enabled(on) {}
    bool OnCommand(OCommandId id) override { return id == handles && ++runs; }
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override {
        if (id != handles) return false;
        ui.enabled = enabled;
        return true;
    }
};

TEST(CommandRouting, FirstHandlerInTheChainWinsAndUnhandledIsDisabled) {
    Target view(ids::ID_FIND, false);
    Target doc(ids::ID_GOTO, true);
    Target app(ids::ID_FIND, true);
    OCommandTarget* chain[] = {&view, nullptr, &doc, &app};
    EXPECT_FALSE(RouteUpdate(chain, ids::ID_FIND).enabled); // the view's rule, not the app's
    EXPECT_TRUE(RouteUpdate(chain, ids::ID_GOTO).enabled);
    EXPECT_FALSE(RouteUpdate(chain, ids::ID_FONT).enabled);
    EXPECT_TRUE(RouteCommand(chain, ids::ID_FIND));
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(app.runs, 0);
    EXPECT_FALSE(RouteCommand(chain, ids::ID_FONT));
}

} // namespace
