#pragma once

#include "platform/OTypes.h"

#include <array>
#include <cstdint>
#include <string>

// The roles of the palette's colours, in its order.
namespace palette {
enum Role : int {
    kGutterBack,
    kOffsetBack,
    kOffsetText,
    kHexBack,
    kHexText,
    kHexGroupLine,
    kTextBack,
    kTextText,
    kCaretBackFocused,
    kCaretTextFocused,
    kCaretBack,
    kCaretText,
    kSeparatorOuter,
    kSeparatorMiddle,
    kSeparatorInner,
    kMarkerBack,
    kMarkerText,
    kSelectionBack,
    kSelectionText,
    kOffsetMarkerBack,
    kOffsetMarkerText,
    kLastFoundBack,
    kLastFoundText,
    kChangedText,
    kChangedTextSelected,
};
} // namespace palette

// How one document window shows its file: the state a view holds and a
// save-file entry keeps for the file, with the display options that every
// new window copies from the program's settings.
struct OViewSettings {
    static constexpr int kPaletteSize = 25;
    static const std::array<std::uint32_t, kPaletteSize> kDefaultPalette;

    OOffset caretOffset = 0;
    int columnShift = 0;
    OOffset topOffset = 0;
    int phase = 0;
    std::array<std::uint32_t, kPaletteSize> palette = kDefaultPalette; // 0x00BBGGRR
    std::string fontName = "Courier";
    bool fitRecord = false;
    bool markerJumpWrap = true;
    bool paneOffset = true;
    bool readVisibleColumnsOnly = true;
    bool paneHex = true;
    bool paneText = true;
    int activePane = 1; // 1 hex, 0 text
    bool restorePending = false;
    bool oemCharacters = false;
    bool readOnly = true;
    int dragTimerInterval = 16; // milliseconds
    int recordWidth = 16;
    int maxRecordWidth = 1048576;
    int hexGroupSize = 4;
    int fontSize = 9;   // points
    int paneMargin = 3; // pixels
    char placeholderChar = '.';
};
