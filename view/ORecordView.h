#pragma once

#include "markers/OEdit.h"
#include "platform/OTypes.h"
#include "view/OViewSettings.h"

#include <functional>
#include <span>
#include <vector>

enum class OScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, First, Last, End };

// What a 32-bit scroll bar shows: range 0 to maximum, page, position.
// Positions run from 0 to lastPosition, the position of the last page:
// with scaled row numbers, maximum - page + 1 may lie past it.
struct OScrollBarState {
    int maximum = 0;
    int page = 0;
    int position = 0;
    int lastPosition = 0;
    bool visible = false;
};

// A view's record geometry: the file as rows of one record each. Records
// begin at the offsets k * width - phase; the top row may begin before the
// file (down to -phase). Knows nothing of pixels beyond the cell size the
// painter measured. Every operation clamps rather than fails, and all
// arithmetic is exact for any file length up to 2^63 - 1.
class ORecordView {
public:
    // Bytes in the file, including typed bytes past its physical end. Asked
    // anew by every operation that depends on it: the owner makes it cheap,
    // or holds it fixed over a run of operations.
    using LengthSource = std::function<OOffset()>;

    ORecordView(const OViewSettings& settings, LengthSource length);

public: // state
    OOffset FileLength() const { return m_length(); }
    OViewSettings& Settings() { return m_settings; }
    const OViewSettings& Settings() const { return m_settings; }
    int Width() const { return m_settings.recordWidth; }
    int Phase() const { return m_settings.phase; }
    OOffset Top() const { return m_settings.topOffset; }
    OOffset Caret() const { return m_settings.caretOffset; }
    int ColumnShift() const { return m_settings.columnShift; }
    int VisibleBytes() const { return m_visibleBytes; }
    int BytesThatFit() const { return m_bytesThatFit; }
    int Rows() const { return m_rows; }
    bool MetricsValid() const { return m_metricsValid; }
    unsigned ScrollShift() const { return m_scrollShift; }
    bool SyncScroll() const { return m_syncScroll; }
    void SetSyncScroll(bool on) { m_syncScroll = on; }

public: // geometry
    OOffset RecordStart(OOffset offset) const;
    int ColumnOf(OOffset offset) const;
    OOffset RecordNumber(OOffset offset) const;
    // Rows needed to show the file, the row holding the append position included.
    OOffset RowsNeeded() const;
    // The top that shows the last page.
    OOffset LastPageTop() const;
    OOffset LimitTop(OOffset top) const;
    // (offset - top) / width.
    OOffset RowIndexOf(OOffset offset) const;
    // The offset of the cell in row (from the top) and visible column, or
    // -1 when the cell does not exist.
    OOffset CellOffset(int row, int column) const;
    OOffset FirstVisibleColumnOffset(OOffset offset) const;
    OOffset LastVisibleColumnOffset(OOffset offset) const;

public: // operations
    // Negative keeps the width; 0 or above the maximum gives the maximum;
    // below 2 gives 2. Keeps the top row on a record start.
    void SetRecordWidth(int requested);
    // -1 for Shift left, +1 for Shift right.
    void ShiftPhase(int direction);
    // Makes the caret the first byte of a record and of the top row.
    void OffsetAtTop();
    // Clamps o into the file, centres its row and shows its column.
    void GoToOffset(OOffset offset);
    bool SetCaret(OOffset offset);
    bool SetCaretToCell(int row, int column);
    void SetTop(OOffset top) { m_settings.topOffset = top; }
    // After a structural edit of the file: the caret and the top row stay
    // on the bytes they showed (a position inside removed bytes goes to
    // where they were), the top on a record start.
    void FollowEdit(const OEdit& edit);
    void SetColumnShift(int shift) { m_settings.columnShift = shift; }
    // Layout after a resize or a font change: the cell size, what fits. The
    // top changes only when it lies past the last page.
    void Layout(int bytesThatFit, int clientHeight, int lineHeight);
    // Moves a caret the window does not show (a smaller window, a hidden
    // column) onto the nearest row and column it shows; the top stays.
    // Returns whether the caret moved. Nothing before the first layout.
    bool PullCaretIntoWindow();

public: // scrolling
    void ScrollVertical(OScrollAction action, int thumbPosition = 0);
    void ScrollHorizontal(OScrollAction action, int thumbPosition = 0);
    // Applied from another window scrolling in step with this one.
    void ScrollRowsBy(OOffset rows);
    void ScrollColumnsBy(int columns);
    // Recomputes the scroll shift from the file length; then the bars.
    void UpdateScrollShift();
    OScrollBarState VerticalBar() const;
    OScrollBarState HorizontalBar() const;

private:
    void PullCaretIntoRows();
    void PullCaretIntoColumns();
    OOffset ClampCaret(OOffset offset) const;
    int ShiftFor(OOffset offset) const;

    OViewSettings m_settings;
    LengthSource m_length;
    int m_visibleBytes = 0;
    int m_bytesThatFit = 0;
    int m_previousVisibleBytes = 0;
    int m_rows = 1;
    int m_lineHeight = 0;
    unsigned m_scrollShift = 0;
    bool m_metricsValid = false;
    bool m_syncScroll = false;
};

// Scrolls source and, when it scrolls in step, the other windows: a thumb
// drag moves them by as many of their own rows or columns as source moved,
// other actions repeat as they are. An application-wide guard keeps a
// passed action from being passed on again.
void ScrollInStep(ORecordView& source, bool vertical, OScrollAction action, int thumbPosition,
                  std::span<ORecordView* const> others);
