#include "app/OSettings.h"

namespace {
constexpr std::array<std::uint32_t, OSettings::kPaletteSize> kDefaultPalette = {
    0xCDCDCD, 0xE4E4E4, 0x800000, 0xFFF0F0, 0x000000, 0xCDCDCD, 0xF0FFF0, 0x000000, 0xFFC0C0,
    0x800080, 0xFFC0C0, 0x000000, 0x404040, 0xC5C5C5, 0x404040, 0x80FFFF, 0x000000, 0x000000,
    0xFFFFFF, 0x8C8CFF, 0xFFFFFF, 0x80FF80, 0x000000, 0x0000FF, 0x0000FF};
}

void OSettings::Reset() {
    caretOffset = 0;
    columnShift = 0;
    topOffset = 0;
    phase = 0;
    palette = kDefaultPalette;
    tempDirectory.clear();
    fontName = "Courier";
    recordBarTop = true;
    tabBarTop = true;
    hexBase = false;
    fitRecord = false;
    maximizeFrames = true;
    markerJumpWrap = true;
    paneOffset = true;
    readVisibleColumnsOnly = true;
    paneHex = true;
    paneText = true;
    activePane = 1;
    restorePending = false;
    tooltipUnderOffset = false;
    oemCharacters = false;
    readOnly = true;
    dragTimerInterval = 16;
    backupMode = 1;
    recordWidth = 16;
    maxRecordWidth = 1048576;
    hexGroupSize = 4;
    findHistorySize = 0;
    fontSize = 9;
    paneMargin = 3;
    recentFilesCount = 0;
    saveFilesCount = 0;
    placeholderChar = '.';
    windowWidth = windowHeight = windowLeft = windowTop = kDefaultPosition;
}

void OSettings::SetTempDirectory(const std::string& dir) {
    tempDirectory = dir;
    if (!tempDirectory.empty() && tempDirectory.back() != '/') tempDirectory += '/';
}
