// The document's edit commands against a plain model: the bytes, the
// selection and the markers must agree after thousands of mixed edits.
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "res/OResourceIds.h"
#include "support/ODocFixture.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <tuple>
#include <unistd.h>

namespace {

using Bytes = OBytes;
using Strings = std::vector<std::string>;

class DocEditTest : public ODocFixture {
protected:
    void SetUp() override {
        ODocFixture::SetUp();
        OTransferBuffer::SetLimitForTesting(13); // every move takes many blocks
    }
    void TearDown() override { OTransferBuffer::SetLimitForTesting(0); }
    Bytes Shown() {
        Bytes out(static_cast<std::size_t>(doc.File()->LogicalSize()));
        out.resize(doc.File()->ReadAt(0, out.data(), out.size()));
        return out;
    }
};

std::vector<std::pair<OOffset, OOffset>> Positions(const OMarkerList& list) {
    std::vector<std::pair<OOffset, OOffset>> out;
    for (std::size_t i = 0; i < list.Count(); ++i)
        out.emplace_back(list.At(i).Begin(), list.At(i).End());
    return out;
}

TEST_F(DocEditTest, RandomEditsMatchTheModel) {
    std::mt19937 rng(TestSeed());
    auto pick = [&rng](OOffset n) {
        return n <= 0 ? OOffset{0} : static_cast<OOffset>(rng() % static_cast<unsigned>(n));
    };
    Bytes disk = RandomBytes(200, static_cast<unsigned>(rng()));
    Open(disk);
    Bytes shown = disk, clip;
    bool clipValid = false;
    OMarkerList modelMarkers;
    OSelection modelSelection;
    ORange modelLastFound = MakeLastFoundRange(), modelFound;

    for (int step = 0; step < 1500; ++step) {
        SCOPED_TRACE(step);
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
            if (at == size) shown.push_back(0);
            shown[at] = value;
            continue;
        }
        if (action >= 50 && !clipValid) continue; // pasting needs a copy first
        // A structural command settles typed bytes first: Yes writes them,
        // No drops them (and clips the ranges to what is on disk).
        const bool copyOnly = action < 35; // a copy settles nothing
        const bool pending = !copyOnly && doc.File()->HasPending();
        const bool drop = pending && rng() % 2;
        if (pending) platform.Answer(drop ? OAnswer::No : OAnswer::Yes);
        if (drop) {
            shown = disk;
            modelMarkers.ClipAll(static_cast<OOffset>(disk.size()), modelSelection, modelFound);
        } else if (!copyOnly) {
            disk = shown;
        }
        const auto length = static_cast<OOffset>(shown.size());
        const OOffset begin = pick(length);
        const OOffset end = std::min(length - 1, begin + pick(40));
        const bool selected = length > 0;
        if (selected) {
            doc.Selection().Set(begin, end);
            modelSelection.Set(begin, end);
        }
        const OOffset count = selected ? end - begin + 1 : 0;
        context.caret = selected ? begin : 0;
        if (action < 50) { // copy, then cut or delete
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
                ASSERT_EQ(Shown(), shown);
                continue;
            }
            shown.erase(shown.begin() + begin, shown.begin() + end + 1);
            modelMarkers.Adapt({begin, count, 0}, modelSelection, modelLastFound);
            ASSERT_EQ(context.caret, begin);
        } else if (action < 75) { // paste over the selection
            ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE));
            if (!selected) continue;
            shown.erase(shown.begin() + begin, shown.begin() + end + 1);
            shown.insert(shown.begin() + begin, clip.begin(), clip.end());
            const auto pasted = static_cast<OOffset>(clip.size());
            modelMarkers.Adapt({begin, count, pasted}, modelSelection, modelLastFound);
            if (pasted > 0) modelSelection.Set(begin, begin + pasted - 1);
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
        disk = shown;
        ASSERT_EQ(Shown(), shown);
        ASSERT_EQ(Positions(doc.Markers()), Positions(modelMarkers));
        ASSERT_EQ(doc.Selection().Begin(), modelSelection.Begin());
        ASSERT_EQ(doc.Selection().End(), modelSelection.End());
    }
    for (const auto& message : platform.Messages())
        EXPECT_EQ(message.buttons, OButtons::YesNoCancel) << message.text;
}

// Regression: some of these refusals said nothing. Without a selection,
// Paste here at the end of the file, a selection the file no longer holds
// (it shrank underneath) and any edit while a long operation runs only say
// so; Shift+Insert does nothing at all on a read-only document.
TEST_F(DocEditTest, RefusedEditsSayWhyAndChangeNothing) {
    Open(Bytes(16, 7));
    ASSERT_TRUE(host.holder.Set(*doc.File(), 0, 4, host.temp));
    const std::string aborted = "Operation aborted";
    const std::tuple<OCommandId, OOffset, OOffset, std::string> cases[] = {
        {ids::ID_CUT, 3, 0, aborted},
        {ids::ID_DELETE, 3, 0, aborted},
        {ids::ID_PASTE, 3, 0, aborted},
        {ids::ID_PASTE_HERE, 16, 0, aborted},
        {ids::ID_PASTE_SHIFT_INSERT, 3, 0, ""},
        {ids::ID_DELETE, 10, 8, aborted},
        {ids::ID_COPY, 10, 8, "An operation is running: wait until it ends"}};
    for (const auto& [command, caret, truncated, status] : cases) {
        SCOPED_TRACE(static_cast<unsigned>(command));
        doc.SetReadOnly(command == ids::ID_PASTE_SHIFT_INSERT);
        context.caret = caret;
        if (truncated) {
            doc.Selection().Set(10, 14);
            ASSERT_EQ(::truncate(path.c_str(), truncated), 0);
        }
        std::optional<OLongOperation> running;
        if (command == ids::ID_COPY) running.emplace();
        platform.Clear();
        ASSERT_TRUE(doc.OnCommand(command));
        EXPECT_EQ(platform.StatusHistory(), status.empty() ? Strings{} : Strings{status});
        EXPECT_EQ(doc.File()->GetSize(), truncated ? truncated : 16);
    }
}

// With Shift, Paste takes the clipboard's text, and Copy puts the bytes up
// to the first zero byte there.
TEST_F(DocEditTest, TextPasteWithShiftGrowsTheFile) {
    Open(BytesOf("abcdef"));
    ASSERT_TRUE(host.holder.Set(*doc.File(), 0, 1, host.temp)); // Paste needs a valid store
    doc.Selection().Set(1, 4);
    context.caret = 1;
    context.shift = true;
    platform.clipboardText = "0123456789";
    ASSERT_TRUE(doc.OnCommand(ids::ID_PASTE));
    EXPECT_EQ(ReadText(path), "a0123456789f");
    EXPECT_EQ(context.caret, 11);
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
    const Bytes content = Iota(64);
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
