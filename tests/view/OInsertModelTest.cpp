#include "view/OInsertModel.h"

#include "document/ODoc.h"
#include "document/OTransferBuffer.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "view/ORecordView.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace {

using Bytes = std::vector<OByte>;

// A writable document over a file of 160 bytes 1, 2, 3, ... and a view of it.
class InsertTest : public ::testing::Test {
protected:
    void SetUp() override {
        OTransferBuffer::SetLimitForTesting(13); // the tail moves in many blocks
        std::iota(content.begin(), content.end(), OByte{1});
        ASSERT_TRUE(doc.OnOpenDocument(dir.Write("data.bin", content), io));
        doc.SetReadOnly(false);
    }
    void TearDown() override { OTransferBuffer::SetLimitForTesting(0); }
    void Place(int width, int phase, OOffset caret) {
        view.Settings().recordWidth = width;
        view.Settings().phase = phase;
        ASSERT_TRUE(view.SetCaret(caret));
    }
    Bytes Shown() {
        Bytes out(static_cast<std::size_t>(doc.ShownLength()));
        out.resize(doc.ReadShown(0, out.data(), out.size()));
        return out;
    }
    // Answers the dialog with request; counts the questions.
    OAskInsert Answer(std::optional<OInsertRequest> request) {
        return [this, request] {
            ++asked;
            return request;
        };
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    Bytes content = Bytes(160);
    ODoc doc;
    ORecordView view{OViewSettings{}, [this] { return doc.ShownLength(); }};
    int asked = 0;
};

TEST_F(InsertTest, ZerosGoAtTheCaretOrTheNextRecord) {
    struct Case {
        int width, phase;
        OOffset caret;
        OInsertRequest request;
        OOffset position, length;
    };
    const Case cases[] = {
        // The middle of record 5: two records go at the start of record 6.
        {16, 0, 87, {2, true, true}, 96, 32},
        {16, 4, 5, {1, true, false}, 12, 16}, // record 0 is the short one
        {3, 1, 0, {2, true, true}, 2, 6},
        {16, 0, 10, {3, false, true}, 10, 3},
        {16, 0, 96, {1, true, true}, 112, 16}, // on a record start: the next one
        // The last record reaches past the end: the zeros go at the end.
        {16, 4, 158, {1, true, true}, 160, 16},
        {16, 0, 160, {5, false, true}, 160, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "width " << c.width << " phase " << c.phase << " caret " << c.caret);
        ASSERT_TRUE(doc.OnOpenDocument(dir.Write("data.bin", content), io));
        doc.SetReadOnly(false);
        doc.Selection().Set(150, 151);
        Place(c.width, c.phase, c.caret);
        ASSERT_TRUE(InsertEmpty(doc, view, Answer(c.request)));

        Bytes expected = content;
        expected.insert(expected.begin() + c.position, static_cast<std::size_t>(c.length), 0);
        EXPECT_EQ(Shown(), expected);
        EXPECT_EQ(view.Caret(), c.position);
        if (c.request.selectAfter) {
            EXPECT_EQ(doc.Selection().Begin(), c.position);
            EXPECT_EQ(doc.Selection().End(), c.position + c.length - 1);
        } else {
            EXPECT_TRUE(doc.Selection().IsEmpty());
        }
        const std::vector<std::string>& status = platform.StatusHistory();
        EXPECT_NE(std::find(status.begin(), status.end(),
                            "Inserting " + std::to_string(c.length) + " bytes .."),
                  status.end());
        platform.Clear();
    }
}

TEST_F(InsertTest, TypedBytesAreSettledFirst) {
    struct Case {
        OAnswer answer; // to "Save changes to ... ?"
        std::optional<OInsertRequest> request;
        bool inserted;
        OByte byteAt3; // the typed byte was 0xEE
    };
    const Case cases[] = {
        {OAnswer::Cancel, OInsertRequest{}, false, 0xEE}, // still pending, not asked
        {OAnswer::Yes, OInsertRequest{}, true, 0xEE},
        {OAnswer::No, OInsertRequest{}, true, 4},
        {OAnswer::Yes, std::nullopt, false, 0xEE}, // the dialog cancelled
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(doc.OnOpenDocument(dir.Write("data.bin", content), io));
        doc.SetReadOnly(false);
        ASSERT_TRUE(doc.File()->SetByte(3, 4, 0xEE));
        Place(16, 0, 0);
        asked = 0;
        platform.Answer(c.answer);
        EXPECT_EQ(InsertEmpty(doc, view, Answer(c.request)), c.inserted);
        EXPECT_EQ(asked, c.answer == OAnswer::Cancel ? 0 : 1);
        EXPECT_EQ(doc.File()->HasPending(), c.answer == OAnswer::Cancel);
        const Bytes shown = Shown();
        ASSERT_EQ(shown.size(), content.size() + (c.inserted ? 1 : 0));
        EXPECT_EQ(shown[c.inserted ? 4 : 3], c.byteAt3);
    }
}

TEST_F(InsertTest, NothingChangesWhenRefusedOrFailing) {
    doc.SetReadOnly(true);
    EXPECT_FALSE(InsertEmpty(doc, view, Answer(OInsertRequest{})));
    EXPECT_EQ(asked, 0);
    doc.SetReadOnly(false);

    // The disk cannot take the longer file: said, and the file is as it was.
    Place(16, 0, 87);
    doc.Selection().Set(20, 29);
    ORange marker;
    marker.Set(100, 109);
    doc.Markers().Insert(marker);
    io.fallocateFailures = 1;
    EXPECT_FALSE(InsertEmpty(doc, view, Answer(OInsertRequest{2, true, true})));
    EXPECT_EQ(Shown(), content);
    EXPECT_FALSE(platform.Messages().empty());
    EXPECT_EQ(view.Caret(), 87);
    EXPECT_EQ(doc.Selection().Begin(), 20);
    EXPECT_EQ(doc.Markers().At(0).Begin(), 100);

    // Markers after the zeros move with their bytes; the selection goes,
    // as after every edit.
    platform.Clear();
    ASSERT_TRUE(InsertEmpty(doc, view, Answer(OInsertRequest{2, true, false})));
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(doc.Markers().At(0).Begin(), 132);
    EXPECT_TRUE(doc.Selection().IsEmpty());
}

TEST(InsertCount, DigitsFromOneToTheLargest32BitNumber) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> count;
    };
    const Case cases[] = {
        {"1", 1},
        {"4294967295", 4294967295u},
        {"0", std::nullopt},
        {"", std::nullopt},
        {"4294967296", std::nullopt},
        {"12a", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OScriptedPlatform platform;
        EXPECT_EQ(ParseInsertCount(c.text), c.count);
        const std::vector<std::string> said =
            c.count ? std::vector<std::string>{}
                    : std::vector<std::string>{"Please enter an integer between 1 and 4294967295."};
        EXPECT_EQ(platform.MessageTexts(), said);
    }
}

} // namespace
