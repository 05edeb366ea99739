// Undo and redo of every kind of change against a plain model: the bytes,
// the length, the markers and the selection after every step.
#include "document/OEditOps.h"
#include "document/OReplaceRecorder.h"
#include "document/OStoreCopy.h"
#include "document/OTransferBuffer.h"
#include "document/OUndoStore.h"
#include "find/OFinder.h"
#include "platform/OFormat.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"
#include "support/ODocFixture.h"

#include <cctype>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using Positions = std::vector<std::pair<OOffset, OOffset>>;

struct State {
    OBytes bytes;
    Positions markers;
    std::pair<OOffset, OOffset> selection;
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os) {
    *os << s.bytes.size() << " bytes, selection " << s.selection.first << "-" << s.selection.second
        << ", markers";
    for (const auto& [b, e] : s.markers)
        *os << " " << b << "-" << e;
}

// A step as the model sees it: the document before and after it.
struct ModelStep {
    State before;
    State after;
    bool typing = false;
};

// The search's host as the window has it: the replace run reaches the
// document; each question gets the next answer, then All.
struct ODocFindHost final : OFindHost {
    explicit ODocFindHost(ODoc& d) : doc(d) {}
    ODoc& doc;
    std::vector<OConfirmAnswer> answers;
    std::size_t asked = 0;
    void ShowMatch(OOffset, int) override {}
    OConfirmAnswer ConfirmReplace(const std::string&, const std::string&) override {
        return asked < answers.size() ? answers[asked++] : OConfirmAnswer::All;
    }
    bool ResolvePending() override { return doc.ResolvePending(); }
    void Edited(const OEdit& edit) override { doc.ReplaceRunEdited(edit); }
    void ReplaceStarted() override { doc.BeginReplaceRun(); }
    void Replaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                  std::size_t newLength) override {
        doc.RecordReplaced(before, old, oldLength, now, newLength);
    }
    void ReplaceEnded(bool failed) override { doc.EndReplaceRun(failed); }
};

class UndoTest : public ODocFixture {
protected:
    void SetUp() override {
        ODocFixture::SetUp();
        OTransferBuffer::SetLimitForTesting(13); // every move takes many blocks
    }
    void TearDown() override {
        OTransferBuffer::SetLimitForTesting(0);
        OUndoStore::SetNoHolesForTesting(false);
        OUndoStore::SetNoKernelCopyForTesting(false);
        OUndoHistory::SetMarkersInMemoryForTesting(0);
        OReplaceRecorder::SetMaxRegionsForTesting(0);
        ODoc::SetBackgroundCopyFromForTesting(0);
        OStoreCopy::SetChunkForTesting(0);
        OStoreCopy::SetFailAfterForTesting(-1, 0);
    }
    State Now(const OBytes& bytes) {
        State s{bytes, {}, {doc.Selection().Begin(), doc.Selection().End()}};
        for (std::size_t i = 0; i < doc.Markers().Count(); ++i)
            s.markers.emplace_back(doc.Markers().At(i).Begin(), doc.Markers().At(i).End());
        return s;
    }
    OBytes Shown() {
        OBytes out(static_cast<std::size_t>(doc.File()->LogicalSize()));
        out.resize(doc.File()->ReadAt(0, out.data(), out.size()));
        return out;
    }
    // What the view does for a typed byte.
    void Type(OOffset at, OByte value) {
        OFile& file = *doc.File();
        OByte before = 0;
        file.ReadAt(at, &before, 1);
        const bool pending = file.IsChanged(at);
        const OOffset size = file.LogicalSize();
        ASSERT_TRUE(file.SetByte(at, before, value));
        doc.RecordTyping({at, before, value, pending, true}, size);
    }
    // Replace from the file's start, case ignored, as the Find dialog runs it.
    void ReplaceRun(const std::string& pattern, const std::string& replacement,
                    std::vector<OConfirmAnswer> answers = {}) {
        auto& search = doc.Search();
        if (!search) search = std::make_shared<OFinder>();
        ODocFindHost findHost(doc);
        findHost.answers = std::move(answers);
        static_cast<OFinder&>(*search).Run(*doc.File(), pattern, replacement,
                                           {.fromBeginEnd = true, .replace = true}, 0, -1, -1,
                                           false, findHost);
    }
    void Select(OOffset a, OOffset b) {
        doc.Selection().Set(a, b);
        context.caret = a;
    }
};

// What ReplaceRun makes of bytes, the answers given in turn and All after
// them; false when it replaced nothing.
bool ModelReplace(OBytes& bytes, const std::string& pattern, const std::string& replacement,
                  const std::vector<OConfirmAnswer>& answers) {
    const auto same = [](OByte a, char b) {
        return std::tolower(a) == std::tolower(static_cast<unsigned char>(b));
    };
    OBytes out;
    std::size_t asked = 0;
    bool all = false;
    bool replaced = false;
    std::size_t p = 0;
    while (p + pattern.size() <= bytes.size()) {
        if (!std::equal(pattern.begin(), pattern.end(), bytes.begin() + p, same)) {
            out.push_back(bytes[p++]);
            continue;
        }
        const OConfirmAnswer answer =
            all || asked >= answers.size() ? OConfirmAnswer::All : answers[asked++];
        if (answer == OConfirmAnswer::Cancel) break;
        if (answer == OConfirmAnswer::No) {
            out.push_back(bytes[p++]);
            continue;
        }
        all = all || answer == OConfirmAnswer::All;
        out.insert(out.end(), replacement.begin(), replacement.end());
        p += pattern.size();
        replaced = true;
    }
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(p), bytes.end());
    bytes = std::move(out);
    return replaced;
}

// Run with the kernel copying into the store and with the transfer buffer.
class RandomUndoTest : public UndoTest, public ::testing::WithParamInterface<bool> {};

// With the parameter, copies go through the transfer buffer and a replace
// run keeps 3 regions in memory, the rest as records, and is undone and
// redone in passes of 3 regions. Without it, deletes keep their bytes in
// small chunks on a thread of their own while their tails move.
TEST_P(RandomUndoTest, RandomChangesUndoAndRedoToTheModel) {
    const bool small = GetParam();
    OUndoStore::SetNoKernelCopyForTesting(small);
    if (small) OReplaceRecorder::SetMaxRegionsForTesting(3);
    if (!small) ODoc::SetBackgroundCopyFromForTesting(1);
    OStoreCopy::SetChunkForTesting(3);
    OUndoHistory::SetMarkersInMemoryForTesting(2); // more go through the store
    std::mt19937 rng(TestSeed());
    auto pick = [&rng](OOffset n) {
        return n <= 0 ? OOffset{0} : static_cast<OOffset>(rng() % static_cast<unsigned>(n));
    };
    // Letters of both cases, so that a replace run ignoring case meets
    // different bytes at each match.
    OBytes bytes(120);
    for (OByte& b : bytes)
        b = static_cast<OByte>("aAbBc\x00"[rng() % 6]);
    Open(bytes);
    for (int i = 0; i < 8; ++i) {
        ORange marker;
        const OOffset b = pick(110);
        marker.Set(b, std::min<OOffset>(119, b + pick(12))); // within the file
        doc.Markers().Insert(marker);
    }
    std::vector<ModelStep> steps;
    std::size_t done = 0;
    int replaceSteps = 0;
    int rewriteSteps = 0;
    int recordSteps = 0;
    OBytes clip;
    ASSERT_TRUE(host.holder.Set(*doc.File(), 0, 5, host.temp));
    clip.assign(bytes.begin(), bytes.begin() + 5);

    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const auto size = static_cast<OOffset>(bytes.size());
        // The first change is a run of many matches of another length.
        const int action = round == 0 ? 70 : static_cast<int>(rng() % 100);
        SCOPED_TRACE(action);
        if (action < 18 && done > 0) {
            ASSERT_TRUE(doc.OnCommand(ids::ID_EDIT_UNDO));
            --done;
            bytes = steps[done].before.bytes;
            ASSERT_EQ(Now(Shown()), steps[done].before);
            continue;
        }
        if (action < 30 && done < steps.size()) {
            ASSERT_TRUE(doc.OnCommand(ids::ID_EDIT_REDO));
            bytes = steps[done].after.bytes;
            ASSERT_EQ(Now(Shown()), steps[done].after);
            ++done;
            continue;
        }
        if (action < 34) { // save
            ASSERT_TRUE(doc.DoFileSave() || !doc.File()->HasPending());
            continue;
        }
        if (action < 36 && size > 0) { // a new clip, of up to 30 bytes
            const OOffset b = pick(size);
            const OOffset e = std::min(size - 1, b + pick(30));
            ASSERT_TRUE(host.holder.Set(*doc.File(), b, e - b + 1, host.temp));
            clip.assign(bytes.begin() + b, bytes.begin() + e + 1);
            continue;
        }
        // A structural change settles typed bytes first, always by saving.
        if (doc.File()->HasPending()) platform.Answer(OAnswer::Yes);
        const std::size_t stepsBefore = doc.History() ? doc.History()->UndoCount() : 0;
        doc.Selection().Reset();
        ModelStep step;
        if (action < 65) { // typing, often a run at consecutive offsets
            const bool runOn = done > 0 && steps[done - 1].typing && rng() % 3 != 0;
            OOffset at = pick(size + 1);
            if (runOn) context.caret = std::min(context.caret, size);
            if (runOn) at = context.caret;
            step.before = Now(bytes);
            const auto value = static_cast<OByte>(rng());
            Type(at, value);
            if (at == size) bytes.push_back(0);
            bytes[at] = value;
            context.caret = at + 1;
            step.typing = true;
        } else if (action < 75) { // a replace run: shorter, as long or longer
            std::string pattern;
            std::string replacement;
            for (OOffset n = round == 0 ? 1 : 1 + pick(3); n > 0; --n)
                pattern += "abAB"[pick(4)];
            // The first keeps letters the later runs look for. Small runs
            // mostly keep the length, so that their records meet undo.
            OOffset length = round == 0 ? 2 : 1 + pick(4);
            if (small && round > 0 && pick(3) != 0) length = static_cast<OOffset>(pattern.size());
            for (; length > 0; --length)
                replacement += round == 0 ? "abAB"[pick(4)] : "xyzXY"[pick(5)];
            std::vector<OConfirmAnswer> answers;
            for (OOffset n = round == 0 ? 0 : pick(4); n > 0; --n)
                answers.push_back(static_cast<OConfirmAnswer>(pick(4)));
            step.before = Now(bytes);
            ReplaceRun(pattern, replacement, answers);
            if (!ModelReplace(bytes, pattern, replacement, answers)) continue;
            ++replaceSteps;
            // Many regions of another length go through rewrites of the file.
            const OUndoStep* kept = doc.History()->NextUndo();
            if (kept && kept->kind == OUndoKind::Replace && kept->regions.size() > 1 &&
                pattern.size() != replacement.size())
                ++rewriteSteps;
            if (kept && kept->recordCount > 0) ++recordSteps;
        } else {
            if (size == 0) continue;
            const OOffset b = pick(size);
            const OOffset e = std::min(size - 1, b + pick(25));
            if (action < 80) { // delete
                Select(b, e);
                step.before = Now(bytes);
                ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
                bytes.erase(bytes.begin() + b, bytes.begin() + e + 1);
            } else if (action < 85) { // paste over
                Select(b, e);
                step.before = Now(bytes);
                ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE));
                bytes.erase(bytes.begin() + b, bytes.begin() + e + 1);
                bytes.insert(bytes.begin() + b, clip.begin(), clip.end());
            } else if (action < 93) { // paste here
                context.caret = b;
                step.before = Now(bytes);
                ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE_HERE));
                bytes.insert(bytes.begin() + b, clip.begin(), clip.end());
            } else { // insert zeros, as the Insert command does
                const OOffset n = 1 + pick(20);
                ASSERT_TRUE(doc.ResolvePending());
                step.before = Now(bytes);
                ASSERT_TRUE(doc.BeginChange(OUndoKind::Insert, b, 0, context.caret));
                const bool inserted = InsertZeros(*doc.File(), b, n);
                ASSERT_TRUE(inserted);
                doc.Apply({b, 0, n});
                doc.EndChange(inserted, n, context.caret);
                bytes.insert(bytes.begin() + b, static_cast<std::size_t>(n), OByte{0});
            }
        }
        step.after = Now(bytes);
        ASSERT_EQ(Now(Shown()), step.after);
        // A byte typed next to the last joins its step.
        if (step.typing && doc.History()->UndoCount() == stepsBefore) {
            ASSERT_TRUE(done > 0 && steps[done - 1].typing);
            steps[done - 1].after = step.after;
            continue;
        }
        steps.resize(done);
        steps.push_back(step);
        done = steps.size();
        ASSERT_EQ(doc.History()->UndoCount(), done);
    }
    // Back to the start, then forward to the end.
    while (done > 0) {
        ASSERT_TRUE(doc.Undo());
        ASSERT_EQ(Now(Shown()), steps[--done].before);
    }
    while (done < steps.size()) {
        ASSERT_TRUE(doc.Redo());
        ASSERT_EQ(Now(Shown()), steps[done++].after);
    }
    EXPECT_FALSE(doc.Redo());
    EXPECT_GE(replaceSteps, 2);
    EXPECT_GT(rewriteSteps, 0);
    if (small) {
        EXPECT_GT(recordSteps, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Copies, RandomUndoTest, ::testing::Bool());

// A large delete keeps its bytes on a thread of their own while its tail
// moves over them. When that copy fails, the delete is made all the same,
// says so and ends the history.
TEST_F(UndoTest, ADeleteKeepsItsBytesWhileItsTailMovesOverThem) {
    ODoc::SetBackgroundCopyFromForTesting(1);
    OStoreCopy::SetChunkForTesting(7);
    const OBytes bytes = RandomBytes(4096, 3);
    OBytes deleted = bytes;
    deleted.erase(deleted.begin() + 100, deleted.begin() + 1600);
    Open(bytes);
    for (int round = 0; round < 20; ++round) {
        Select(100, 1599);
        ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
        ASSERT_EQ(Shown(), deleted);
        ASSERT_TRUE(doc.Undo());
        ASSERT_EQ(Shown(), bytes) << round;
    }
    OStoreCopy::SetFailAfterForTesting(700, ENOSPC);
    Select(100, 1599);
    ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
    EXPECT_EQ(Shown(), deleted);
    EXPECT_EQ(doc.History()->Count(), 0u);
    EXPECT_EQ(doc.History()->Store().Used(), 0u);
    ASSERT_FALSE(platform.Messages().empty());
    EXPECT_EQ(platform.Messages().back().text,
              FormatId(ids::IDS_UNDO_NOT_KEPT, SystemErrorText(ENOSPC).c_str()));
}

// A store that cannot be made is said once, whichever way the delete
// would have kept its bytes, before the question.
TEST_F(UndoTest, AStoreThatCannotBeMadeIsSaidOnce) {
    ODoc::SetBackgroundCopyFromForTesting(1);
    host.temp = dir.Path() + "/missing/";
    host.limit = 1 << 20;
    Open(RandomBytes(4096, 3));
    Select(100, 1599);
    platform.Answer(OAnswer::Ok);
    platform.Answer(OAnswer::Yes);
    ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
    EXPECT_EQ(doc.File()->GetSize(), 4096 - 1500);
    const std::vector<std::string> said = platform.MessageTexts();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said.back(), LoadString(ids::IDS_UNDO_IMPOSSIBLE));
}

// The store keeps within its limit by dropping the oldest steps, and its
// file's disk use follows, with holes or without.
TEST_F(UndoTest, TheLimitDropsTheOldestSteps) {
    for (const bool holes : {true, false}) {
        SCOPED_TRACE(holes);
        OUndoStore::SetNoHolesForTesting(!holes);
        ODoc other{&host};
        host.limit = 3 * 8192;
        const std::string name = dir.Write(holes ? "a.bin" : "b.bin", RandomBytes(65536, 7));
        ASSERT_TRUE(other.OnOpenDocument(name, io));
        other.SetReadOnly(false);
        OTestEditContext at;
        other.SetEditContext(&at);
        for (int i = 0; i < 5; ++i) {
            other.Selection().Set(0, 8191);
            ASSERT_TRUE(other.OnCommand(ids::ID_DELETE));
            ASSERT_LE(other.History()->Store().Used(), host.limit);
        }
        EXPECT_EQ(other.History()->UndoCount(), 3u);
        if (holes) {
            EXPECT_LE(other.History()->Store().DiskUsage(), host.limit + 8192);
        }
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(other.Undo());
        EXPECT_FALSE(other.Undo());
        EXPECT_EQ(other.File()->GetSize(), 65536 - 2 * 8192);
        // A change over the limit asks first: No leaves everything, Yes
        // makes it and ends the history.
        other.Selection().Set(0, 30000);
        platform.Answer(OAnswer::No);
        ASSERT_TRUE(other.OnCommand(ids::ID_DELETE));
        EXPECT_EQ(other.File()->GetSize(), 65536 - 2 * 8192);
        EXPECT_TRUE(other.History()->CanRedo());
        platform.Answer(OAnswer::Yes);
        ASSERT_TRUE(other.OnCommand(ids::ID_DELETE));
        EXPECT_EQ(other.File()->GetSize(), 65536 - 2 * 8192 - 30001);
        EXPECT_EQ(other.History()->Count(), 0u);
        EXPECT_EQ(other.History()->Store().DiskUsage(), 0u);
        host.limit = 0;
        // Cancel while the bytes are kept cancels the change, unasked.
        OUndoStore::SetNoKernelCopyForTesting(true);
        const std::size_t asked = platform.Messages().size();
        other.Selection().Set(0, 99);
        platform.CancelAtProgressStep(1);
        ASSERT_TRUE(other.OnCommand(ids::ID_DELETE));
        platform.CancelAtProgressStep(0);
        EXPECT_EQ(platform.Messages().size(), asked);
        EXPECT_EQ(other.File()->GetSize(), 65536 - 2 * 8192 - 30001);
        EXPECT_FALSE(other.History()->CanUndo());
    }
}

// Another program changed the file: the history goes, with a word, and
// nothing is applied to the wrong bytes.
TEST_F(UndoTest, AChangeUnderneathDropsTheHistory) {
    Open(RandomBytes(100, 3));
    Select(10, 19);
    ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
    EXPECT_FALSE(doc.Undo());
    EXPECT_EQ(doc.History()->Count(), 0u);
    EXPECT_EQ(doc.File()->GetSize(), 91);
    ASSERT_FALSE(platform.StatusHistory().empty());
    EXPECT_EQ(platform.StatusHistory().back(), LoadString(ids::IDS_UNDO_DROPPED));
}

// A replace run that cannot be kept as a step ends the history with its
// own word, not as a change made by another program.
TEST_F(UndoTest, AReplaceRunNotKeptEndsTheHistory) {
    host.limit = 1; // room for the delete's byte, not for the run's bytes
    Open(OBytes{'a', 'b', 'A', 'B', 'x', 'a', 'b'});
    Select(4, 4);
    ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
    ReplaceRun("ab", "xyz");
    EXPECT_EQ(Shown(), (OBytes{'x', 'y', 'z', 'x', 'y', 'z', 'x', 'y', 'z'}));
    EXPECT_FALSE(doc.History()->CanUndo());
    EXPECT_FALSE(doc.Undo());
    ASSERT_FALSE(platform.StatusHistory().empty());
    const auto& said = platform.StatusHistory();
    EXPECT_NE(std::find(said.begin(), said.end(), LoadString(ids::IDS_UNDO_REPLACE_CLEARED)),
              said.end());
    EXPECT_EQ(std::find(said.begin(), said.end(), LoadString(ids::IDS_UNDO_DROPPED)), said.end());
}

TEST(UndoMenuText, NamesTheStep) {
    OUndoStep step;
    step.kind = OUndoKind::Delete;
    step.regions.push_back({0x1000, 4096, 0, 0, -1});
    EXPECT_EQ(UndoMenuText(&step, false, 0x8000), "&Undo delete of 4,096 bytes at 0x1000\tCtrl+Z");
    step.kind = OUndoKind::Typing;
    step.regions.clear();
    step.typed = {{0x10, 0, 1, false, true}, {0x11, 0, 1, false, true}, {0x10, 1, 2, true, true}};
    EXPECT_EQ(UndoMenuText(&step, true, 0x100), "&Redo typing of 2 bytes at 0x0010\tCtrl+Y");
    EXPECT_EQ(UndoMenuText(nullptr, false, 0), "&Undo\tCtrl+Z");
    step.kind = OUndoKind::Replace;
    step.regions = {{0x20, 4, 5, 0, 4}, {0x40, 4, 5, 9, 13}};
    EXPECT_EQ(UndoMenuText(&step, false, 0x100), "&Undo replace of 2 matches at 0x0020\tCtrl+Z");
}

} // namespace
