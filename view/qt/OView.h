#pragma once

#include "document/ODoc.h"
#include "document/ODocView.h"
#include "document/OEditContext.h"
#include "platform/OCommandTarget.h"
#include "view/OPaneLayout.h"
#include "view/ORecordView.h"
#include "view/ORowModel.h"
#include "view/OViewInput.h"
#include "view/qt/ORowPainter.h"
#include "view/qt/OViewHost.h"
#include "view/qt/OViewToolTip.h"

#include <QAbstractScrollArea>
#include <memory>
#include <optional>
#include <vector>

// A document window's view: the gutter and the offset, hex and text panes
// over the record model. Holds its own copy of the settings and shares
// ownership of its document, which lives while any view shows it.
class OView : public QAbstractScrollArea,
              public ODocView,
              public OCommandTarget,
              public OEditContext {
    Q_OBJECT
public:
    // host may be null (a view on its own); otherwise it outlives the view.
    OView(std::shared_ptr<ODoc> doc, const OViewSettings& settings, OViewHost* host = nullptr,
          QWidget* parent = nullptr);
    ~OView() override;

    ODoc& Doc() const { return *m_doc; }
    const std::shared_ptr<ODoc>& SharedDoc() const { return m_doc; }
    // Where the records lie on screen: caret, top, width, scrolling.
    ORecordView& Geometry() { return m_geometry; }
    const ORecordView& Geometry() const { return m_geometry; }
    OViewSettings& Settings() { return m_geometry.Settings(); }
    const OViewSettings& Settings() const { return m_geometry.Settings(); }
    // Applies a requested record width without redrawing (negative: keep).
    void ApplyRecordWidth(int requested) { m_geometry.SetRecordWidth(requested); }
    // Once, when the window is first shown: for the document's first view
    // its read-only mode from this view (an empty file is always writable);
    // then the font and the width.
    void OnInitialUpdate(bool firstView);
    // Measures the font and lays the panes out; then repaints.
    void Relayout();
    const OPaneLayout& PaneLayout() const { return m_layout; }
    ORowModel::OffsetMode OffsetMode() const { return m_offsetMode; }
    void SetOffsetMode(ORowModel::OffsetMode mode);
    const QFont& ViewFont() const { return m_font; }
    const OViewToolTip& ToolTip() const { return m_toolTip; }
    // The record bar shows the width in hexadecimal.
    bool HexBase() const { return m_hexBase; }
    // What the update rules read: the document's state with this view's.
    OCommandState CommandState() const;

    OViewInput& Input() { return m_input; }

    OOffset CaretOffset() const override { return m_geometry.Caret(); }
    bool OemCharacters() const override { return Settings().oemCharacters; }
    bool ShiftHeld() const override;
    void MoveCaretAfterEdit(OOffset offset) override;

    void OnUpdate() override;
    void OnEdit(const OEdit& edit) override { m_geometry.FollowEdit(edit); }
    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Tab types into the view (it switches panes), it does not move the focus.
    bool focusNextPrevChild(bool) override { return false; }
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateFont();
    void ChangeFont();
    bool MarkerJumpWrap() const;
    std::vector<OView*> InStepPeers() const;
    // What the pane layout is computed from, for a file of length bytes.
    OPaneLayout::Input LayoutInput(OOffset length) const;
    void SyncScrollBars();
    void OnScrollAction(bool vertical, int action);
    void Scroll(bool vertical, OScrollAction action, int thumb = 0);
    void PaintCaret(QPainter& painter);
    ORowModel::ReadResult ReadForPaint(OOffset offset, OByte* buffer, std::uint8_t* changed,
                                       std::size_t count);
    void ReportPaintReads();
    void Changed(bool changed);
    void DragTo(QPoint point);
    void StopDragTimer();

    std::shared_ptr<ODoc> m_doc;
    OViewHost* m_host;
    ORecordView m_geometry;
    // While set, the geometry's length: a paint or a layout reads it once.
    std::optional<OOffset> m_pinnedLength;
    OOffset m_layoutLength = 0;
    bool m_paintLengthKnown = true;
    bool m_paintReadFailed = false;
    bool m_readFailureShown = false; // until a paint reads all it shows
    OPaneLayout m_layout;
    OPaneLayout::Input m_laidOut; // what m_layout was last computed from
    bool m_laidOutFitting = false;
    ORowModel m_model;
    ORowPaint m_row;
    ORowPainter m_painter{m_layout, m_geometry};
    QFont m_font;
    ORowModel::OffsetMode m_offsetMode = ORowModel::OffsetMode::RowOffset;
    OViewInput m_input{m_geometry, *m_doc};
    QPoint m_pressPoint;
    bool m_pressed = false;
    bool m_dragging = false;
    int m_dragTimer = 0;
    bool m_syncingBars = false;
    bool m_hasFocus = false;
    int m_charHeight = 0; // of the font: the caret bar's size
    int m_caretWidth = 2;
    bool m_shiftHeld = false;
    OViewToolTip m_toolTip{*viewport()};
    bool m_hexBase = false;
    int m_wheelDelta = 0; // of the last direction, less than a row's worth
    bool m_wheelPixels = false;
};
