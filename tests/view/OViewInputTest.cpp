#include "view/OViewInput.h"

#include "document/ODoc.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"
#include "view/OPaneLayout.h"
#include "view/ORecordView.h"

#include <gtest/gtest.h>

namespace {

class InputTest : public ::testing::Test {
protected:
    void Open(const std::string& content, int width = 16) {
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        doc.SetReadOnly(false);
        OViewSettings settings;
        settings.recordWidth = width;
        view =
            std::make_unique<ORecordView>(settings, [this] { return doc.File()->LogicalSize(); });
        layout.Compute({640, 300, 8, 15, true, true, true, doc.File()->GetSize(), width, 3});
        view->Layout(layout.bytesThatFit, 300, 15);
        input = std::make_unique<OViewInput>(*view, doc);
    }
    OByte At(OOffset offset) {
        OByte b = 0;
        doc.File()->ReadAt(offset, &b, 1);
        return b;
    }
    // The pixel point of a byte cell in a pane.
    std::pair<int, int> Point(OPane pane, OOffset offset) {
        const OOffset rel = offset - view->Top();
        return {layout.CellLeft(pane, static_cast<int>(rel % view->Width()) - view->ColumnShift()) +
                    1,
                static_cast<int>(rel / view->Width()) * 15 + 7};
    }

    OScriptedPlatform platform;
    OTempDir dir;
    ODoc doc;
    std::string path;
    std::unique_ptr<ORecordView> view;
    std::unique_ptr<OViewInput> input;
    OPaneLayout layout;
};

TEST_F(InputTest, HexDigitsFillTheNibblesThenMoveOn) {
    Open(std::string(4, '\xFF'));
    ASSERT_TRUE(input->Type(U'4', false));
    EXPECT_EQ(At(0), 0x4F);
    EXPECT_EQ(view->Caret(), 0);
    EXPECT_EQ(input->Nibble(), 1);
    ASSERT_TRUE(input->Type(U'1', false));
    EXPECT_EQ(At(0), 0x41);
    EXPECT_EQ(view->Caret(), 1);
    EXPECT_FALSE(input->Type(U'x', false)); // not a hex digit
    EXPECT_TRUE(doc.IsModified());
    doc.SetReadOnly(true);
    EXPECT_FALSE(input->Type(U'1', false));
    EXPECT_FALSE(input->Backspace());
    EXPECT_EQ(At(0), 0x41);
    doc.SetReadOnly(false);
    // Backspace restores the byte typed over and steps back onto it.
    ASSERT_TRUE(input->Backspace());
    EXPECT_EQ(At(0), 0xFF);
    EXPECT_EQ(view->Caret(), 0);
}

TEST_F(InputTest, TabToTheTextPaneTypingThereAndAtTheEnd) {
    Open("abc");
    EXPECT_EQ(input->ActivePane(), 1);
    input->Tab();
    EXPECT_EQ(input->ActivePane(), 0);
    ASSERT_TRUE(view->SetCaret(3));
    ASSERT_TRUE(input->Type(U'Z', false));
    EXPECT_EQ(doc.File()->LogicalSize(), 4);
    EXPECT_EQ(At(3), 'Z');
    EXPECT_TRUE(doc.File()->IsChanged(3));
    EXPECT_EQ(view->Caret(), 4);
    ASSERT_TRUE(input->Type(U'\r', false)); // control characters are bytes too
    EXPECT_EQ(At(4), 0x0D);
    ASSERT_TRUE(input->Type(U'░', true)); // through the OEM code page
    EXPECT_EQ(At(5), 0xB0);
    ASSERT_TRUE(input->Type(U'é', false)); // the ANSI code page
    EXPECT_EQ(At(6), 0xE9);
    EXPECT_FALSE(input->Type(U'€', true)); // no byte for it in code page 437
    view->Settings().paneText = false;     // Tab switches only when both panes show
    input->Tab();
    EXPECT_EQ(input->ActivePane(), 1);
}

TEST_F(InputTest, ShiftExtendsTheSelectionAndReleaseEndsIt) {
    Open(std::string(64, 'x'));
    ASSERT_TRUE(view->SetCaret(10));
    for (int i = 0; i < 3; ++i)
        input->Navigate(OKey::Right, false, true);
    EXPECT_EQ(doc.Selection().Begin(), 10);
    EXPECT_EQ(doc.Selection().End(), 13);
    EXPECT_TRUE(input->EndGesture());
    EXPECT_EQ(platform.StatusHistory().back(), "Ready");
    EXPECT_EQ(doc.Selection().End(), 13);
    // The selection never takes in the append position.
    input->Navigate(OKey::End, true, true);
    EXPECT_EQ(view->Caret(), 64);
    EXPECT_EQ(doc.Selection().End(), 63);
}

TEST_F(InputTest, NavigationKeysStayInsideTheFile) {
    Open(std::string(1000, 'x'));
    input->Navigate(OKey::Left, false, false);
    EXPECT_EQ(view->Caret(), 0);
    input->Navigate(OKey::Up, false, false);
    EXPECT_EQ(view->Caret(), 0);
    input->Navigate(OKey::Down, false, false);
    EXPECT_EQ(view->Caret(), 16);
    input->Navigate(OKey::End, false, false);
    EXPECT_EQ(view->Caret(), 31);
    input->Navigate(OKey::Home, false, false);
    EXPECT_EQ(view->Caret(), 16);
    input->Navigate(OKey::End, true, false);
    EXPECT_EQ(view->Caret(), 1000);
    EXPECT_EQ(view->Top(), view->LastPageTop());
    input->Navigate(OKey::Down, false, false);
    EXPECT_EQ(view->Caret(), 1000);
    input->Navigate(OKey::Right, false, false);
    EXPECT_EQ(view->Caret(), 1000);
    input->Navigate(OKey::PageUp, false, false);
    EXPECT_LT(view->Top(), view->LastPageTop());
    EXPECT_GE(view->Caret(), view->Top());
    input->Navigate(OKey::Home, true, false);
    EXPECT_EQ(view->Caret(), 0);
    EXPECT_EQ(view->Top(), 0);
    for (int i = 0; i < 200; ++i)
        input->Navigate(OKey::PageDown, false, false);
    EXPECT_LE(view->Caret(), 1000);
    EXPECT_EQ(view->Top(), view->LastPageTop());
}

// Dragging is tested with the anchor and the bottom band below.
TEST_F(InputTest, ClicksPlaceTheCaretInTheirPane) {
    Open(std::string(4096, 'x'));
    const auto [x, y] = Point(OPane::Text, 0x23);
    ASSERT_TRUE(input->Click(layout, x, y, 300, true));
    EXPECT_EQ(view->Caret(), 0x23);
    EXPECT_EQ(input->ActivePane(), 0);
    // Past the last byte the click does nothing.
    EXPECT_FALSE(input->Click(layout, layout.hex.left + 1, 299 + 1000, 300, true));
}

// Regression: a drag held in the bottom band never scrolled when the rows
// (a last row shown in part counts) reached past the pane: the band was
// measured from the rows. It is the 4 pixels inside the pane's edge.
TEST_F(InputTest, TheBottomBandLiesInsideThePane) {
    Open(std::string(4096, 'x'));
    struct Case {
        int height, lineHeight, y;
        bool scrolls;
    };
    const Case cases[] = {{295, 20, 294, true},  {295, 20, 291, true},  {295, 20, 290, false},
                          {310, 20, 306, true},  {310, 20, 300, false}, {300, 15, 296, true},
                          {300, 15, 295, false}, {299, 15, 298, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " " << c.lineHeight << " " << c.y);
        layout.Compute({640, c.height, 8, c.lineHeight, true, true, true, 4096, 16, 3});
        view->Layout(layout.bytesThatFit, c.height, c.lineHeight);
        view->SetTop(0);
        input->EndGesture();
        bool scrolled = !c.scrolls;
        input->DragTo(layout, layout.hex.left + 40, c.y, &scrolled);
        EXPECT_EQ(scrolled, c.scrolls);
        EXPECT_EQ(view->Top(), c.scrolls ? 16 : 0);
    }
}

// Regression: a drag that began where no byte is took the old caret as its
// anchor. It anchors at the byte the pressed point maps to, inside the file.
TEST_F(InputTest, ADragAnchorsAtTheByteOfThePressedPoint) {
    Open(std::string(100, 'x')); // rows 0 to 6, the last holding 4 bytes
    const int belowData = 12 * 15 + 7;
    struct Case {
        int x, y;
        OOffset anchor;
    };
    const Case cases[] = {
        {layout.offset.left + 2, 2 * 15 + 7, 32},              // the offset pane: column 0
        {layout.gutter.right + 1, 1 * 15 + 7, 16},             // at the pane's left edge
        {layout.CellLeft(OPane::Hex, 5) + 1, belowData, 99},   // below the data
        {layout.CellLeft(OPane::Text, 3) + 1, belowData, 99},  //
        {layout.CellLeft(OPane::Hex, 14) + 1, 6 * 15 + 7, 99}, // past the last byte
        {layout.textText.right + 1, 15 + 7, 31},               // right of the last column
        {layout.CellLeft(OPane::Text, 9) + 1, 4 * 15 + 7, 73}, // a byte: the click's caret
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " " << c.y);
        ASSERT_TRUE(view->SetCaret(50));
        input->EndGesture();
        input->Click(layout, c.x, c.y, 300, true);
        for (const OOffset to : {70, 20}) { // the anchor holds for the whole gesture
            const auto [x, y] = Point(OPane::Hex, to);
            bool scrolled = false;
            ASSERT_TRUE(input->DragTo(layout, x, y, &scrolled));
            EXPECT_EQ(doc.Selection().Begin(), std::min(c.anchor, to));
            EXPECT_EQ(doc.Selection().End(), std::max(c.anchor, to));
        }
    }
}

// Regression: after the window was made smaller, a key changed the byte
// under a caret it no longer showed.
TEST_F(InputTest, KeysThatChangeBytesFirstPullTheCaretIntoTheWindow) {
    Open(std::string(1000, 'x'));
    struct Case {
        int pane, column;
        std::u32string keys; // U'\b' for Backspace
        int moved;           // the caret's move from where it was pulled to
    };
    const Case cases[] = {{1, 2, U"41", 1}, {0, 5, U"A", 1}, {0, 8, U"\b", -1}, {1, 11, U"4", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        // A typed byte before the caret on row 25 of 40; then 10 rows shown.
        view->Layout(layout.bytesThatFit, 600, 15);
        view->SetTop(0);
        const OOffset hidden = 25 * 16 + c.column;
        ASSERT_TRUE(view->SetCaret(hidden - 1));
        input->SetActivePane(0);
        ASSERT_TRUE(input->Type(U' ', false));
        view->Layout(layout.bytesThatFit, 150, 15);
        ASSERT_EQ(view->Caret(), hidden);
        input->SetActivePane(c.pane);
        for (const char32_t key : c.keys)
            ASSERT_TRUE(key == U'\b' ? input->Backspace() : input->Type(key, false));
        EXPECT_EQ(At(hidden), 'x');
        EXPECT_EQ(At(hidden - 1), ' '); // nor does Backspace undo what is not shown
        const OOffset pulled = 9 * 16 + c.column;
        EXPECT_EQ(view->Caret(), pulled + c.moved);
        EXPECT_EQ(view->Top(), 0);
        EXPECT_EQ(At(pulled) != 'x', c.moved >= 0);
    }
}

TEST_F(InputTest, GutterClicksJumpBetweenMarkers) {
    Open(std::string(4096, 'x'));
    ORange a;
    a.Set(100, 110);
    ORange b;
    b.Set(2000, 2001);
    doc.Markers().Insert(a);
    doc.Markers().Insert(b);
    ASSERT_TRUE(input->Click(layout, 2, 280, 300, true)); // lower half: next
    EXPECT_EQ(view->Caret(), 100);
    ASSERT_TRUE(input->Click(layout, 2, 280, 300, true));
    EXPECT_EQ(view->Caret(), 2000);
    ASSERT_TRUE(input->Click(layout, 2, 10, 300, true)); // upper half: previous
    EXPECT_EQ(view->Caret(), 100);
}

} // namespace

// Regression: near a length of 2^63 - 1, Ctrl+End, Page Down and End added
// rows or columns to offsets past the largest one. The file is only a
// length here: no key reads a byte.
TEST(InputAtTheLimit, KeysStayInsideTheLargestFile) {
    constexpr OOffset kMax = INT64_MAX;
    OScriptedPlatform platform;
    ODoc doc;
    for (const int width : {2, 7, 16}) {
        for (const int phase : {0, 1, width - 1}) {
            SCOPED_TRACE(testing::Message() << "width " << width << " phase " << phase);
            OViewSettings settings;
            settings.recordWidth = width;
            ORecordView view(settings, [] { return kMax; });
            view.Layout(1 << 20, 100, 10);
            for (int i = 0; i < phase; ++i)
                view.ShiftPhase(+1);
            OViewInput input(view, doc);
            input.Navigate(OKey::End, true, false);
            EXPECT_EQ(view.Caret(), kMax);
            EXPECT_EQ(view.Top(), view.LastPageTop());
            for (const OKey key :
                 {OKey::PageUp, OKey::PageDown, OKey::PageDown, OKey::Up, OKey::End, OKey::Down,
                  OKey::Right, OKey::Right, OKey::Left, OKey::Home, OKey::PageDown}) {
                input.Navigate(key, false, false);
                EXPECT_GE(view.Caret(), view.Top());
                EXPECT_LT((view.Caret() - view.Top()) / width, view.Rows());
            }
            EXPECT_GE(view.Caret(), kMax - width);
        }
    }
}
