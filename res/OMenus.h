#pragma once

#include <span>

// Menu bars as data. A Popup opens a submenu that runs to its End; an Item
// at the top level is a command on the bar itself. RecentFiles stands for
// the recent-file entries (or their disabled placeholder).
enum class OMenuKind { Popup, Item, Separator, RecentFiles, End };

struct OMenuEntry {
    OMenuKind kind;
    unsigned id;      // command id of an Item
    const char* text; // with '&' mnemonics and "\t" before the key hint
};

// Resource 101 (no document open) or 102 (a document window is active).
std::span<const OMenuEntry> MenuResource(unsigned resourceId);

struct OAccelerator {
    const char* keys; // in the portable text form of a key sequence
    unsigned id;
};

std::span<const OAccelerator> Accelerators();
