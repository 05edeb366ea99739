// The document's edit commands against a plain model: the bytes, the
// selection and the markers must agree after thousands of mixed edits.
#include "document/OClipStore.h"
#include "document/ODoc.h"
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OScriptedPlatform.h"
#include "res/OResourceIds.h"
#include "support/OTempDir.h"

#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using Bytes = std::vector<OByte>;

struct Host final : ODocHost {
    OClipHolder holder;
    std::string temp;
    void AddToRecentFileList(const std::string&) override {}
    void OnTitleChanged(ODoc&) override {}
    void StoreViewState(ODoc&, ODocView&) override {}
    bool MakeBackup(OFile&) override { return true; }
    OClipHolder& ClipHolder() override { return holder; }
    std::string TempDirectory() override { return temp; }
};

struct Context final : OEditContext {
    OOffset caret = 0;
    bool shift = false;
    OOffset CaretOffset() const override { return caret; }
    bool OemCharacters() const override { return false; }
    bool ShiftHeld() const override { return shift; }
    void MoveCaretAfterEdit(OOffset offset) override { caret = offset; }
};

class DocEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.temp = dir.Path() + "/";
        OTransferBuffer::SetLimitForTesting(13); // every move takes many blocks
    }
    void TearDown() override { OTransferBuffer::SetLimitForTesting(0); }
    void Open(const Bytes& content) {
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        doc.SetReadOnly(false);
        doc.SetEditContext(&context);
    }
    Bytes Shown() {
        Bytes out(static_cast<std::size_t>(doc.File()->LogicalSize()));
        out.resize(doc.File()->ReadAt(0, out.data(), out.size()));
        return out;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    Host host;
    ODoc doc{&host};
    Context context;
    std::string path;
};

std::vector<std::pair<OOffset, OOffset>> Positions(const OMarkerList& list) {
    std::vector<std::pair<OOffset, OOffset>> out;
    for (std::size_t i = 0; i < list.Count(); ++i)
        out.emplace_back(list.At(i).Begin(), list.At(i).End());
    return out;
}

TEST_F(DocEditTest, RandomEditsMatchTheModel) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&rng](OOffset n) {
        return n <= 0 ? OOffset{0} : static_cast<OOffset>(rng() % static_cast<unsigned>(n));
    };

    Bytes disk(200);
    for (auto& b : disk)
        b = static_cast<OByte>(rng());
    Open(disk);
    Bytes shown = disk;
    Bytes clip;
    bool clipValid = false;
    OMarkerList modelMarkers;
    OSelection modelSelection;
    ORange modelLastFound = MakeLastFoundRange();
    ORange modelFound;

    for (int step = 0; step < 1500; ++step) {
        const auto size = static_cast<OOffset>(shown.size());
        const int action = static_cast<int>(rng() % 100);
        if (action < 10 && modelMarkers.Count() < 20 && size > 2) { // a marker
            ORange marker;
            const OOffset b = pick(size);
            marker.Set(b, std::min(size - 1, b + pick(20)));
            doc.Markers().Insert(marker);
            modelMarkers.Insert(marker);
            continue;
        }
        if (action < 30) { // typing
            const OOffset at = pick(size + 1);
            const auto value = static_cast<OByte>(rng());
            ASSERT_TRUE(doc.File()->SetByte(at, at < size ? shown[at] : 0, value));
            if (at == size)
                shown.push_back(value);
            else
                shown[at] = value;
            continue;
        }
        // Pasting needs something copied first.
        if (action >= 50 && !clipValid) continue;
        // A structural command settles typed bytes first: Yes writes them,
        // No drops them (and clips the ranges to what is on disk).
        const bool copyOnly = action < 35; // a copy settles nothing
        if (!copyOnly && doc.File()->HasPending()) {
            if (rng() % 2) {
                platform.Answer(OAnswer::Yes);
                disk = shown;
            } else {
                platform.Answer(OAnswer::No);
                shown = disk;
                modelMarkers.ClipAll(static_cast<OOffset>(disk.size()), modelSelection, modelFound);
            }
        } else if (!copyOnly) {
            disk = shown;
        }
        const auto length = static_cast<OOffset>(shown.size());
        const OOffset begin = pick(length);
        const OOffset end = std::min(length - 1, begin + pick(40));
        if (length > 0) {
            doc.Selection().Set(begin, end);
            modelSelection.Set(begin, end);
        }
        const bool selected = length > 0;
        const OOffset count = selected ? end - begin + 1 : 0;
        if (action < 50) { // copy, then cut or delete
            context.caret = selected ? begin : 0;
            const OCommandId command = action < 35   ? ids::ID_COPY
                                       : action < 45 ? ids::ID_CUT
                                                     : ids::ID_DELETE;
            ASSERT_TRUE(doc.OnCommand(command));
            if (!selected) continue;
            if (command != ids::ID_DELETE) {
                clip.assign(shown.begin() + begin, shown.begin() + end + 1);
                clipValid = true;
            }
            if (command == ids::ID_COPY) {
                ASSERT_EQ(Shown(), shown) << "step " << step;
                continue;
            }
            shown.erase(shown.begin() + begin, shown.begin() + end + 1);
            modelMarkers.Adapt({begin, count, 0}, modelSelection, modelLastFound);
            ASSERT_EQ(context.caret, begin);
        } else if (action < 75) { // paste over the selection
            context.caret = selected ? begin : 0;
            ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE));
            if (!selected) continue;
            shown.erase(shown.begin() + begin, shown.begin() + end + 1);
            shown.insert(shown.begin() + begin, clip.begin(), clip.end());
            const auto delta = static_cast<OOffset>(clip.size()) - count;
            modelMarkers.Adapt({begin, count, count + delta}, modelSelection, modelLastFound);
            if (!clip.empty())
                modelSelection.Set(begin, begin + static_cast<OOffset>(clip.size()) - 1);
        } else { // paste here: an insertion at a caret outside the selection
            doc.Selection().Reset();
            modelSelection.Reset();
            const OOffset at = pick(length);
            context.caret = at;
            ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE_HERE));
            if (at >= length) continue;
            shown.insert(shown.begin() + at, clip.begin(), clip.end());
            modelMarkers.Adapt({at, 0, static_cast<OOffset>(clip.size())}, modelSelection,
                               modelLastFound);
        }
        if (!copyOnly) disk = shown;
        ASSERT_EQ(Shown(), shown) << "step " << step;
        ASSERT_EQ(Positions(doc.Markers()), Positions(modelMarkers)) << "step " << step;
        ASSERT_EQ(doc.Selection().Begin(), modelSelection.Begin()) << "step " << step;
        ASSERT_EQ(doc.Selection().End(), modelSelection.End()) << "step " << step;
    }
    EXPECT_TRUE(platform.MessageTexts().empty() ||
                platform.Messages().back().buttons == OButtons::YesNoCancel);
}

// Without a selection, and Paste here at the end of the file, a command
// only says so; Shift+Insert does nothing at all on a read-only document.
TEST_F(DocEditTest, CommandsWithoutASelectionOnlySaySo) {
    Open(Bytes(16, 7));
    ASSERT_TRUE(host.holder.Set(*doc.File(), 0, 4, host.temp));
    for (OCommandId command : {ids::ID_CUT, ids::ID_DELETE, ids::ID_PASTE, ids::ID_PASTE_HERE,
                               ids::ID_PASTE_SHIFT_INSERT}) {
        const bool readOnly = command == ids::ID_PASTE_SHIFT_INSERT;
        doc.SetReadOnly(readOnly);
        context.caret = command == ids::ID_PASTE_HERE ? 16 : 3;
        platform.Clear();
        ASSERT_TRUE(doc.OnCommand(command));
        EXPECT_EQ(platform.StatusHistory(), readOnly
                                                ? std::vector<std::string>{}
                                                : std::vector<std::string>{"Operation aborted"})
            << static_cast<unsigned>(command);
        EXPECT_EQ(doc.File()->GetSize(), 16);
    }
}

// Regression: these refusals said nothing. A selection the file no longer
// holds (it shrank underneath), and any edit while a long operation runs.
TEST_F(DocEditTest, RefusedEditsSayWhy) {
    Open(Bytes(16, 7));
    doc.Selection().Set(10, 14);
    context.caret = 10;
    ASSERT_EQ(::truncate(path.c_str(), 8), 0);
    platform.Clear();
    ASSERT_TRUE(doc.OnCommand(ids::ID_DELETE));
    EXPECT_EQ(platform.StatusHistory(), std::vector<std::string>{"Operation aborted"});
    EXPECT_EQ(doc.File()->GetSize(), 8);
    {
        OLongOperation running;
        platform.Clear();
        ASSERT_TRUE(doc.OnCommand(ids::ID_COPY));
        EXPECT_EQ(platform.StatusHistory(),
                  std::vector<std::string>{"An operation is running: wait until it ends"});
    }
}

TEST_F(DocEditTest, TextPasteWithShiftGrowsTheFile) {
    Open(Bytes{'a', 'b', 'c', 'd', 'e', 'f'});
    ASSERT_TRUE(host.holder.Set(*doc.File(), 0, 1, host.temp)); // Paste needs a valid store
    doc.Selection().Set(1, 4);
    context.caret = 1;
    context.shift = true;
    platform.clipboardText = "0123456789";
    ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE));
    EXPECT_EQ(ReadText(path), "a0123456789f");
    EXPECT_EQ(context.caret, 11);
    // Copy with Shift puts the bytes up to the first zero byte on the clipboard.
    ASSERT_TRUE(doc.File()->SetByte(3, '2', 0));
    platform.Answer(OAnswer::Yes);
    doc.Selection().Set(0, 6);
    context.caret = 0;
    ASSERT_TRUE(doc.OnCommand(ids::ID_COPY_SHIFT_DELETE));
    EXPECT_EQ(platform.clipboardText, std::optional<std::string>("a01"));
}

// The copy of a Cut pumps messages; the user may move the selection with
// Shift+arrows or the mouse meanwhile. What is deleted must be what was
// copied, never the range the selection has become.
TEST_F(DocEditTest, CutDeletesWhatItCopiedWhenTheSelectionMovesMeanwhile) {
    Bytes content(64);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<OByte>(i);
    Open(content);
    host.holder = OClipHolder(0); // a file store: the copy goes in many blocks
    doc.Selection().Set(10, 39);
    context.caret = 10;
    platform.OnPump([&] { doc.Selection().Set(50, 59); });
    ASSERT_TRUE(doc.OnCommand(ids::ID_CUT));
    platform.OnPump(nullptr);
    ASSERT_EQ(host.holder.Length(), 30);
    Bytes expected(content.begin(), content.begin() + 10);
    expected.insert(expected.end(), content.begin() + 40, content.end());
    EXPECT_EQ(ReadWholeFile(path), expected);
}

} // namespace
