#include "view/OValueTip.h"

#include "document/ODoc.h"
#include "platform/ODateText.h"
#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"
#include "platform/OSystem.h"
#include "view/OPaneLayout.h"
#include "view/ORecordView.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

namespace {

std::uint64_t LittleEndian(const OByte* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

// The value lines of up to 8 bytes, each only when all its bytes are there.
std::string ValueLines(const OByte* bytes, std::size_t count) {
    std::string text;
    if (count >= 1) {
        const auto v = static_cast<std::uint8_t>(LittleEndian(bytes, 1));
        text += Format("\nByte = %.2X | %d | %u", v, static_cast<std::int8_t>(v), v);
    }
    if (count >= 2) {
        const auto v = static_cast<std::uint16_t>(LittleEndian(bytes, 2));
        text += Format("\nWord = %.4X | %d | %u", v, static_cast<std::int16_t>(v), v);
    }
    std::uint32_t dword = 0;
    if (count >= 4) {
        dword = static_cast<std::uint32_t>(LittleEndian(bytes, 4));
        text += Format("\nDword = %.8X | %d | %u", dword, static_cast<std::int32_t>(dword), dword);
    }
    std::uint64_t qword = 0;
    if (count >= 8) {
        qword = LittleEndian(bytes, 8);
        text += Format("\nQword = %.16llX | %lld | %llu", static_cast<unsigned long long>(qword),
                       static_cast<long long>(static_cast<std::int64_t>(qword)),
                       static_cast<unsigned long long>(qword));
    }
    if (count >= 4) {
        const std::string time = CTimeText(static_cast<std::int32_t>(dword));
        if (!time.empty()) text += "\nTime_t = " + time;
    }
    if (count >= 8) {
        const std::string fileTime = FileTimeText(qword);
        if (!fileTime.empty()) text += "\nFiletime = " + fileTime;
        const std::string oleDate = OleDateText(std::bit_cast<double>(qword));
        if (!oleDate.empty()) text += "\nOleDate = " + oleDate;
    }
    return text;
}

// from + count, stopping at the largest offset.
OOffset SaturatingAdd(OOffset from, OOffset count) {
    OOffset sum = 0;
    return __builtin_add_overflow(from, count, &sum) ? kOffsetMax : sum;
}

} // namespace

std::string GutterTipText(ODoc& doc, OOffset recordStart, int recordWidth) {
    const OOffset end = SaturatingAdd(recordStart, recordWidth);
    std::string text;
    const ORange& selection = doc.Selection();
    for (const ORange* range : {&selection, &std::as_const(doc.LastFound())})
        if (range->Overlaps(recordStart, end)) text += range->Label();
    text += doc.Markers().LabelsOverlapping(recordStart, end);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::string LengthTipText(OOffset fileLength, int recordWidth) {
    return Format("Filelength(hex) = %s\nFilelength(dec) = %lld\nRecords = %lld",
                  MessageHex(fileLength).c_str(), static_cast<long long>(fileLength),
                  static_cast<long long>(fileLength / std::max(1, recordWidth)));
}

std::string ValueTipText(ODoc& doc, const ORecordView& geometry, OOffset offset,
                         OOffset fileLength) {
    if (offset < 0 || offset > fileLength) return {};
    std::array<OByte, 8> bytes{};
    const auto wanted =
        static_cast<std::size_t>(std::min<OOffset>(fileLength - offset, bytes.size()));
    std::size_t count = 0;
    if (wanted > 0) {
        SetLastError(0);
        count = doc.ReadShown(offset, bytes.data(), wanted);
        if (LastError() != 0) return {};
    }
    return Format("Offset = %s\nLeft = %d", MessageHex(offset).c_str(), geometry.ColumnOf(offset)) +
           ValueLines(bytes.data(), count);
}

std::string TipTextAt(ODoc& doc, const OPaneLayout& layout, const ORecordView& geometry,
                      bool valueTips, int x, int y) {
    if (!geometry.MetricsValid()) return {};
    const OPane pane = layout.PaneAt(x, y);
    if (pane == OPane::None) return {};
    OOffset length = 0;
    if (!doc.QuietShownLength(length)) return {};
    switch (pane) {
    case OPane::Gutter: {
        const int row = (y - layout.gutter.top) / layout.lineHeight;
        const OOffset recordStart = SaturatingAdd(
            geometry.Top(), static_cast<OOffset>(row) * static_cast<OOffset>(geometry.Width()));
        return GutterTipText(doc, recordStart, geometry.Width());
    }
    case OPane::Offset:
        return LengthTipText(length, geometry.Width());
    case OPane::Hex:
    case OPane::Text: {
        int row = 0;
        int column = 0;
        if (!valueTips || !layout.CellAt(x, y, row, column)) return {};
        // -1 (no cell) and cells of a top row before the file start alike.
        const OOffset offset = geometry.CellOffset(row, column);
        return ValueTipText(doc, geometry, offset, length);
    }
    case OPane::None:
        break;
    }
    return {};
}
