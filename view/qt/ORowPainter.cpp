#include "view/qt/ORowPainter.h"

#include "view/ORecordView.h"

#include <QPainter>
#include <algorithm>

using namespace palette;

namespace {

std::uint32_t Pick(std::uint32_t colour, std::uint32_t paneColour) {
    return colour == kPaneColour ? paneColour : colour;
}

// A byte that could not be read shows as "??" and, in the text pane, as
// U+FFFD: neither stands for a byte in either code page.
int HexDigits(const OCellPaint& cell, QChar* out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (cell.unreadable) {
        out[0] = out[1] = QLatin1Char('?');
        return 2;
    }
    if (!cell.present || cell.offset < 0) return 0;
    out[0] = QLatin1Char(kDigits[cell.value >> 4]);
    out[1] = QLatin1Char(kDigits[cell.value & 15]);
    return 2;
}

int TextCharacter(const OCellPaint& cell, QChar* out) {
    if (cell.unreadable) {
        out[0] = QChar(QChar::ReplacementCharacter);
        return 1;
    }
    if (!cell.present || cell.offset < 0 || cell.character == U' ') return 0;
    const char32_t ch = cell.character;
    if (!QChar::requiresSurrogates(ch)) {
        out[0] = QChar(static_cast<char16_t>(ch));
        return 1;
    }
    out[0] = QChar(QChar::highSurrogate(ch));
    out[1] = QChar(QChar::lowSurrogate(ch));
    return 2;
}

} // namespace

QColor ORowPainter::Colour(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void ORowPainter::PaintRow(QPainter& painter, const ORowPaint& row, int y) {
    const auto& palette = m_geometry.Settings().palette;
    const int lineHeight = m_layout.lineHeight;
    const int cw = m_layout.charWidth;
    PaintGutter(painter, row, y);

    if (m_layout.offsetOn) {
        const ORect& o = m_layout.offset;
        painter.fillRect(o.left, y, o.Width(), lineHeight, Colour(palette[kOffsetBack]));
        painter.setPen(Colour(palette[kOffsetText]));
        // One string kept for every row's offset, so a paint allocates nothing.
        m_offsetText.resize(static_cast<qsizetype>(row.offsetText.size()));
        for (std::size_t i = 0; i < row.offsetText.size(); ++i)
            m_offsetText[static_cast<qsizetype>(i)] = QLatin1Char(row.offsetText[i]);
        const int width = static_cast<int>(m_offsetText.size()) * cw;
        painter.drawText(m_layout.offsetText.right - width, y + m_ascent, m_offsetText);
    }
    if (m_layout.hexOn) {
        PaintCells(painter, row, y,
                   {m_layout.hex, m_layout.hexText.left, 3 * cw, 2 * cw, palette[kHexBack],
                    palette[kHexText]},
                   HexDigits);
    }
    if (m_layout.textOn) {
        PaintCells(
            painter, row, y,
            {m_layout.text, m_layout.textText.left, cw, cw, palette[kTextBack], palette[kTextText]},
            TextCharacter);
    }
}

// Markers beginning in the record (left quarter), ending (right quarter),
// one byte long (a circle in the middle).
void ORowPainter::PaintGutter(QPainter& painter, const ORowPaint& row, int y) {
    const int lineHeight = m_layout.lineHeight;
    const ORect& g = m_layout.gutter;
    painter.fillRect(g.left, y, g.Width(), lineHeight,
                     Colour(m_geometry.Settings().palette[kGutterBack]));
    const int quarter = g.Width() / 4;
    auto mark = [&](const OGutterMark& m, int left) {
        if (m.count == 0) return;
        const QRect r(left, y + 1, quarter, lineHeight - 2);
        if (m.count == 1)
            painter.fillRect(r, Colour(m.colour));
        else {
            painter.setPen(Qt::black);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
    };
    mark(row.begins, g.left);
    mark(row.ends, g.right - quarter);
    if (row.points.count > 0) {
        const int d = std::min(8, lineHeight);
        const QRect r(g.left + (g.Width() - d) / 2, y + (lineHeight - d) / 2, d - 1, d - 1);
        painter.setPen(Qt::black);
        painter.setBrush(row.points.count == 1 ? QBrush(Colour(row.points.colour)) : Qt::NoBrush);
        painter.drawEllipse(r);
        painter.setBrush(Qt::NoBrush);
    }
}

// 1. The pane's colour before the first cell.
// 2. Backgrounds as runs of one colour: a cell and its gap may differ.
// 3. Each cell's characters at its grid position, since a font's advance may
//    be fractional and a whole row as one string would drift.
// 4. The pane's colour after the last cell.
void ORowPainter::PaintCells(QPainter& painter, const ORowPaint& row, int y, const CellPane& pane,
                             Glyphs glyphs) {
    const int lineHeight = m_layout.lineHeight;
    const std::vector<OCellPaint>& cells = row.cells;
    const int count = static_cast<int>(cells.size());
    painter.fillRect(pane.area.left, y, pane.left - pane.area.left, lineHeight, Colour(pane.back));

    int runStart = pane.left;
    std::uint32_t runColour = count ? Pick(cells[0].background, pane.back) : pane.back;
    auto extend = [&](int x, std::uint32_t colour) {
        if (colour == runColour) return;
        painter.fillRect(runStart, y, x - runStart, lineHeight, Colour(runColour));
        runStart = x;
        runColour = colour;
    };
    const bool gaps = pane.width < pane.step;
    for (int c = 0; c < count; ++c) {
        const int x = pane.left + c * pane.step;
        extend(x, Pick(cells[c].background, pane.back));
        if (gaps && c + 1 < count) extend(x + pane.width, Pick(cells[c].gap, pane.back));
    }
    const int cellsRight = count ? pane.left + (count - 1) * pane.step + pane.width : pane.left;
    extend(cellsRight, runColour + 1); // flush the last run

    std::uint32_t pen = kPaneColour;
    const int baseline = y + m_ascent;
    for (int c = 0; c < count; ++c) {
        // A view of a stack buffer: no string is allocated per cell.
        QChar chars[2];
        const int length = glyphs(cells[c], chars);
        if (length == 0) continue;
        const std::uint32_t text = Pick(cells[c].foreground, pane.text);
        if (text != pen) {
            painter.setPen(Colour(text));
            pen = text;
        }
        painter.drawText(QPointF(pane.left + c * pane.step, baseline),
                         QString::fromRawData(chars, length));
    }
    painter.fillRect(cellsRight, y, pane.area.right - cellsRight, lineHeight, Colour(pane.back));
}

void ORowPainter::PaintFrame(QPainter& painter, const QRect& client, int rowsDrawn, bool empty) {
    const OViewSettings& settings = m_geometry.Settings();
    const auto& palette = settings.palette;
    const int top = rowsDrawn * m_layout.lineHeight;
    const int bottom = client.height();
    auto fillBelow = [&](const ORect& r, int role) {
        if (r.Width() > 0 && bottom > top)
            painter.fillRect(r.left, top, r.Width(), bottom - top, Colour(palette[role]));
    };
    fillBelow(m_layout.gutter, kGutterBack);
    if (m_layout.offsetOn) fillBelow(m_layout.offset, kOffsetBack);
    if (m_layout.hexOn) fillBelow(m_layout.hex, kHexBack);
    if (m_layout.textOn) fillBelow(m_layout.text, kTextBack);
    for (const ORect* s : {&m_layout.separator1, &m_layout.separator2}) {
        if (s->Width() < 3) continue;
        const int colours[] = {kSeparatorOuter, kSeparatorMiddle, kSeparatorInner};
        for (int i = 0; i < 3; ++i) {
            painter.setPen(Colour(palette[colours[i]]));
            painter.drawLine(s->left + i, 0, s->left + i, bottom);
        }
    }
    if (empty) {
        painter.setPen(QColor(0xA0, 0xA0, 0xA0));
        painter.drawText(client, Qt::AlignCenter, QStringLiteral("Nothing show"));
        return;
    }
    if (m_layout.hexOn) {
        // Lines stay with the record columns when the view shifts sideways.
        painter.setPen(Colour(palette[kHexGroupLine]));
        const int group = std::max(1, settings.hexGroupSize);
        const int cw = m_layout.charWidth;
        for (int c = 1; c < m_geometry.VisibleBytes(); ++c) {
            if ((m_geometry.ColumnShift() + c) % group != 0) continue;
            const int x = m_layout.hexText.left + c * 3 * cw - cw / 2 - 1;
            painter.drawLine(x, m_layout.hex.top, x, bottom);
        }
    }
}
