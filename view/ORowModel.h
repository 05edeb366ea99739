#pragma once

#include "platform/OOffsetFormat.h"
#include "platform/OTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class OFile;
class OMarkerList;
class ORange;
class OSelection;
class ORecordView;

// A colour that stands for the pane's own colour: each pane has its own
// background and text, and a colour value never has its top byte set.
inline constexpr std::uint32_t kPaneColour = 0xFFFFFFFF;

// One byte cell as painted: what it shows and in which colours
// (0x00BBGGRR). The gap is the blank after a hex cell.
struct OCellPaint {
    OOffset offset = 0;
    char32_t character = U' '; // the text pane's character
    OByte value = 0;
    bool present = false;    // a byte of the file (else the cell is blank)
    bool unreadable = false; // inside the file, but its read failed
    bool caret = false;
    std::uint32_t background = 0;
    std::uint32_t foreground = 0;
    std::uint32_t gap = 0;
};

// A marker indication in the gutter: none, one marker (its colour) or
// several (drawn as a black outline).
struct OGutterMark {
    int count = 0;
    std::uint32_t colour = 0;
};

struct ORowPaint {
    OOffset rowOffset = 0;
    std::string offsetText;
    std::vector<OCellPaint> cells; // the visible columns, reused from row to row
    OGutterMark begins, ends, points;
};

// What the document offers the painter. Any pointer may be null.
struct OPaintSources {
    const OSelection* selection = nullptr;
    const ORange* lastFound = nullptr;
    const OMarkerList* markers = nullptr;
};

// Computes what each visible row shows: the cells' text and colours by the
// precedence of ranges, the offset text and the gutter marks. The shell only
// draws it. One read per row, of the visible columns only; the buffers are
// kept between paints, so painting allocates nothing once warm.
class ORowModel {
public:
    enum class OffsetMode { RowOffset = 1, TrackOffset = 2, RecordNumber = 3 };
    // What a read delivered: the count of bytes from the offset asked for
    // (short at the end of the file), and whether it failed before the end
    // of what was asked for, whose rest then shows as unreadable. The reader
    // also flags each byte read that was typed and not yet saved.
    struct ReadResult {
        std::size_t count = 0;
        bool failed = false;
    };
    using Reader =
        std::function<ReadResult(OOffset, OByte* bytes, std::uint8_t* changed, std::size_t)>;

    // Starts a paint: fixes the range under the caret and the width class.
    void Begin(const ORecordView& view, const OPaintSources& sources, bool focused, OffsetMode mode,
               bool oem, bool readVisibleOnly);
    // Fills out for the row index from the top; false past the end of the file.
    bool BuildRow(int row, ORowPaint& out);
    const ORange* RangeAtCaret() const { return m_rangeAtCaret; }
    // The caret byte's value, once its row was built.
    OByte CaretByte() const { return m_caretByte; }
    void SetReader(Reader reader) { m_reader = std::move(reader); }
    OffsetFormat& Format() { return m_format; }

    // The character a byte shows: its glyph in the chosen code page, or the
    // placeholder for control codes.
    static char32_t Display(OByte value, bool oem, char placeholder);

private:
    void ColourCell(OCellPaint& cell, bool changed) const;

    const ORecordView* m_view = nullptr;
    OPaintSources m_sources;
    Reader m_reader;
    OffsetFormat m_format;
    OffsetMode m_mode = OffsetMode::RowOffset;
    bool m_focused = false;
    bool m_oem = false;
    bool m_readVisibleOnly = true;
    const ORange* m_rangeAtCaret = nullptr;
    OByte m_caretByte = 0;
    std::array<char32_t, 256> m_glyphs{};
    std::vector<OByte> m_rowBuffer; // only ever grow
    std::vector<std::uint8_t> m_rowChanged;
    std::vector<const ORange*> m_overlapping;
};
