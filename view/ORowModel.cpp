#include "view/ORowModel.h"

#include "document/OFile.h"
#include "markers/OMarkerList.h"
#include "markers/ORange.h"
#include "platform/OCodePage.h"
#include "view/ORecordView.h"
#include "view/OWide.h"

#include <algorithm>
#include <cstring>

using namespace palette;

char32_t ORowModel::Display(OByte value, bool oem, char placeholder) {
    // Control codes have no glyph in either code page's font.
    if (value < 0x20 || value == 0x7F) return static_cast<unsigned char>(placeholder);
    const char32_t c = oem ? OemToUnicode(value) : AnsiToUnicode(value);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return static_cast<unsigned char>(placeholder);
    return c;
}

void ORowModel::Begin(const ORecordView& view, const OPaintSources& sources, bool focused,
                      OffsetMode mode, bool oem, bool readVisibleOnly) {
    m_view = &view;
    m_sources = sources;
    m_focused = focused;
    m_mode = mode;
    m_readVisibleOnly = readVisibleOnly;
    m_format.SetWidthClass(view.FileLength());
    if (m_oem != oem || m_glyphs[0x41] == 0) {
        m_oem = oem;
        for (int b = 0; b < 256; ++b)
            m_glyphs[b] = Display(static_cast<OByte>(b), oem, view.Settings().placeholderChar);
    }
    const OOffset caret = view.Caret();
    m_rangeAtCaret = nullptr;
    if (sources.selection && sources.selection->Contains(caret, nullptr, nullptr) != 0)
        m_rangeAtCaret = sources.selection;
    else if (sources.markers)
        m_rangeAtCaret = sources.markers->SmallestAt(caret);
}

bool ORowModel::BuildRow(int row, ORowPaint& out) {
    const ORecordView& view = *m_view;
    const OOffset length = view.FileLength();
    const int w = view.Width();
    // With a phase the last row may begin just below 2^63 - 1: its columns
    // then run past the largest offset, so sums over them are taken wide.
    const OWide rowStart = OWide{view.Top()} + OWide{row} * w;
    if (rowStart > length) return false;
    const auto rowOffset = static_cast<OOffset>(rowStart);
    out.rowOffset = rowOffset;
    const OWide base = rowStart + view.ColumnShift();

    switch (m_mode) {
    case OffsetMode::RowOffset:
        m_format.HexTo(out.offsetText, rowOffset);
        break;
    case OffsetMode::TrackOffset:
        m_format.HexTo(out.offsetText, Narrow(base));
        break;
    case OffsetMode::RecordNumber:
        m_format.DecimalTo(out.offsetText, view.RecordNumber(rowOffset));
        break;
    }

    // Read the visible columns that lie inside the file.
    const int visible = view.VisibleBytes();
    const auto count = static_cast<std::size_t>(visible);
    if (m_rowBuffer.size() < count) {
        m_rowBuffer.resize(count);
        m_rowChanged.resize(count);
    }
    const OWide first = std::max<OWide>(base, 0);
    const OWide last = std::min<OWide>(base + visible - 1, length - 1);
    std::size_t presentFrom = 0;
    std::size_t presentTo = 0;
    std::size_t unreadableTo = 0;
    if (first <= last && m_reader) {
        presentFrom = static_cast<std::size_t>(first - base);
        const auto asked = static_cast<std::size_t>(last - first + 1);
        const ReadResult read =
            m_reader(static_cast<OOffset>(first), m_rowBuffer.data() + presentFrom,
                     m_rowChanged.data() + presentFrom, asked);
        presentTo = presentFrom + std::min(read.count, asked);
        unreadableTo = read.failed ? presentFrom + asked : presentTo;
    }

    // Markers touching the visible cells, once per row: each cell then looks
    // only at these. The gutter speaks for the whole record.
    m_overlapping.clear();
    const OOffset recordLast = Narrow(rowStart + w - 1);
    out.begins = out.ends = out.points = OGutterMark{};
    if (const OMarkerList* markers = m_sources.markers; markers && !markers->Empty()) {
        markers->Overlapping(Narrow(base), Narrow(base + visible - 1), m_overlapping);
        auto mark = [](const ORowMatch& match) {
            return OGutterMark{static_cast<int>(std::min<std::size_t>(match.count, 2)),
                               match.first ? match.first->Background() : 0};
        };
        out.begins = mark(markers->BeginsIn(rowOffset, recordLast));
        out.ends = mark(markers->EndsIn(rowOffset, recordLast));
        out.points = mark(markers->SinglesIn(rowOffset, recordLast));
    }

    out.cells.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        OCellPaint& cell = out.cells[c];
        const OWide at = base + static_cast<OWide>(c);
        cell.present = c >= presentFrom && c < presentTo;
        cell.unreadable = c >= presentTo && c < unreadableTo;
        cell.value = cell.present ? m_rowBuffer[c] : 0;
        cell.character = cell.present ? m_glyphs[cell.value] : U' ';
        if (at > INT64_MAX) {
            // No offset names this cell: no range reaches it, nor the caret.
            cell.offset = INT64_MAX;
            cell.caret = false;
            cell.background = cell.foreground = cell.gap = kPaneColour;
            continue;
        }
        cell.offset = static_cast<OOffset>(at);
        cell.caret = cell.offset == view.Caret();
        if (cell.caret && cell.present) m_caretByte = cell.value;
        ColourCell(cell, cell.present && m_rowChanged[c] != 0);
    }
    return true;
}

void ORowModel::ColourCell(OCellPaint& cell, bool changed) const {
    const auto& palette = m_view->Settings().palette;
    const OOffset o = cell.offset;
    std::uint32_t back = kPaneColour;
    std::uint32_t text = kPaneColour;
    bool inRange = false;
    bool atEnd = false;
    auto take = [&](const ORange* range) {
        if (!range || inRange) return;
        const int where = range->Contains(o, &back, &text);
        if (where != 0) {
            inRange = true;
            atEnd = where == 1;
        }
    };
    take(m_sources.lastFound);
    take(m_rangeAtCaret);
    take(m_sources.selection);
    if (!inRange) {
        const ORange* smallest = nullptr;
        for (const ORange* marker : m_overlapping) {
            if (marker->Begin() <= o && o <= marker->End() &&
                (!smallest || marker->Length() < smallest->Length()))
                smallest = marker;
        }
        take(smallest);
    }
    const OSelection* selection = m_sources.selection;
    if (o >= 0 && selection && selection->OneEnded() &&
        o == std::max(selection->Begin(), selection->End())) {
        back = palette[kSelectionBack];
        text = palette[kSelectionText];
    }
    std::uint32_t gap = inRange && !atEnd ? back : kPaneColour;
    if (cell.caret && (!selection || selection->Anchor() == -1)) {
        back = palette[m_focused ? kCaretBackFocused : kCaretBack];
        text = palette[m_focused ? kCaretTextFocused : kCaretText];
    }
    if (changed) {
        const bool selected = selection && selection->Contains(o, nullptr, nullptr) != 0;
        text = palette[selected ? kChangedTextSelected : kChangedText];
    }
    cell.background = back;
    cell.foreground = text;
    cell.gap = gap;
}
