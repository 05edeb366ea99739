#pragma once

#include "platform/OTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// Colours are 0x00BBGGRR: red in the low byte.
inline constexpr std::uint32_t kMarkerBackground = 0x80FFFF;
inline constexpr std::uint32_t kMarkerForeground = 0x000000;
inline constexpr std::uint32_t kOffsetMarkerBackground = 0x8C8CFF;
inline constexpr std::uint32_t kOffsetMarkerForeground = 0xFFFFFF;
inline constexpr std::uint32_t kSelectionBackground = 0x000000;
inline constexpr std::uint32_t kSelectionForeground = 0xFFFFFF;
inline constexpr std::uint32_t kLastFoundBackground = 0x80FF80;
inline constexpr std::uint32_t kLastFoundForeground = 0x000000;

inline constexpr const char* kSelectionTitle = "<Selected>";
inline constexpr const char* kLastFoundTitle = "<Last found>";

// A coloured span of bytes, begin and end inclusive: the selection, the last
// search match or a marker. A range whose length is 0 or less is empty. An
// empty range made here has begin = end = -1, or exactly one end set and the
// other -1: a selection whose begin or end was set on its own, waiting for
// the other. Such a one-ended range is empty to every query (length 0, it
// contains and overlaps nothing, has no text); only OneEnded() and Begin()
// or End() tell it apart.
//
// Every operation is free of overflow for any offsets, including those near
// 2^63: lengths that would not fit are shortened instead.
class ORange {
public:
    explicit ORange(std::uint32_t background = kMarkerBackground,
                    std::uint32_t foreground = kMarkerForeground, std::string title = {})
        : m_title(std::move(title)), m_background(background), m_foreground(foreground) {}
    ORange(const ORange&) = default;
    ORange& operator=(const ORange&) = default;
    ORange(ORange&&) = default;
    ORange& operator=(ORange&&) = default;
    virtual ~ORange() = default;

    OOffset Begin() const { return m_begin; }
    OOffset End() const { return m_end; }
    OOffset Length() const { return m_length; }
    bool IsEmpty() const { return m_length <= 0; }
    // Exactly one end set: the other is -1 and the length 0.
    bool OneEnded() const { return m_length <= 0 && (m_begin == -1) != (m_end == -1); }

    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }
    std::uint32_t Background() const { return m_background; }
    std::uint32_t Foreground() const { return m_foreground; }
    void SetColors(std::uint32_t background, std::uint32_t foreground) {
        m_background = background;
        m_foreground = foreground;
    }

    // Orders the two offsets. -1 leaves that end unset: with one end -1 the
    // range keeps the other where it was passed (begin or end) and is
    // one-ended; with both it is reset. A span longer than 2^63 - 1 bytes
    // keeps its begin and ends at the longest length that fits. Returns the
    // length (0 unless both ends are set); title and colours stay.
    OOffset Set(OOffset x, OOffset y);
    void Reset();
    // Begin, end and length of other; title and colours stay.
    void CopyPosition(const ORange& other);
    // Equal as the marker list sees it: same begin, end and length.
    bool SamePosition(const ORange& other) const {
        return m_begin == other.m_begin && m_end == other.m_end && m_length == other.m_length;
    }

    // 0 outside the range (or when empty), 1 on its last byte, 2 on any
    // other byte of it; the colours are written unless 0 is returned.
    int Contains(OOffset offset, std::uint32_t* background = nullptr,
                 std::uint32_t* foreground = nullptr) const;
    // Moves the range, length unchanged. An empty range, one-ended or not,
    // stays as it is; a shift past the 64-bit limits stops at them.
    void Shift(OOffset delta);
    // For a file of size bytes: a range starting at or past the end is reset
    // (false); one reaching past it is cut at size - 1. A one-ended range
    // whose end lies at or past the end is reset (false); other empty ranges
    // survive.
    bool ClipTo(OOffset size);
    // False when empty; otherwise whether begin or end lies in [from, to) or
    // from lies in the range. For from < to that is an overlap with
    // [from, to - 1].
    bool Overlaps(OOffset from, OOffset to) const;

    // "[begin]" for one byte, else "length[begin-end]", then the title and a
    // newline; numbers as MessageHex. For tooltips.
    std::string Label() const;
    // The save-file form "0xBEGIN,0xEND,background,foreground,title": a
    // colour equal to the marker default and an empty title are left out
    // (their commas stay, apart from the title's). Empty for an empty range.
    std::string ToText() const;
    // Reads the ToText form, replacing position, colours and title. Missing
    // or unreadable colours take the marker defaults; unreadable positions
    // give an empty range with the marker default colours and no title.
    void FromText(std::string_view text);

private:
    OOffset m_begin = -1;
    OOffset m_end = -1;
    OOffset m_length = 0;
    std::string m_title;
    std::uint32_t m_background;
    std::uint32_t m_foreground;
};

// The last-found range of a document, empty.
ORange MakeLastFoundRange();

// The document's selection: a range plus the offset where the current
// selecting gesture started.
class OSelection : public ORange {
public:
    OSelection() : ORange(kSelectionBackground, kSelectionForeground, kSelectionTitle) {}

    OOffset Anchor() const { return m_anchor; }
    // Selects from the anchor (set to offset when there is none) to offset
    // and shows the selection size in the status bar, in the width class of
    // fileLength. Returns the length.
    OOffset ExtendTo(OOffset offset, OOffset fileLength);
    // Shows "Ready"; true when an anchor was cleared.
    bool ClearAnchor();

private:
    OOffset m_anchor = -1;
};
