#include "document/ODoc.h"

#include "support/ODocFixture.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;
using DocTest = ODocFixture;

TEST_F(DocTest, OpeningReadsNothingAndJoinsTheRecentListOrSaysWhyNot) {
    const std::string missing = dir.File("missing.bin");
    EXPECT_FALSE(doc.OnOpenDocument(missing));
    EXPECT_EQ(platform.MessageTexts(), Strings{missing + ": No such file or directory"});
    EXPECT_EQ(doc.File(), nullptr);
    path = dir.Sparse("big.bin", OOffset{1} << 40);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.File()->GetSize(), OOffset{1} << 40);
    EXPECT_FALSE(doc.File()->IsWritable());
    EXPECT_TRUE(doc.ReadOnly());
    EXPECT_EQ(doc.Title(), "big.bin");
    EXPECT_EQ(host.recent, Strings{path});
}

// Typed bytes are saved, dropped or kept as the question is answered, before
// an edit and before closing; without any there is no question.
TEST_F(DocTest, PendingBytesAreSavedDroppedOrKeptAsAnswered) {
    Open(BytesOf("abcdef"));
    OFile& file = *doc.File();
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.ResolvePending());
    EXPECT_TRUE(platform.Messages().empty());
    const std::tuple<bool, OAnswer, bool, const char*> steps[] = {
        {false, OAnswer::Cancel, false, "abcdef"},
        {false, OAnswer::No, true, "abcdef"},
        {false, OAnswer::Yes, true, "Xbcdef"},
        {true, OAnswer::Cancel, false, "Xbcdef"},
        {true, OAnswer::Yes, true, "Zbcdef"}};
    for (const auto& [closing, answer, resolved, content] : steps) {
        ASSERT_TRUE(file.SetByte(0, 'a', closing ? 'Z' : 'X'));
        EXPECT_TRUE(doc.IsModified());
        platform.Clear();
        platform.Answer(answer);
        EXPECT_EQ(closing ? doc.SaveModified() : doc.ResolvePending(), resolved);
        EXPECT_EQ(platform.MessageTexts(),
                  Strings{"Save changes to " + path + (closing ? "?" : " ?")});
        EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNoCancel);
        EXPECT_EQ(file.HasPending(), !resolved);
        EXPECT_EQ(doc.IsModified(), !resolved);
        EXPECT_EQ(ReadText(path), content);
    }
}

// Typed bytes settled into a new document's memory are not saved: it stays
// modified, or closing would lose them without a word. Saving names it; a
// failed save leaves it modified, as do typed bytes that cannot go into
// memory (past any size a vector can reach): the save must not report
// success while they are still only pending.
TEST_F(DocTest, ANewDocumentStaysModifiedUntilSavedUnderAName) {
    ASSERT_TRUE(doc.OnNewDocument());
    OFile& file = *doc.File();
    ASSERT_TRUE(file.SetByte(0, 0, 'A'));
    ASSERT_TRUE(file.SetByte(1, 0, 'B'));
    platform.Answer(OAnswer::Yes);
    ASSERT_TRUE(doc.ResolvePending());
    EXPECT_FALSE(file.HasPending());
    EXPECT_EQ(file.GetSize(), 2);
    EXPECT_TRUE(doc.IsModified());
    // Regression: taking back or throwing away a later typed byte made the
    // unsaved document count as saved.
    ASSERT_TRUE(file.SetByte(1, 'B', 'Z'));
    ASSERT_TRUE(file.UndoByte(1));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(file.SetByte(1, 'B', 'Z'));
    file.DiscardPending();
    EXPECT_TRUE(doc.IsModified());
    const std::string target = dir.File("new.bin");
    platform.AnswerSaveFileName(dir.File("missing/new.bin"));
    EXPECT_FALSE(doc.DoFileSave());
    EXPECT_TRUE(doc.IsModified());
    platform.AnswerSaveFileName(target);
    ASSERT_TRUE(doc.DoFileSave());
    EXPECT_EQ(ReadText(target), "AB");
    EXPECT_EQ(doc.PathName(), target);
    EXPECT_EQ(doc.Title(), "new.bin");
    EXPECT_EQ(host.titles, 1);
    EXPECT_EQ(host.recent, Strings{target});
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(file.SetByte(kOffsetMax - 16, 0, 'A'));
    EXPECT_FALSE(doc.DoFileSave());
    EXPECT_TRUE(file.HasPending());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadText(target), "AB");
}

// Regression: read as 0, an unknown size clipped every range away.
TEST_F(DocTest, DiscardingTypedBytesOverAnUnreadableSizeKeepsTheMarkers) {
    Open(BytesOf("abcdef"));
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
    for (const auto& [offset, length] : {std::pair<OOffset, OOffset>{5, 0}, {-1, 3}}) {
        doc.SetLastFound(5, 3);
        doc.SetLastFound(offset, length);
        EXPECT_TRUE(doc.LastFound().IsEmpty()) << offset;
    }
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
    Target view(ids::ID_FIND, false), doc(ids::ID_GOTO, true), app(ids::ID_FIND, true);
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
