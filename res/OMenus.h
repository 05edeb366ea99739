#pragma once

#include "res/OResourceIds.h"

#include <span>

// Menu bars as data. A Popup opens a submenu that runs to its End; an Item
// at the top level is a command on the bar itself. RecentFiles stands for
// the recent-file entries (or their disabled placeholder).
enum class OMenuKind { Popup, Item, Separator, RecentFiles, End };

struct OMenuEntry {
    OMenuKind kind;
    OCommandId id;    // of an Item or RecentFiles; ID_NONE for the others
    const char* text; // with '&' mnemonics and "\t" before the key hint
};

// IDR_MAINFRAME (no document open) or IDR_DOCTYPE (a document window is active).
std::span<const OMenuEntry> MenuResource(OTextId resourceId);

struct OAccelerator {
    const char* keys; // in the portable text form of a key sequence
    OCommandId id;
};

std::span<const OAccelerator> Accelerators();
