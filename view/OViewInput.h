#pragma once

#include "platform/OTypes.h"
#include "view/OPaneLayout.h"

class ODoc;
class ORecordView;

enum class OKey { Left, Right, Up, Down, PageUp, PageDown, Home, End };

// How one view takes keys, typing and the mouse: the caret and its nibble,
// the active pane, selection by Shift and by dragging, overwriting bytes.
// Moves go through the record model; typed bytes become pending changes of
// the document's file. Every operation returns whether something changed
// that needs a repaint; the caller then has the document update its views.
class OViewInput {
public:
    OViewInput(ORecordView& view, ODoc& doc) : m_view(view), m_doc(doc) {}

    // 1 after the first hex digit typed into the caret's byte: the next
    // digit completes it. Dropped by anything that moves the caret.
    int Nibble() const;
    void DropNibble() { m_nibble = 0; }
    // 1 the hex pane, 0 the text pane; a hidden pane is never active.
    int ActivePane() const;
    void SetActivePane(int pane);

public: // keys
    bool Navigate(OKey key, bool ctrl, bool shift);
    // A printable or control character typed (Unicode); ignored while the
    // document is read-only or the character has no byte. Typing and
    // Backspace first pull a caret the window does not show into it.
    bool Type(char32_t character, bool oem);
    bool Backspace();
    bool Tab();
    // Shift released, or the focus lost: the selecting gesture ends.
    bool EndGesture();

public: // mouse
    // A left click at a point of the window: the gutter jumps to the
    // previous (upper half) or next (lower half) marker; a byte cell takes
    // the caret and its pane becomes active. Anywhere else than the gutter
    // the byte nearest the point, clamped to the file's bytes, anchors a drag
    // that follows, even where the click itself does nothing.
    bool Click(const OPaneLayout& layout, int x, int y, int clientHeight, bool wrap);
    // Dragging to a point: scrolls when it lies in a pane's edge band, the
    // 4 pixels inside its edges (then *scrolled is set, so the caller keeps a
    // timer going), and extends the selection to the byte under it.
    bool DragTo(const OPaneLayout& layout, int x, int y, bool* scrolled);

private:
    void MoveLeft();
    void MoveRight();
    OByte CaretByte() const;
    OOffset ByteNearest(const OPaneLayout& layout, int x, int y) const;
    bool SetByteAtCaret(OByte value);

    ORecordView& m_view;
    ODoc& m_doc;
    int m_nibble = 0;
    OOffset m_nibbleAt = 0;     // the caret's offset when m_nibble was set
    OOffset m_pressedByte = -1; // the drag anchor of the last press; -1 the caret
};
