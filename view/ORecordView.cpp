#include "view/ORecordView.h"

#include "view/ORecordWidth.h"
#include "view/OWide.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

bool g_passingScroll = false; // the application-wide guard of in-step scrolling

} // namespace

ORecordView::ORecordView(const OViewSettings& settings, LengthSource length)
    : m_settings(settings), m_length(std::move(length)) {
    m_settings.recordWidth =
        ApplyRecordWidth(m_settings.recordWidth, 16, m_settings.maxRecordWidth);
    if (m_settings.phase < 0 || m_settings.phase >= m_settings.recordWidth) m_settings.phase = 0;
}

OOffset ORecordView::RecordStart(OOffset offset) const {
    const OWide w = Width();
    return Narrow(FloorDiv(OWide{offset} + Phase(), w) * w - Phase());
}

void ORecordView::FollowEdit(const OEdit& edit) {
    // Past the removed bytes a position moves with them; the new length
    // bounds the result, so the sum cannot overflow.
    const auto follow = [&edit](OOffset p) {
        if (p - edit.offset >= edit.removed) return p + edit.Delta();
        return std::min(p, edit.offset);
    };
    m_settings.caretOffset = follow(Caret());
    m_settings.topOffset = RecordStart(follow(Top()));
}

int ORecordView::ColumnOf(OOffset offset) const {
    return static_cast<int>(FloorMod(OWide{offset} + Phase(), Width()));
}

OOffset ORecordView::RecordNumber(OOffset offset) const {
    return Narrow(FloorDiv(OWide{offset} + Phase(), Width()));
}

OOffset ORecordView::RowsNeeded() const {
    const OWide w = Width();
    return Narrow(FloorDiv(OWide{FileLength()} + Phase() + 1 + w - 1, w));
}

OOffset ORecordView::LastPageTop() const {
    const OOffset rowsNeeded = RowsNeeded();
    if (rowsNeeded <= m_rows) return -Phase();
    return Narrow((OWide{rowsNeeded} - m_rows) * Width() - Phase());
}

OOffset ORecordView::LimitTop(OOffset top) const {
    return std::min(top, LastPageTop());
}

OOffset ORecordView::RowIndexOf(OOffset offset) const {
    return Narrow((OWide{offset} - Top()) / Width());
}

OOffset ORecordView::CellOffset(int row, int column) const {
    if (row < 0 || column < 0) return -1;
    if (ColumnShift() + column >= Width()) return -1;
    if (ColumnShift() == 0 && column >= m_visibleBytes) return -1;
    return Narrow(OWide{Top()} + OWide{row} * Width() + ColumnShift() + column);
}

OOffset ORecordView::FirstVisibleColumnOffset(OOffset offset) const {
    return Narrow(OWide{RecordStart(offset)} + ColumnShift());
}

OOffset ORecordView::LastVisibleColumnOffset(OOffset offset) const {
    return Narrow(OWide{RecordStart(offset)} + ColumnShift() + m_visibleBytes - 1);
}

void ORecordView::SetRecordWidth(int requested) {
    const int w = ApplyRecordWidth(requested, Width(), m_settings.maxRecordWidth);
    m_settings.recordWidth = w;
    if (Phase() >= w) {
        m_settings.topOffset = 0;
        m_settings.phase = 0;
    }
    m_settings.topOffset = RecordStart(Top());
    if (m_bytesThatFit > 0) m_visibleBytes = std::min(w, m_bytesThatFit);
    m_settings.columnShift = std::clamp(ColumnShift(), 0, std::max(0, w - m_visibleBytes));
}

void ORecordView::ShiftPhase(int direction) {
    const int w = Width();
    const OWide anchor = OWide{Top()} + Phase();
    m_settings.phase = static_cast<int>(FloorMod(OWide{direction} + w + Phase(), w));
    m_settings.topOffset = Narrow(anchor - Phase());
}

void ORecordView::OffsetAtTop() {
    const int w = Width();
    int phase = w - static_cast<int>(FloorMod(Caret(), w));
    if (phase == w) phase = 0;
    m_settings.phase = phase;
    m_settings.topOffset = std::min(Caret(), LastPageTop());
}

int ORecordView::ShiftFor(OOffset offset) const {
    const int w = Width();
    const int visible = m_visibleBytes;
    const int column = ColumnOf(offset);
    if (w <= visible || column < 2 * visible / 3) return 0;
    return std::min(column - visible / 2, w - visible);
}

void ORecordView::GoToOffset(OOffset offset) {
    offset = std::clamp<OOffset>(offset, 0, std::max<OOffset>(FileLength(), 0));
    OOffset top = Narrow(OWide{RecordStart(offset)} - OWide{m_rows / 2} * Width());
    if (top < 0) top = -Phase();
    m_settings.topOffset = LimitTop(top);
    m_settings.columnShift = std::max(0, ShiftFor(offset));
    m_settings.caretOffset = offset;
}

bool ORecordView::SetCaret(OOffset offset) {
    if (offset < 0 || offset > FileLength()) return false;
    m_settings.caretOffset = offset;
    return true;
}

bool ORecordView::SetCaretToCell(int row, int column) {
    const OOffset offset = CellOffset(row, column);
    return offset >= 0 && SetCaret(offset);
}

void ORecordView::Layout(int bytesThatFit, int clientHeight, int lineHeight) {
    if (lineHeight <= 0) return;
    m_lineHeight = lineHeight;
    m_metricsValid = true;
    m_bytesThatFit = std::max(1, bytesThatFit);
    m_rows = std::max(1, (clientHeight + lineHeight / 4) / lineHeight);
    if (m_settings.fitRecord) {
        const OOffset keptTop = Top();
        SetRecordWidth(m_bytesThatFit);
        if (m_settings.restorePending) m_settings.topOffset = keptTop;
    }
    m_previousVisibleBytes = m_visibleBytes;
    m_visibleBytes = std::min(Width(), m_bytesThatFit);
    if (m_settings.restorePending) {
        // A stored top fixes the phase: the top row begins a record.
        const OWide top = Top();
        const int w = Width();
        m_settings.phase =
            static_cast<int>(top < 0 ? FloorMod(-top, w) : FloorMod(w - FloorMod(top, w), w));
        // A stored position may come from a damaged file or one that has
        // since shrunk: bring it inside before anything is drawn.
        if (Top() < -Phase()) m_settings.topOffset = -Phase();
        m_settings.caretOffset = ClampCaret(Caret());
        const OWide pageEnd = OWide{Top()} + OWide{m_rows} * w;
        if (Caret() < Top() || Caret() > pageEnd) GoToOffset(Caret());
        m_settings.restorePending = false;
    }
    // Only a top past the last page comes up: one row above it stays, or
    // scrolling up from the last page would be undone by the next layout.
    m_settings.topOffset = std::max(LimitTop(Top()), OOffset{-Phase()});
    if (ColumnShift() != 0 && m_visibleBytes > m_previousVisibleBytes)
        m_settings.columnShift =
            std::max(0, ColumnShift() - (m_visibleBytes - m_previousVisibleBytes));
    m_settings.columnShift = std::clamp(ColumnShift(), 0, std::max(0, Width() - m_visibleBytes));
    m_settings.caretOffset = ClampCaret(Caret());
}

OOffset ORecordView::ClampCaret(OOffset offset) const {
    return std::clamp<OOffset>(offset, 0, std::max<OOffset>(FileLength(), 0));
}

bool ORecordView::PullCaretIntoWindow() {
    if (!m_metricsValid) return false;
    const OOffset before = Caret();
    PullCaretIntoRows();
    PullCaretIntoColumns();
    return Caret() != before;
}

void ORecordView::PullCaretIntoRows() {
    const OWide w = Width();
    const OWide column = ColumnOf(Caret());
    const OWide top = Top();
    OWide caret = Caret();
    if (caret >= top + OWide{m_rows} * w)
        caret = top + OWide{m_rows - 1} * w + column;
    else if (caret < top)
        caret = top + column;
    if (caret < 0) caret += w;
    m_settings.caretOffset = ClampCaret(Narrow(caret));
}

void ORecordView::PullCaretIntoColumns() {
    const OWide w = Width();
    OWide caret = Caret();
    if (caret > LastVisibleColumnOffset(Narrow(caret)))
        caret = LastVisibleColumnOffset(Narrow(caret));
    if (caret < 0) caret += (FloorDiv(-caret + w - 1, w)) * w;
    if (caret < FirstVisibleColumnOffset(Narrow(caret)))
        caret = FirstVisibleColumnOffset(Narrow(caret));
    const OWide length = FileLength();
    if (caret > length) caret -= FloorDiv(caret - length + w - 1, w) * w;
    m_settings.caretOffset = ClampCaret(Narrow(caret));
}

void ORecordView::ScrollVertical(OScrollAction action, int thumbPosition) {
    const OWide w = Width();
    const OWide page = OWide{m_rows} * w;
    const OOffset floor = -Phase();
    OOffset& top = m_settings.topOffset;
    switch (action) {
    case OScrollAction::LineBack:
        if (top > 0)
            top = Narrow(top - w);
        else if (Caret() >= w)
            m_settings.caretOffset -= Width();
        break;
    case OScrollAction::LineForward:
        // Stops at the last page, as the page keys and the bar do.
        if (top < LastPageTop())
            top = Narrow(top + w);
        else if (OWide{Caret()} + w <= FileLength())
            m_settings.caretOffset += Width();
        break;
    case OScrollAction::PageBack:
        top = std::max(Narrow(top - page), floor);
        break;
    case OScrollAction::PageForward:
        top = LimitTop(Narrow(top + page));
        break;
    case OScrollAction::Thumb: {
        // The bar's last position is the last page, which the scaled
        // positions may not reach exactly.
        if (thumbPosition >= VerticalBar().lastPosition)
            top = LastPageTop();
        else
            top = std::max(LimitTop(Narrow(
                               (OWide{std::max(thumbPosition, 0)} << m_scrollShift) * w - Phase())),
                           floor);
        break;
    }
    case OScrollAction::First:
        top = floor;
        break;
    case OScrollAction::Last:
        top = LastPageTop();
        break;
    case OScrollAction::End:
        return;
    }
    PullCaretIntoRows();
}

void ORecordView::ScrollHorizontal(OScrollAction action, int thumbPosition) {
    const int w = Width();
    const int visible = m_visibleBytes;
    int& shift = m_settings.columnShift;
    switch (action) {
    case OScrollAction::LineBack:
        if (shift > 0)
            --shift;
        else if (Caret() != RecordStart(Caret()))
            --m_settings.caretOffset;
        break;
    case OScrollAction::LineForward:
        if (shift + visible < w)
            ++shift;
        else if (Caret() < LastVisibleColumnOffset(Caret()))
            ++m_settings.caretOffset;
        break;
    case OScrollAction::PageBack:
        shift = std::max(0, shift - visible);
        break;
    case OScrollAction::PageForward:
        shift += visible;
        if (shift + visible > w) shift = w - visible;
        break;
    case OScrollAction::Thumb:
        shift = thumbPosition;
        break;
    case OScrollAction::First:
        shift = 0;
        break;
    case OScrollAction::Last:
        shift = w - visible;
        break;
    case OScrollAction::End:
        return;
    }
    shift = std::clamp(shift, 0, std::max(0, w - visible));
    PullCaretIntoColumns();
}

void ORecordView::ScrollRowsBy(OOffset rows) {
    const OOffset top = Narrow(OWide{Top()} + OWide{rows} * Width());
    m_settings.topOffset = top < -Phase() ? -Phase() : LimitTop(top);
    PullCaretIntoRows();
}

void ORecordView::ScrollColumnsBy(int columns) {
    if (m_visibleBytes >= Width()) return;
    m_settings.columnShift = static_cast<int>(std::clamp<long long>(
        static_cast<long long>(ColumnShift()) + columns, 0, Width() - m_visibleBytes));
    PullCaretIntoColumns();
}

void ORecordView::UpdateScrollShift() {
    const OOffset length = FileLength();
    unsigned shift = 0;
    while ((length >> shift) > INT_MAX)
        shift += 4;
    m_scrollShift = shift;
}

OScrollBarState ORecordView::VerticalBar() const {
    OScrollBarState bar;
    const OWide w = Width();
    bar.maximum = static_cast<int>((OWide{FileLength()} + Phase()) / w >> m_scrollShift);
    bar.page = static_cast<int>(OWide{m_rows} >> m_scrollShift);
    bar.position = static_cast<int>((OWide{Top()} + Phase()) / w >> m_scrollShift);
    bar.lastPosition = static_cast<int>((OWide{LastPageTop()} + Phase()) / w >> m_scrollShift);
    bar.visible = bar.page <= bar.maximum;
    return bar;
}

OScrollBarState ORecordView::HorizontalBar() const {
    OScrollBarState bar;
    bar.maximum = Width();
    bar.page = m_visibleBytes + 1;
    bar.position = ColumnShift();
    bar.lastPosition = std::max(0, bar.maximum - bar.page + 1);
    bar.visible = bar.page <= bar.maximum;
    return bar;
}

void ScrollInStep(ORecordView& source, bool vertical, OScrollAction action, int thumbPosition,
                  std::span<ORecordView* const> others) {
    const OOffset oldTop = source.Top();
    const int oldShift = source.ColumnShift();
    if (vertical)
        source.ScrollVertical(action, thumbPosition);
    else
        source.ScrollHorizontal(action, thumbPosition);
    if (!source.SyncScroll() || source.FileLength() == 0 || g_passingScroll) return;
    g_passingScroll = true;
    for (ORecordView* other : others) {
        if (!other || other == &source || !other->SyncScroll() || other->FileLength() == 0)
            continue;
        if (action == OScrollAction::Thumb) {
            if (vertical)
                other->ScrollRowsBy((source.Top() - oldTop) / source.Width());
            else
                other->ScrollColumnsBy(source.ColumnShift() - oldShift);
        } else if (vertical) {
            other->ScrollVertical(action);
        } else {
            other->ScrollHorizontal(action);
        }
    }
    g_passingScroll = false;
}
