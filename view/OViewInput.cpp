#include "view/OViewInput.h"

#include "document/ODoc.h"
#include "platform/OCodePage.h"
#include "view/ORecordView.h"
#include "view/OWide.h"

#include <algorithm>

namespace {

constexpr int kEdgeBand = 4; // pixels at a pane's edge that scroll while dragging

// The first offset below the window. Near a length of 2^63 - 1 it lies past
// the largest offset, so it is compared at 128 bits.
OWide PageEnd(const ORecordView& v) {
    return OWide{v.Top()} + OWide{v.Rows()} * v.Width();
}

} // namespace

int OViewInput::Nibble() const {
    return m_nibble != 0 && m_view.Caret() == m_nibbleAt ? 1 : 0;
}

int OViewInput::ActivePane() const {
    const OViewSettings& s = m_view.Settings();
    if (!s.paneText) return 1;
    if (!s.paneHex) return 0;
    return s.activePane;
}

void OViewInput::SetActivePane(int pane) {
    OViewSettings& s = m_view.Settings();
    if (pane == 0 && !s.paneText) pane = 1;
    if (pane == 1 && !s.paneHex && s.paneText) pane = 0;
    s.activePane = pane;
}

void OViewInput::MoveLeft() {
    ORecordView& v = m_view;
    if (v.Caret() == 0) return;
    if (v.Caret() == v.Top()) v.ScrollVertical(OScrollAction::LineBack);
    v.Settings().caretOffset -= 1;
    const OOffset caret = v.Caret();
    if (v.ColumnOf(caret) < v.ColumnShift()) v.SetColumnShift(v.ColumnShift() - 1);
    if (caret > v.LastVisibleColumnOffset(caret)) v.SetColumnShift(v.Width() - v.VisibleBytes());
}

void OViewInput::MoveRight() {
    ORecordView& v = m_view;
    if (v.Caret() >= v.FileLength()) return;
    v.Settings().caretOffset += 1;
    const OOffset caret = v.Caret();
    if (caret == PageEnd(v)) v.ScrollVertical(OScrollAction::LineForward);
    if (caret > v.LastVisibleColumnOffset(caret))
        v.ScrollHorizontal(OScrollAction::LineForward);
    else if (v.ColumnOf(caret) < v.ColumnShift())
        v.SetColumnShift(0);
}

bool OViewInput::Navigate(OKey key, bool ctrl, bool shift) {
    ORecordView& v = m_view;
    OSelection& selection = m_doc.Selection();
    const OOffset length = v.FileLength();
    m_nibble = 0;
    // The selection never reaches the append position.
    auto selectable = [length](OOffset o) { return std::min(o, std::max<OOffset>(length - 1, 0)); };
    if (shift && length > 0 && selection.Anchor() == -1)
        selection.ExtendTo(selectable(v.Caret()), length);

    const int w = v.Width();
    const int visible = v.VisibleBytes();
    const OOffset caret = v.Caret();
    const int column = v.ColumnOf(caret);
    auto showColumn = [&v, visible] {
        const OOffset c = v.Caret();
        if (c > v.LastVisibleColumnOffset(c))
            v.SetColumnShift(std::max(0, v.ColumnOf(c) - visible / 2));
    };
    switch (key) {
    case OKey::Left:
        MoveLeft();
        break;
    case OKey::Right:
        MoveRight();
        break;
    case OKey::Up:
        if (v.RecordStart(caret) <= 0) break;
        if (caret - w >= 0) v.Settings().caretOffset = caret - w;
        if (v.Top() > caret - w) v.SetTop(v.Top() - w);
        break;
    case OKey::Down:
        // Past the last row there is nothing to go down to.
        if (caret > length - w) break;
        v.Settings().caretOffset = caret + w;
        if (PageEnd(v) <= v.Caret()) v.SetTop(v.LimitTop(Narrow(OWide{v.Top()} + w)));
        break;
    case OKey::PageUp:
        if (v.Top() > 0)
            v.ScrollVertical(OScrollAction::PageBack);
        else {
            OOffset to = v.Top() + column;
            if (to < 0) to += w;
            v.Settings().caretOffset = std::min(to, length);
        }
        break;
    case OKey::PageDown:
        if (PageEnd(v) <= length)
            v.ScrollVertical(OScrollAction::PageForward);
        else {
            OWide to = OWide{v.RecordStart(length)} + column;
            if (to > length) to -= w;
            v.Settings().caretOffset = Narrow(std::clamp<OWide>(to, 0, length));
        }
        break;
    case OKey::Home:
        if (ctrl) {
            v.Settings().caretOffset = 0;
            v.SetTop(-v.Phase());
        } else {
            v.Settings().caretOffset = std::max<OOffset>(v.RecordStart(caret), 0);
        }
        v.SetColumnShift(0);
        showColumn();
        break;
    case OKey::End:
        if (ctrl) {
            v.SetTop(v.LastPageTop());
            v.Settings().caretOffset = length;
            v.SetColumnShift(0);
            showColumn();
        } else {
            v.Settings().caretOffset =
                Narrow(std::min<OWide>(OWide{v.RecordStart(caret)} + w - 1, length));
            if (visible < w) {
                v.SetColumnShift(w - visible);
                const int at = v.ColumnOf(v.Caret());
                if (at < v.ColumnShift()) v.SetColumnShift(std::max(0, at - visible / 2));
            }
        }
        break;
    }
    // Keep the caret's row on screen, as a paint would.
    if (v.Caret() < v.Top() || v.Caret() >= PageEnd(v)) {
        OOffset top = v.RecordStart(v.Caret());
        if (v.Caret() >= v.Top()) top -= OOffset{v.Rows() - 1} * w;
        v.SetTop(std::max<OOffset>(v.LimitTop(top), -v.Phase()));
    }
    v.SetColumnShift(std::clamp(v.ColumnShift(), 0, std::max(0, w - visible)));
    if (shift && length > 0) selection.ExtendTo(selectable(v.Caret()), length);
    return true;
}

OByte OViewInput::CaretByte() const {
    OFile* file = m_doc.File();
    OByte value = 0;
    if (file && m_view.Caret() < m_view.FileLength()) file->ReadAt(m_view.Caret(), &value, 1);
    return value;
}

bool OViewInput::SetByteAtCaret(OByte value) {
    OFile* file = m_doc.File();
    if (!file) return false;
    const OOffset at = m_view.Caret();
    const OByte before = CaretByte();
    const bool pending = file->IsChanged(at);
    OOffset size = 0;
    if (!file->QuietLogicalSize(size)) size = 0;
    if (!file->SetByte(at, before, value)) return false;
    m_doc.RecordTyping({at, before, value, pending, true}, size);
    return true;
}

bool OViewInput::Type(char32_t character, bool oem) {
    if (m_doc.ReadOnly() || !m_doc.File()) return false;
    // A key changes only a byte the window shows.
    m_view.PullCaretIntoWindow();
    OByte value = 0;
    if (ActivePane() == 1) {
        int digit = -1;
        if (character >= U'0' && character <= U'9')
            digit = static_cast<int>(character - U'0');
        else if (character >= U'a' && character <= U'f')
            digit = static_cast<int>(character - U'a' + 10);
        else if (character >= U'A' && character <= U'F')
            digit = static_cast<int>(character - U'A' + 10);
        if (digit < 0) return false;
        const OByte old = CaretByte();
        const int nibble = Nibble();
        value = nibble == 0 ? static_cast<OByte>((old & 0x0F) | (digit << 4))
                            : static_cast<OByte>((old & 0xF0) | digit);
        if (!SetByteAtCaret(value)) return false;
        m_nibble = nibble ^ 1;
        m_nibbleAt = m_view.Caret();
        if (m_nibble == 0) MoveRight();
        return true;
    }
    // Control characters (Enter, Escape...) are bytes like any other.
    const int byte = character < 0x20 || character == 0x7F
                         ? static_cast<int>(character)
                         : (oem ? UnicodeToOem(character) : UnicodeToAnsi(character));
    if (byte < 0) return false;
    if (!SetByteAtCaret(static_cast<OByte>(byte))) return false;
    m_nibble = 0;
    MoveRight();
    return true;
}

bool OViewInput::Backspace() {
    if (m_doc.ReadOnly() || !m_doc.File()) return false;
    m_nibble = 0;
    m_view.PullCaretIntoWindow();
    if (m_view.Caret() == 0) return false;
    OFile& file = *m_doc.File();
    const OOffset at = m_view.Caret() - 1;
    // Taking a typed byte back is a change like typing one, and undoes as one.
    if (const OPendingMap::Change* change = file.Pending().Find(at)) {
        const OTypedByte typed{at, change->newByte, change->oldByte, true, false};
        OOffset size = 0;
        if (!file.QuietLogicalSize(size)) size = 0;
        if (file.UndoByte(at)) m_doc.RecordTyping(typed, size);
    }
    MoveLeft();
    return true;
}

bool OViewInput::Tab() {
    if (m_doc.ReadOnly()) return false;
    m_nibble = 0;
    const OViewSettings& s = m_view.Settings();
    if (s.paneHex && s.paneText) SetActivePane(ActivePane() ^ 1);
    return true;
}

bool OViewInput::EndGesture() {
    return m_doc.Selection().ClearAnchor();
}

OOffset OViewInput::ByteNearest(const OPaneLayout& layout, int x, int y) const {
    const OOffset length = m_view.FileLength();
    if (length <= 0) return -1;
    int row = 0;
    int column = 0;
    layout.NearestCell(x, y, row, column);
    column = std::min(column, std::max(0, m_view.VisibleBytes() - 1));
    const OWide offset =
        OWide{m_view.Top()} + OWide{row} * m_view.Width() + m_view.ColumnShift() + column;
    return Narrow(std::clamp<OWide>(offset, 0, length - 1));
}

bool OViewInput::Click(const OPaneLayout& layout, int x, int y, int clientHeight, bool wrap) {
    const OPane pane = layout.PaneAt(x, y);
    // A jump to a marker moves the caret, which then anchors a drag.
    m_pressedByte = pane == OPane::Gutter ? -1 : ByteNearest(layout, x, y);
    if (pane == OPane::Gutter) {
        const OOffset caret = m_view.Caret();
        const OOffset to =
            y < clientHeight / 2
                ? m_doc.Markers().PrevBegin(caret, m_view.FileLength(), m_doc.Selection(),
                                            m_doc.LastFound(), wrap)
                : m_doc.Markers().NextBegin(caret, m_doc.Selection(), m_doc.LastFound(), wrap);
        if (to < 0) return false;
        m_view.GoToOffset(to);
        return true;
    }
    if (pane != OPane::Hex && pane != OPane::Text) return false;
    m_nibble = 0;
    int row = 0;
    int column = 0;
    if (!layout.CellAt(x, y, row, column) || !m_view.SetCaretToCell(row, column)) return false;
    SetActivePane(pane == OPane::Hex ? 1 : 0);
    return true;
}

bool OViewInput::DragTo(const OPaneLayout& layout, int x, int y, bool* scrolled) {
    ORecordView& v = m_view;
    m_nibble = 0;
    *scrolled = false;
    const ORect* area = nullptr;
    if (layout.hexOn && layout.hex.Contains(x, y))
        area = &layout.hex;
    else if (layout.textOn && layout.text.Contains(x, y))
        area = &layout.text;
    bool inLeftBand = false;
    if (area) {
        const int perByte = area == &layout.hex ? 3 : 1;
        const ORect& text = area == &layout.hex ? layout.hexText : layout.textText;
        const int rowRight = text.left + v.VisibleBytes() * perByte * layout.charWidth;
        inLeftBand = x < area->left + kEdgeBand;
        // The pane's own edge: a last row partly shown still counts as a
        // row, so rows times the line height may reach past it.
        if (y < area->top + kEdgeBand)
            v.ScrollVertical(OScrollAction::LineBack), *scrolled = true;
        else if (y >= area->bottom - kEdgeBand)
            v.ScrollVertical(OScrollAction::LineForward), *scrolled = true;
        if (inLeftBand)
            v.ScrollHorizontal(OScrollAction::LineBack), *scrolled = true;
        else if (x >= rowRight - kEdgeBand && x < rowRight)
            v.ScrollHorizontal(OScrollAction::LineForward), *scrolled = true;
    }
    int row = 0;
    int column = 0;
    if (!layout.CellAt(x, y, row, column)) return *scrolled;
    OOffset offset = v.CellOffset(row, column);
    if (offset < 0) return *scrolled;
    const OOffset length = v.FileLength();
    if (length == 0) return *scrolled;
    if (offset >= length) offset = length - 1;
    const OOffset before = v.Caret();
    OSelection& selection = m_doc.Selection();
    // The gesture starts at the pressed byte, not at the byte the pointer has
    // reached by the first move, nor at the old caret when the press was
    // where no byte is.
    if (selection.Anchor() == -1)
        selection.ExtendTo(std::min(m_pressedByte >= 0 ? m_pressedByte : before, length - 1),
                           length);
    v.SetCaret(offset);
    // Dragging back into the left band from a record's start selects up to
    // the end of the previous record.
    if (selection.Anchor() != -1 && selection.Anchor() < before && before != 0 &&
        v.RecordStart(before) == before && inLeftBand && offset > 0)
        selection.ExtendTo(offset - 1, length);
    else
        selection.ExtendTo(offset, length);
    return true;
}
