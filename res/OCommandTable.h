#pragma once

#include "res/OResourceIds.h"

#include <cstdint>
#include <span>

// Who runs a command: the first link of the command chain that owns it.
enum class OCommandOwner { View, Document, ChildFrame, MainFrame, Application };

// The named conditions of the enable rules, as bits: a rule holds when every
// condition of its mask holds.
enum class OCondition : std::uint32_t {
    None = 0,
    HasData = 1u << 0,            // the file is not empty
    CaretInFile = 1u << 1,        // the caret is on a byte of the file
    Writable = 1u << 2,           // the document is not read-only
    HasSelection = 1u << 3,       // the selection is not empty
    RangeAtCaret = 1u << 4,       // the selection or a marker contains the caret
    CopyOK = 1u << 5,             // RangeAtCaret or HasSelection
    ClipOK = 1u << 6,             // the clipboard store holds bytes
    MarkerAfter = 1u << 7,        // a jump to the next marker goes somewhere
    MarkerBefore = 1u << 8,       // a jump to the previous marker goes somewhere
    HasMarkers = 1u << 9,         // the marker list is not empty
    AnyRange = 1u << 10,          // HasSelection, HasMarkers or a last-found range
    AddMarkerOK = 1u << 11,       // CaretInFile and a selection or last found at the caret
    AddOffsetMarkerOK = 1u << 12, // CaretInFile and no one-byte marker at the caret
    Modified = 1u << 13,          // the document has changes to save
    CanFindNext = 1u << 14,       // the last search can be repeated forwards
    CanFindPrev = 1u << 15,       // and backwards
    CanUndo = 1u << 16,           // the document has a change to undo
    CanRedo = 1u << 17,           // and one to redo
};

constexpr OCondition operator|(OCondition a, OCondition b) {
    return static_cast<OCondition>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr bool Has(OCondition mask, OCondition c) {
    return (static_cast<std::uint32_t>(mask) & static_cast<std::uint32_t>(c)) != 0;
}

// What a command's menu item shows checked.
enum class OCheck {
    None,
    OffsetPane,
    HexPane,
    TextPane,
    FitRecord,
    HexBase,
    OemCharacters,
    SyncScroll, // synchronous scrolling on, and the file not empty
    Writable,   // the record bar's button is down while editing is allowed
    ReadOnly,   // the Edit menu's item is checked while it is not
    RecordOffsetMode,
    TrackOffsetMode,
    RecordNumberMode,
    TooltipUnderOffset,
};

struct OCommandInfo {
    OCommandId id;
    OCommandOwner owner;
    OCondition enable;
    OCheck check;
};

// Every command of the menus, the accelerators and the context menus, with
// its owner and update rule.
std::span<const OCommandInfo> CommandTable();
// The row of id, or null for an id the table does not hold (the recent-file
// entries share ID_FILE_MRU_FIRST's row).
const OCommandInfo* FindCommand(OCommandId id);

// The items of the view's context menus; Separator between groups.
inline constexpr OCommandId kMenuSeparator = ids::ID_NONE;
struct OContextItem {
    OCommandId id;
    OTextId text;
};
// Over the marker gutter, before the items of the pane under the pointer.
std::span<const OContextItem> GutterMenuItems();
// Over the offset pane.
std::span<const OContextItem> OffsetMenuItems();
// Over the hex or the text pane.
std::span<const OContextItem> DataMenuItems();
