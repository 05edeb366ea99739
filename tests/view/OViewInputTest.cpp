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
    // Backspace restores the byte typed over and steps back onto it.
    ASSERT_TRUE(input->Backspace());
    EXPECT_EQ(At(0), 0xFF);
    EXPECT_EQ(view->Caret(), 0);
}

TEST_F(InputTest, TypingInTheTextPaneAndAtTheEnd) {
    Open("abc");
    input->SetActivePane(0);
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
}

TEST_F(InputTest, ReadOnlyIgnoresTyping) {
    Open("abc");
    doc.SetReadOnly(true);
    EXPECT_FALSE(input->Type(U'1', false));
    EXPECT_FALSE(input->Backspace());
    EXPECT_FALSE(doc.File()->HasPending());
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

TEST_F(InputTest, ClicksPlaceTheCaretAndDraggingSelects) {
    Open(std::string(4096, 'x'));
    auto [x, y] = Point(OPane::Text, 0x23);
    ASSERT_TRUE(input->Click(layout, x, y, 300, true));
    EXPECT_EQ(view->Caret(), 0x23);
    EXPECT_EQ(input->ActivePane(), 0);
    std::tie(x, y) = Point(OPane::Hex, 0x45);
    bool scrolled = true;
    ASSERT_TRUE(input->DragTo(layout, x, y, &scrolled));
    EXPECT_FALSE(scrolled);
    EXPECT_EQ(doc.Selection().Begin(), 0x23); // anchored at the pressed byte
    EXPECT_EQ(doc.Selection().End(), 0x45);
    std::tie(x, y) = Point(OPane::Hex, 0x10);
    ASSERT_TRUE(input->DragTo(layout, x, y, &scrolled));
    EXPECT_EQ(doc.Selection().Begin(), 0x10);
    EXPECT_EQ(doc.Selection().End(), 0x23);
    // Held in the bottom band, a drag scrolls.
    ASSERT_TRUE(input->DragTo(layout, layout.hex.left + 40, view->Rows() * 15 - 2, &scrolled));
    EXPECT_TRUE(scrolled);
    EXPECT_EQ(view->Top(), 16);
    // Past the last byte the click does nothing.
    EXPECT_FALSE(input->Click(layout, layout.hex.left + 1, 299 + 1000, 300, true));
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

TEST_F(InputTest, TabSwitchesPanesOnlyWhenBothShow) {
    Open("abc");
    EXPECT_EQ(input->ActivePane(), 1);
    input->Tab();
    EXPECT_EQ(input->ActivePane(), 0);
    view->Settings().paneText = false;
    input->Tab();
    EXPECT_EQ(input->ActivePane(), 1);
}

} // namespace
