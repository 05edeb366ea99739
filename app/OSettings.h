#pragma once

#include "view/OViewSettings.h"

#include <climits>
#include <cstdint>
#include <string>

// Every option of the program: the display defaults each new window copies,
// and the options only the application itself uses. One global instance.
struct OSettings : OViewSettings {
    static constexpr int kDefaultPosition = INT32_MIN; // the window system chooses

    std::string tempDirectory; // empty, or ending in '/'
    bool recordBarTop = true;
    bool tabBarTop = true;
    bool hexBase = false;
    bool maximizeFrames = true;
    bool tooltipUnderOffset = false;
    int backupMode = 1;       // 0 none, 1 one overwritten, 2 four generations
    int findHistorySize = 0;  // 0 to 32
    int recentFilesCount = 0; // 0 to 16
    int saveFilesCount = 0;   // 0 to 64
    int windowWidth = kDefaultPosition;
    int windowHeight = kDefaultPosition;
    int windowLeft = kDefaultPosition;
    int windowTop = kDefaultPosition;
    bool windowMaximized = false; // the place above is then the one it is restored to
    // The most bytes a document's undo store holds; 0 for the default, a
    // quarter of the temporary directory's free space at start-up.
    std::uint64_t undoStoreLimit = 0;

    void Reset() { *this = OSettings(); }
    // Stores dir, adding the trailing '/' to a non-empty one.
    void SetTempDirectory(const std::string& dir);
};
