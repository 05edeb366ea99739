#include "res/OCommandTable.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace ids;
using C = OCondition;
using O = OCommandOwner;
using X = OCheck;

// Sorted by id.
constexpr OCommandInfo kCommands[] = {
    {ID_ADD_MARKER, O::Document, C::AddMarkerOK, X::None},
    {ID_ADD_OFFSET_MARKER, O::Document, C::AddOffsetMarkerOK, X::None},
    {ID_COPY, O::Document, C::CopyOK, X::None},
    {ID_CUT, O::Document, C::Writable | C::CopyOK, X::None},
    {ID_DELETE, O::Document, C::Writable | C::CopyOK, X::None},
    {ID_MARKER_EDIT, O::Document, C::HasMarkers, X::None},
    {ID_MARKER_BEGIN, O::Document, C::AnyRange, X::None},
    {ID_MARKER_END, O::Document, C::AnyRange, X::None},
    {ID_MARKER_MIDDLE, O::Document, C::AnyRange, X::None},
    {ID_MARKER_NEXT, O::View, C::MarkerAfter, X::None},
    {ID_MARKER_PREV, O::View, C::MarkerBefore, X::None},
    {ID_PASTE, O::Document, C::Writable | C::RangeAtCaret | C::ClipOK, X::None},
    {ID_PASTE_HERE, O::Document, C::Writable | C::ClipOK, X::None},
    {ID_MARKER_REMOVE, O::Document, C::HasMarkers, X::None},
    {ID_MARKER_REMOVE_ALL, O::Document, C::HasMarkers, X::None},
    {ID_SELECT_ALL, O::View, C::HasData, X::None},
    {ID_OFFSET_AT_TOP, O::View, C::CaretInFile, X::None},
    {ID_SELECT_BEGIN, O::View, C::CaretInFile, X::None},
    {ID_SELECT_END, O::View, C::CaretInFile, X::None},
    {ID_UNSELECT, O::View, C::HasSelection, X::None},
    {ID_RECORD_NUMBER, O::View, C::None, X::RecordNumberMode},
    {ID_RECORD_OFFSET, O::View, C::None, X::RecordOffsetMode},
    {ID_TRACK_OFFSET, O::View, C::None, X::TrackOffsetMode},
    {ID_READ_ONLY_MENU, O::View, C::None, X::ReadOnly},
    {ID_GENERAL_OPTIONS, O::Application, C::None, X::None},
    {ID_FIND, O::ChildFrame, C::HasData, X::None},
    {ID_FIND_NEXT, O::ChildFrame, C::CanFindNext, X::None},
    {ID_FIND_PREV, O::ChildFrame, C::CanFindPrev, X::None},
    {ID_FIT_RECORD, O::View, C::None, X::FitRecord},
    {ID_FONT, O::View, C::None, X::None},
    {ID_GOTO, O::View, C::HasData, X::None},
    {ID_PANE_HEX, O::View, C::None, X::HexPane},
    {ID_PANE_OFFSET, O::View, C::None, X::OffsetPane},
    {ID_SHIFT_LEFT, O::View, C::None, X::None},
    {ID_SHIFT_RIGHT, O::View, C::None, X::None},
    {ID_PANE_TEXT, O::View, C::None, X::TextPane},
    {ID_WIDTH_MINUS, O::View, C::None, X::None},
    {ID_HEX_BASE, O::View, C::None, X::HexBase},
    {ID_WIDTH_PLUS, O::View, C::None, X::None},
    {ID_INSERT, O::View, C::Writable, X::None},
    {ID_TOOLTIP_UNDER_OFFSET, O::Application, C::None, X::TooltipUnderOffset},
    {ID_OEM, O::View, C::None, X::OemCharacters},
    {ID_SYNC_SCROLL, O::View, C::None, X::SyncScroll},
    {ID_READ_ONLY, O::View, C::None, X::Writable},
    {ID_COPY_SHIFT_DELETE, O::Document, C::CopyOK, X::None},
    {ID_PASTE_SHIFT_INSERT, O::Document, C::Writable, X::None},
    {ID_EDIT_UNDO, O::Document, C::Writable | C::CanUndo, X::None},
    {ID_EDIT_REDO, O::Document, C::Writable | C::CanRedo, X::None},
    {ID_FILE_NEW, O::Application, C::None, X::None},
    {ID_FILE_OPEN, O::Application, C::None, X::None},
    {ID_FILE_CLOSE, O::MainFrame, C::None, X::None},
    {ID_FILE_SAVE, O::View, C::Writable | C::Modified, X::None},
    {ID_FILE_MRU_FIRST, O::Application, C::None, X::None},
    {ID_WINDOW_NEW, O::MainFrame, C::None, X::None},
    {ID_WINDOW_CASCADE, O::MainFrame, C::None, X::None},
    {ID_WINDOW_TILE_HORZ, O::MainFrame, C::None, X::None},
    {ID_WINDOW_TILE_VERT, O::MainFrame, C::None, X::None},
    {ID_APP_ABOUT, O::Application, C::None, X::None},
    {ID_APP_EXIT, O::Application, C::None, X::None},
    {ID_NEXT_PANE, O::View, C::None, X::None},
    {ID_PREV_PANE, O::View, C::None, X::None},
    {ID_VIEW_TOOLBAR, O::MainFrame, C::None, X::None},
    {ID_VIEW_STATUS_BAR, O::MainFrame, C::None, X::None},
};

static_assert(std::is_sorted(std::begin(kCommands), std::end(kCommands),
                             [](const OCommandInfo& a, const OCommandInfo& b) {
                                 return a.id < b.id;
                             }),
              "the lookup needs the table sorted by id");

constexpr OContextItem kGutterItems[] = {
    {ID_MARKER_BEGIN, TextOf(ID_MARKER_BEGIN)},
    {ID_MARKER_MIDDLE, TextOf(ID_MARKER_MIDDLE)},
    {ID_MARKER_END, TextOf(ID_MARKER_END)},
    {ID_MARKER_EDIT, TextOf(ID_MARKER_EDIT)},
    {ID_MARKER_REMOVE, TextOf(ID_MARKER_REMOVE)},
    {ID_MARKER_REMOVE_ALL, TextOf(ID_MARKER_REMOVE_ALL)},
};

constexpr OContextItem kOffsetItems[] = {
    {ID_RECORD_OFFSET, TextOf(ID_RECORD_OFFSET)},
    {ID_TRACK_OFFSET, TextOf(ID_TRACK_OFFSET)},
    {ID_RECORD_NUMBER, TextOf(ID_RECORD_NUMBER)},
};

constexpr OContextItem kDataItems[] = {
    {ID_ADD_MARKER, TextOf(ID_ADD_MARKER)},
    {ID_ADD_OFFSET_MARKER, TextOf(ID_ADD_OFFSET_MARKER)},
    {ID_SELECT_BEGIN, TextOf(ID_SELECT_BEGIN)},
    {ID_SELECT_END, TextOf(ID_SELECT_END)},
    {ID_SELECT_ALL, IDS_MENU_SELECT_ALL},
    {ID_UNSELECT, TextOf(ID_UNSELECT)},
    {kMenuSeparator, IDS_NONE},
    {ID_EDIT_UNDO, IDS_MENU_UNDO},
    {ID_EDIT_REDO, IDS_MENU_REDO},
    {kMenuSeparator, IDS_NONE},
    {ID_CUT, IDS_MENU_CUT},
    {ID_COPY, IDS_MENU_COPY},
    {ID_PASTE, IDS_MENU_PASTE},
    {ID_PASTE_HERE, IDS_MENU_PASTE_HERE},
    {ID_DELETE, IDS_MENU_DELETE},
    {ID_INSERT, IDS_MENU_INSERT},
    {kMenuSeparator, IDS_NONE},
    {ID_OFFSET_AT_TOP, TextOf(ID_OFFSET_AT_TOP)},
};

} // namespace

std::span<const OCommandInfo> CommandTable() {
    return kCommands;
}

const OCommandInfo* FindCommand(OCommandId id) {
    if (RecentFileIndex(id) >= 0) id = ID_FILE_MRU_FIRST;
    const auto* it = std::lower_bound(std::begin(kCommands), std::end(kCommands), id,
                                      [](const OCommandInfo& c, OCommandId v) { return c.id < v; });
    return it != std::end(kCommands) && it->id == id ? it : nullptr;
}

std::span<const OContextItem> GutterMenuItems() {
    return kGutterItems;
}

std::span<const OContextItem> OffsetMenuItems() {
    return kOffsetItems;
}

std::span<const OContextItem> DataMenuItems() {
    return kDataItems;
}
