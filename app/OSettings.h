#pragma once

#include "platform/OTypes.h"

#include <array>
#include <climits>
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

// Every option of the program and of one document window. One global
// instance holds the application's options and the defaults for new windows;
// each view and each save-file entry holds its own copy.
struct OSettings {
    static constexpr int kPaletteSize = 25;
    static constexpr int kDefaultPosition = INT32_MIN; // the window system chooses

    OOffset caretOffset = 0;
    int columnShift = 0;
    OOffset topOffset = 0;
    int phase = 0;
    std::array<std::uint32_t, kPaletteSize> palette{}; // 0x00BBGGRR
    std::string tempDirectory;                         // empty, or ending in '/'
    std::string fontName;
    bool recordBarTop = true;
    bool tabBarTop = true;
    bool hexBase = false;
    bool fitRecord = false;
    bool maximizeFrames = true;
    bool markerJumpWrap = true;
    bool paneOffset = true;
    bool readVisibleColumnsOnly = true;
    bool paneHex = true;
    bool paneText = true;
    int activePane = 1; // 1 hex, 0 text
    bool restorePending = false;
    bool tooltipUnderOffset = false;
    bool oemCharacters = false;
    bool readOnly = true;
    int dragTimerInterval = 16; // milliseconds
    int backupMode = 1;         // 0 none, 1 one overwritten, 2 four generations
    int recordWidth = 16;
    int maxRecordWidth = 1048576;
    int hexGroupSize = 4;
    int findHistorySize = 0;  // 0 to 32
    int fontSize = 9;         // points
    int paneMargin = 3;       // pixels
    int recentFilesCount = 0; // 0 to 16
    int saveFilesCount = 0;   // 0 to 64
    char placeholderChar = '.';
    int windowWidth = kDefaultPosition;
    int windowHeight = kDefaultPosition;
    int windowLeft = kDefaultPosition;
    int windowTop = kDefaultPosition;

    OSettings() { Reset(); }
    void Reset();
    // Stores dir, adding the trailing '/' to a non-empty one.
    void SetTempDirectory(const std::string& dir);
};
