#pragma once

#include "doc/ODoc.h"
#include "doc/ODocView.h"
#include "platform/OCommandTarget.h"
#include "view/OPaneLayout.h"
#include "view/ORecordView.h"
#include "view/ORowModel.h"

#include <QAbstractScrollArea>
#include <functional>
#include <memory>
#include <vector>

// A document window's view: the gutter and the offset, hex and text panes
// over the record model. Holds its own copy of the settings and shares
// ownership of its document, which lives while any view shows it.
class OView : public QAbstractScrollArea,
              public RecordView,
              public ODocView,
              public OCommandTarget {
    Q_OBJECT
public:
    // The other views that scroll in step with this one.
    using PeerSource = std::function<std::vector<RecordView*>(OView&)>;
    static void SetPeerSource(PeerSource source);

    OView(std::shared_ptr<ODoc> doc, const OSettings& settings, QWidget* parent = nullptr);
    ~OView() override;

    ODoc& Doc() const { return *m_doc; }
    const std::shared_ptr<ODoc>& SharedDoc() const { return m_doc; }
    // Applies a requested record width without redrawing (negative: keep).
    void ApplyRecordWidth(int requested) { SetRecordWidth(requested); }
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

    OOffset FileLength() const override;
    void OnUpdate() override;
    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, OCmdUI& ui) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void CreateFont();
    void SyncScrollBars();
    void OnScrollAction(bool vertical, int action);
    void Scroll(bool vertical, OScrollAction action, int thumb = 0);
    void PaintRow(QPainter& painter, const ORowPaint& row, int y);
    void PaintFrame(QPainter& painter, int rowsDrawn);

    std::shared_ptr<ODoc> m_doc;
    OPaneLayout m_layout;
    ORowModel m_model;
    ORowPaint m_row;
    QFont m_font;
    ORowModel::OffsetMode m_offsetMode = ORowModel::OffsetMode::RowOffset;
    bool m_syncingBars = false;
    bool m_hasFocus = false;
};
