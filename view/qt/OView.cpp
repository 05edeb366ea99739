#include "view/qt/OView.h"

#include "document/OFile.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"
#include "view/OValueTip.h"

#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>
#include <optional>

namespace {

constexpr int kDragThreshold = 4; // pixels the pointer moves before a press becomes a drag

// The keys that move the caret.
std::optional<OKey> NavigationKey(int key) {
    static constexpr std::pair<int, OKey> kKeys[] = {
        {Qt::Key_Left, OKey::Left},     {Qt::Key_Right, OKey::Right},
        {Qt::Key_Up, OKey::Up},         {Qt::Key_Down, OKey::Down},
        {Qt::Key_PageUp, OKey::PageUp}, {Qt::Key_PageDown, OKey::PageDown},
        {Qt::Key_Home, OKey::Home},     {Qt::Key_End, OKey::End},
    };
    for (const auto& [qtKey, navigation] : kKeys) {
        if (qtKey == key) return navigation;
    }
    return std::nullopt;
}

// What a scroll bar's action does to the records.
std::optional<OScrollAction> BarAction(int action) {
    static constexpr std::pair<int, OScrollAction> kActions[] = {
        {QAbstractSlider::SliderSingleStepAdd, OScrollAction::LineForward},
        {QAbstractSlider::SliderSingleStepSub, OScrollAction::LineBack},
        {QAbstractSlider::SliderPageStepAdd, OScrollAction::PageForward},
        {QAbstractSlider::SliderPageStepSub, OScrollAction::PageBack},
        {QAbstractSlider::SliderToMinimum, OScrollAction::First},
        {QAbstractSlider::SliderToMaximum, OScrollAction::Last},
        {QAbstractSlider::SliderMove, OScrollAction::Thumb},
    };
    for (const auto& [barAction, scroll] : kActions) {
        if (barAction == action) return scroll;
    }
    return std::nullopt;
}

// Holds the view's length fixed for a paint or a layout, and restores what
// was there before.
class PinnedLength {
public:
    PinnedLength(std::optional<OOffset>& pin, OOffset length) : m_pin(pin), m_saved(pin) {
        m_pin = length;
    }
    ~PinnedLength() { m_pin = m_saved; }
    PinnedLength(const PinnedLength&) = delete;
    PinnedLength& operator=(const PinnedLength&) = delete;

private:
    std::optional<OOffset>& m_pin;
    std::optional<OOffset> m_saved;
};

} // namespace

bool OView::ShiftHeld() const {
    return m_shiftHeld || QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
}

void OView::MoveCaretAfterEdit(OOffset offset) {
    m_geometry.GoToOffset(offset);
}

void OView::Changed(bool changed) {
    if (changed) m_doc->UpdateAllViews();
}

void OView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (const std::optional<OKey> key = NavigationKey(event->key())) {
        m_input.Navigate(*key, ctrl, shift);
        m_doc->UpdateAllViews();
        for (OView* peer : InStepPeers()) {
            // Shift extends a selection only in another document: this
            // one's was extended already.
            peer->m_input.Navigate(*key, ctrl, shift && peer->m_doc != m_doc);
            peer->m_doc->UpdateAllViews();
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Shift) {
        m_shiftHeld = true;
        return;
    }
    // Control characters type nothing: on X11 Delete arrives as "\x7f".
    QString typed;
    if (!ctrl && !event->modifiers().testFlag(Qt::AltModifier)) {
        for (const QChar c : event->text())
            if (!c.isNull() && c.category() != QChar::Other_Control) typed += c;
    }
    const bool tab = (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && !ctrl;
    const bool backspace = event->key() == Qt::Key_Backspace;
    if (!tab && !backspace && typed.isEmpty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    // Typing changes the file: not while a block move pumps messages.
    if (LongOperationRunning()) {
        SetStatusText(LoadString(ids::IDS_BUSY));
        return;
    }
    if (tab) {
        Changed(m_input.Tab());
    } else if (backspace) {
        Changed(m_input.Backspace());
    } else {
        bool changed = false;
        for (char32_t c : typed.toUcs4())
            changed |= m_input.Type(c, Settings().oemCharacters);
        Changed(changed);
    }
}

// The other windows that move with this one's keys: only while this one
// scrolls in step over a file that is not empty, and only those that do too.
std::vector<OView*> OView::InStepPeers() const {
    std::vector<OView*> peers;
    if (!m_host || !m_geometry.SyncScroll() || m_geometry.FileLength() == 0) return peers;
    for (OView* peer : m_host->PeerViews(*this)) {
        if (peer != this && peer->m_geometry.SyncScroll() && peer->m_geometry.FileLength() > 0)
            peers.push_back(peer);
    }
    return peers;
}

void OView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift && !event->isAutoRepeat()) {
        m_shiftHeld = false;
        m_input.EndGesture();
        viewport()->update();
        // The release goes along with the keys: no window keeps extending.
        for (OView* peer : InStepPeers())
            peer->m_input.EndGesture();
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void OView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    m_pressPoint = event->position().toPoint();
    m_pressed = true;
    m_dragging = false;
    if (m_input.Click(m_layout, m_pressPoint.x(), m_pressPoint.y(), viewport()->height(),
                      MarkerJumpWrap())) {
        m_doc->UpdateAllViews();
    }
}

void OView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint point = event->position().toPoint();
    if (!m_dragging && std::abs(point.x() - m_pressPoint.x()) <= kDragThreshold &&
        std::abs(point.y() - m_pressPoint.y()) <= kDragThreshold)
        return;
    m_dragging = true;
    StopDragTimer();
    DragTo(point);
}

void OView::DragTo(QPoint point) {
    bool scrolled = false;
    const bool changed = m_input.DragTo(m_layout, point.x(), point.y(), &scrolled);
    // Held in an edge band, the view keeps scrolling a row at each tick.
    if (scrolled && m_dragTimer == 0)
        m_dragTimer = startTimer(std::max(1, Settings().dragTimerInterval));
    if (changed || scrolled) {
        m_doc->UpdateAllViews();
    }
}

void OView::StopDragTimer() {
    if (m_dragTimer != 0) killTimer(m_dragTimer);
    m_dragTimer = 0;
}

void OView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_dragTimer) return QAbstractScrollArea::timerEvent(event);
    DragTo(viewport()->mapFromGlobal(QCursor::pos()));
}

void OView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    m_pressed = false;
    m_dragging = false;
    StopDragTimer();
    m_input.EndGesture();
    m_doc->UpdateAllViews();
}

void OView::PaintCaret(QPainter& painter) {
    // A bar before the digit the next keystroke replaces, only while typing
    // is possible here.
    if (!m_hasFocus || m_doc->ReadOnly() || !m_geometry.MetricsValid()) return;
    if (m_geometry.Caret() < m_geometry.Top() ||
        m_geometry.RowIndexOf(m_geometry.Caret()) >= m_geometry.Rows())
        return;
    const int row = static_cast<int>(m_geometry.RowIndexOf(m_geometry.Caret()));
    const int column = m_geometry.ColumnOf(m_geometry.Caret()) - m_geometry.ColumnShift();
    if (column < 0 || column >= m_geometry.VisibleBytes()) return;
    const bool hex = m_input.ActivePane() == 1;
    const int x = m_layout.CellLeft(hex ? OPane::Hex : OPane::Text, column) +
                  (hex ? m_input.Nibble() * m_layout.charWidth : 0);
    painter.fillRect(x, row * m_layout.lineHeight, m_caretWidth, m_charHeight, Qt::black);
}

OView::OView(std::shared_ptr<ODoc> doc, const OViewSettings& settings, OViewHost* host,
             QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(std::move(doc)), m_host(host),
      m_geometry(settings,
                 [this] { return m_pinnedLength ? *m_pinnedLength : m_doc->ShownLength(); }) {
    m_doc->AddView(this);
    m_model.SetReader(
        [this](OOffset offset, OByte* buffer, std::uint8_t* changed, std::size_t count) {
            return ReadForPaint(offset, buffer, changed, count);
        });
    // Every cell is drawn opaque: nothing needs erasing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(true, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(false, action); });
    CreateFont();
}

OView::~OView() {
    m_doc->RemoveView(this);
}

void OView::OnInitialUpdate(bool firstView) {
    if (firstView) m_doc->SetReadOnly(Settings().readOnly);
    if (m_geometry.FileLength() == 0) m_doc->SetReadOnly(false);
    CreateFont();
    m_geometry.SetRecordWidth(Settings().recordWidth);
    Relayout();
}

void OView::CreateFont() {
    const OViewSettings& s = Settings();
    QFont font(QString::fromStdString(s.fontName));
    font.setPointSize(std::max(1, s.fontSize));
    font.setStyleHint(QFont::TypeWriter);
    // Columns line up only in a fixed-pitch face: when the configured one
    // does not resolve to one here, take the system's fixed font.
    if (s.fontName.empty() || !QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(std::max(1, s.fontSize));
    }
    m_font = font;
}

OPaneLayout::Input OView::LayoutInput(OOffset length) const {
    const QFontMetrics metrics(m_font);
    OPaneLayout::Input in;
    in.clientWidth = viewport()->width();
    in.clientHeight = viewport()->height();
    // One advance for every cell, whole pixels: the font is fixed-pitch, and
    // each character is drawn at its cell's grid position.
    in.charWidth = std::max(1, qCeil(QFontMetricsF(m_font).horizontalAdvance(QLatin1Char('0'))));
    in.lineHeight = std::max(1, metrics.height() + metrics.leading());
    in.offsetPane = Settings().paneOffset;
    in.hexPane = Settings().paneHex;
    in.textPane = Settings().paneText;
    in.fileLength = length;
    in.recordWidth = m_geometry.Width();
    in.margin = Settings().paneMargin;
    return in;
}

void OView::Relayout() {
    // Every step of the layout depends on the length: the document is asked
    // once (a layout inside a layout keeps the outer one's).
    m_layoutLength = m_geometry.FileLength();
    const PinnedLength pin(m_pinnedLength, m_layoutLength);
    const QFontMetrics metrics(m_font);
    // Measured here once, not per row painted.
    m_painter.SetAscent(metrics.ascent());
    m_charHeight = metrics.height();
    m_caretWidth = std::max(2, metrics.averageCharWidth() / 8);
    const OPaneLayout::Input in = LayoutInput(m_layoutLength);
    m_layout.Compute(in);
    m_geometry.Layout(m_layout.bytesThatFit, in.clientHeight, in.lineHeight);
    m_laidOut = in;
    m_laidOutFitting = Settings().fitRecord;
    SyncScrollBars();
    viewport()->update();
}

void OView::SetOffsetMode(ORowModel::OffsetMode mode) {
    m_offsetMode = mode;
    viewport()->update();
}

void OView::SyncScrollBars() {
    m_geometry.UpdateScrollShift();
    m_syncingBars = true;
    const bool empty = m_geometry.FileLength() == 0;
    const OScrollBarState v = m_geometry.VerticalBar();
    verticalScrollBar()->setRange(0, v.lastPosition);
    verticalScrollBar()->setPageStep(std::max(1, v.page));
    verticalScrollBar()->setValue(v.position);
    setVerticalScrollBarPolicy(v.visible && !empty ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    const OScrollBarState h = m_geometry.HorizontalBar();
    horizontalScrollBar()->setRange(0, h.lastPosition);
    horizontalScrollBar()->setPageStep(std::max(1, h.page));
    horizontalScrollBar()->setValue(h.position);
    setHorizontalScrollBarPolicy(h.visible && !empty ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
    m_syncingBars = false;
}

void OView::OnScrollAction(bool vertical, int action) {
    if (m_syncingBars) return;
    const std::optional<OScrollAction> scroll = BarAction(action);
    if (!scroll) return;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    Scroll(vertical, *scroll, *scroll == OScrollAction::Thumb ? bar->sliderPosition() : 0);
    // The bar shows the model's position, not the one Qt computed.
    QMetaObject::invokeMethod(
        this, [this] { SyncScrollBars(); }, Qt::QueuedConnection);
}

void OView::Scroll(bool vertical, OScrollAction action, int thumb) {
    std::vector<OView*> peers;
    if (m_host) peers = m_host->PeerViews(*this);
    std::vector<ORecordView*> geometries;
    std::vector<OOffset> carets;
    for (OView* peer : peers) {
        geometries.push_back(&peer->m_geometry);
        carets.push_back(peer->m_geometry.Caret());
    }
    const OOffset caret = m_geometry.Caret();
    m_geometry.UpdateScrollShift();
    ScrollInStep(m_geometry, vertical, action, thumb, geometries);
    // A half-typed digit belongs to the byte it was typed into: a scroll that
    // takes the caret away drops it, even if a later one brings it back.
    if (m_geometry.Caret() != caret) m_input.DropNibble();
    for (std::size_t i = 0; i < peers.size(); ++i) {
        OView* peer = peers[i];
        if (peer != this) {
            if (peer->m_geometry.Caret() != carets[i]) peer->m_input.DropNibble();
            peer->SyncScrollBars();
            peer->viewport()->update();
        }
    }
    SyncScrollBars();
    viewport()->update();
}

void OView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void OView::wheelEvent(QWheelEvent* event) {
    // Three rows a notch of 120, a row per line height of a touchpad's
    // pixels. Fine wheels and touchpads send far less than a row at a time:
    // the deltas add up until they make a row, and a turn the other way
    // starts afresh.
    const bool pixels = !event->pixelDelta().isNull();
    const int delta = pixels ? event->pixelDelta().y() : event->angleDelta().y();
    event->accept();
    if (delta == 0) return;
    const int perRow = pixels ? std::max(1, m_layout.lineHeight) : 40;
    if (pixels != m_wheelPixels || (delta > 0) != (m_wheelDelta > 0)) m_wheelDelta = 0;
    m_wheelPixels = pixels;
    m_wheelDelta += delta;
    const int steps = m_wheelDelta / perRow;
    m_wheelDelta -= steps * perRow;
    for (int i = 0; i < std::abs(steps); ++i)
        Scroll(true, steps > 0 ? OScrollAction::LineBack : OScrollAction::LineForward);
}

void OView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_layout.PaneAt(p.x(), p.y()) != OPane::Offset) return;
    // Record offset -> track offset -> record number; the track offset only
    // when part of the record is hidden.
    using M = ORowModel::OffsetMode;
    M next = M::RowOffset;
    switch (m_offsetMode) {
    case M::RowOffset:
        next = m_geometry.VisibleBytes() >= m_geometry.Width() ? M::RecordNumber : M::TrackOffset;
        break;
    case M::TrackOffset:
        next = M::RecordNumber;
        break;
    case M::RecordNumber:
        next = M::RowOffset;
        break;
    }
    m_offsetMode = next;
    m_doc->UpdateAllViews();
}

void OView::focusInEvent(QFocusEvent* event) {
    m_hasFocus = true;
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void OView::focusOutEvent(QFocusEvent* event) {
    m_hasFocus = false;
    m_shiftHeld = false;
    m_input.EndGesture();
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool OView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) Relayout();
    if (event->type() == QEvent::ToolTip) {
        auto& help = static_cast<QHelpEvent&>(*event);
        const bool valueTips = m_host && m_host->TooltipUnderOffset();
        m_toolTip.Show(help,
                       TipTextAt(*m_doc, m_layout, m_geometry, valueTips, help.x(), help.y()));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void OView::OnUpdate() {
    // Laid out again only when something the layout depends on changed (the
    // file's length among them), not at every update: a layout clamps the
    // top and the caret that the command behind the update has just placed.
    const PinnedLength pin(m_pinnedLength, m_geometry.FileLength());
    if (!m_geometry.MetricsValid() || Settings().restorePending ||
        Settings().fitRecord != m_laidOutFitting ||
        LayoutInput(m_geometry.FileLength()) != m_laidOut) {
        Relayout();
        return;
    }
    SyncScrollBars();
    viewport()->update();
}

void OView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(m_font);
    if (!m_geometry.MetricsValid()) {
        painter.fillRect(viewport()->rect(),
                         ORowPainter::Colour(Settings().palette[palette::kHexBack]));
        return;
    }
    // The length once for the whole paint, and without a message box: a
    // paint must not open one. When it cannot be read, the rows the layout
    // counted show as unreadable.
    OOffset length = 0;
    m_paintLengthKnown = m_doc->QuietShownLength(length);
    if (!m_paintLengthKnown) length = m_layoutLength;
    const PinnedLength pin(m_pinnedLength, length);
    m_paintReadFailed = !m_paintLengthKnown;

    OPaintSources sources;
    sources.selection = &m_doc->Selection();
    sources.lastFound = &m_doc->LastFound();
    sources.markers = &m_doc->Markers();
    // A smaller window may have left the caret below it: bring it in before
    // it is drawn, so what a key changes is on screen.
    m_geometry.PullCaretIntoWindow();
    m_model.Begin(m_geometry, sources, m_hasFocus, m_offsetMode, Settings().oemCharacters,
                  Settings().readVisibleColumnsOnly);
    int drawn = 0;
    const int lineHeight = m_layout.lineHeight;
    if (length > 0) {
        while (drawn < m_geometry.Rows() && m_model.BuildRow(drawn, m_row)) {
            m_painter.PaintRow(painter, m_row, drawn * lineHeight);
            ++drawn;
        }
    }
    m_painter.PaintFrame(painter, viewport()->rect(), drawn, length == 0);
    PaintCaret(painter);
    ReportPaintReads();
}

ORowModel::ReadResult OView::ReadForPaint(OOffset offset, OByte* buffer, std::uint8_t* changed,
                                          std::size_t count) {
    if (!m_paintLengthKnown) return {0, true};
    SetLastError(0);
    const std::size_t n = m_doc->ReadShown(offset, buffer, count, changed);
    const bool failed = LastError() != 0;
    m_paintReadFailed |= failed;
    return {n, failed};
}

// Said once, not at every paint: again only after a paint that read all it
// showed.
void OView::ReportPaintReads() {
    if (!m_paintReadFailed) {
        m_readFailureShown = false;
        return;
    }
    if (m_readFailureShown) return;
    m_readFailureShown = true;
    ShowStatus(m_paintLengthKnown ? ids::IDS_READ_ERROR : ids::IDS_FILESIZE_ERROR);
}
