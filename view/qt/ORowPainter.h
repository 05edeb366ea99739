#pragma once

#include "view/OPaneLayout.h"
#include "view/ORowModel.h"

#include <QColor>
#include <QString>
#include <cstdint>

class ORecordView;
class QPainter;
class QRect;

// Draws what the row model computed: each row's gutter marks, offset and
// cells in the hex and text panes, and below the rows the panes' own
// colours, the separators and the hex group lines. Reads the layout and the
// geometry it was made with (both must outlive it); keeps its one string
// between paints, so drawing allocates nothing once warm.
class ORowPainter {
public:
    ORowPainter(const OPaneLayout& layout, const ORecordView& geometry)
        : m_layout(layout), m_geometry(geometry) {}

    // Palette values are stored as 0x00BBGGRR.
    static QColor Colour(std::uint32_t value);

    // The font's ascent, measured with the layout: each row's baseline.
    void SetAscent(int ascent) { m_ascent = ascent; }
    // One row at y, the whole width of the window.
    void PaintRow(QPainter& painter, const ORowPaint& row, int y);
    // Everything below the rowsDrawn rows, and the lines over all rows; an
    // empty file says so across client.
    void PaintFrame(QPainter& painter, const QRect& client, int rowsDrawn, bool empty);

private:
    // A byte pane's cells: where they stand and the pane's own colours.
    struct CellPane {
        const ORect& area;
        int left;  // of the first cell
        int step;  // from a cell to the next
        int width; // of a cell; the rest of the step is its gap
        std::uint32_t back;
        std::uint32_t text;
    };
    // Writes a cell's characters; returns how many (0: nothing to draw).
    using Glyphs = int (*)(const OCellPaint& cell, QChar* out);

    void PaintGutter(QPainter& painter, const ORowPaint& row, int y);
    void PaintCells(QPainter& painter, const ORowPaint& row, int y, const CellPane& pane,
                    Glyphs glyphs);

    const OPaneLayout& m_layout;
    const ORecordView& m_geometry;
    int m_ascent = 0;
    QString m_offsetText;
};
