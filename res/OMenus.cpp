#include "res/OMenus.h"

#include "res/OResourceIds.h"

namespace {

using K = OMenuKind;
using namespace ids;

constexpr OMenuEntry kMainMenu[] = {
    {K::Popup, ID_NONE, "&File"},
    {K::Item, ID_FILE_NEW, "&New\tCtrl+N"},
    {K::Item, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {K::Separator, ID_NONE, nullptr},
    {K::RecentFiles, ID_FILE_MRU_FIRST, "Recent File"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_APP_EXIT, "E&xit"},
    {K::End, ID_NONE, nullptr},
    {K::Popup, ID_NONE, "&Options"},
    {K::Item, ID_GENERAL_OPTIONS, "General &options"},
    {K::Item, ID_VIEW_TOOLBAR, "Main &toolbar"},
    {K::Item, ID_VIEW_STATUS_BAR, "&Status Bar"},
    {K::End, ID_NONE, nullptr},
    {K::Item, ID_APP_ABOUT, "&About"},
};

constexpr OMenuEntry kDocumentMenu[] = {
    {K::Popup, ID_NONE, "&File"},
    {K::Item, ID_FILE_NEW, "&New\tCtrl+N"},
    {K::Item, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {K::Item, ID_FILE_CLOSE, "&Close"},
    {K::Item, ID_FILE_SAVE, "&Save\tCtrl+S"},
    {K::Separator, ID_NONE, nullptr},
    {K::RecentFiles, ID_FILE_MRU_FIRST, "Recent File"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_APP_EXIT, "E&xit"},
    {K::End, ID_NONE, nullptr},
    {K::Popup, ID_NONE, "&View"},
    {K::Item, ID_GOTO, "&Goto\tCtrl-G"},
    {K::Item, ID_TOOLTIP_UNDER_OFFSET, "Tooltip &under offset"},
    {K::Item, ID_FONT, "&Font"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_PANE_OFFSET, "&Offset pane"},
    {K::Item, ID_PANE_HEX, "&Hex pane"},
    {K::Item, ID_PANE_TEXT, "&Text pane"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_FIT_RECORD, "F&it record\tCtrl-*"},
    {K::Item, ID_HEX_BASE, "Hex &Base"},
    {K::Item, ID_SHIFT_LEFT, "Shift &Left"},
    {K::Item, ID_SHIFT_RIGHT, "Shift &Right"},
    {K::Item, ID_OEM, "OEM &characters"},
    {K::Item, ID_SYNC_SCROLL, "&Synchronous scrolling"},
    {K::End, ID_NONE, nullptr},
    {K::Popup, ID_NONE, "&Edit"},
    {K::Item, ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
    {K::Item, ID_EDIT_REDO, "&Redo\tCtrl+Y"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_CUT, "Cu&t\tCtrl-X"},
    {K::Item, ID_COPY, "&Copy\tCtrl-C"},
    {K::Item, ID_PASTE, "&Paste\tCtrl-V"},
    {K::Item, ID_PASTE_HERE, "Paste &here\tCtrl-H"},
    {K::Item, ID_DELETE, "&Delete\tCtrl-D"},
    {K::Item, ID_INSERT, "&Insert\tCtrl-I"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_FIND, "&Find/Replace\tCtrl-F"},
    {K::Item, ID_FIND_NEXT, "Find &next\tF3"},
    {K::Item, ID_FIND_PREV, "Find pre&v\tF2"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_READ_ONLY_MENU, "&Read-only\tCtrl-R"},
    {K::End, ID_NONE, nullptr},
    {K::Popup, ID_NONE, "&Marker"},
    {K::Item, ID_ADD_OFFSET_MARKER, "Add &offset marker"},
    {K::Item, ID_ADD_MARKER, "Add &marker\tCtrl-M"},
    {K::Item, ID_SELECT_BEGIN, "&Begin of selection\tCtrl-B"},
    {K::Item, ID_SELECT_END, "End of &selection\tCtrl-K"},
    {K::Item, ID_UNSELECT, "&Unselect\tCtrl-U"},
    {K::Item, ID_SELECT_ALL, "Select &all\tCtrl-A"},
    {K::Separator, ID_NONE, nullptr},
    {K::Item, ID_MARKER_NEXT, "Goto &Next marker"},
    {K::Item, ID_MARKER_PREV, "Goto &Previous marker"},
    {K::Item, ID_MARKER_BEGIN, "&Goto marker begin"},
    {K::Item, ID_MARKER_MIDDLE, "Goto marker midd&le"},
    {K::Item, ID_MARKER_END, "Goto marker en&d"},
    {K::Item, ID_MARKER_EDIT, "Marker &edit"},
    {K::Item, ID_MARKER_REMOVE, "Marker &remove"},
    {K::Item, ID_MARKER_REMOVE_ALL, "Remove all markers"},
    {K::End, ID_NONE, nullptr},
    {K::Item, ID_GENERAL_OPTIONS, "&Options"},
    {K::Popup, ID_NONE, "&Window"},
    {K::Item, ID_WINDOW_NEW, "&New Window"},
    {K::Item, ID_WINDOW_CASCADE, "&Cascade"},
    {K::Item, ID_WINDOW_TILE_HORZ, "Tile &Horizontal"},
    {K::Item, ID_WINDOW_TILE_VERT, "Tile &Vertical"},
    {K::End, ID_NONE, nullptr},
    {K::Item, ID_APP_ABOUT, "&About"},
};

constexpr OAccelerator kAccelerators[] = {
    {"Ctrl+A", ID_SELECT_ALL},
    {"Ctrl+B", ID_SELECT_BEGIN},
    {"Ctrl+C", ID_COPY},
    {"Ctrl+D", ID_DELETE},
    {"Ctrl+F", ID_FIND},
    {"Ctrl+G", ID_GOTO},
    {"Ctrl+H", ID_PASTE_HERE},
    {"Ctrl+I", ID_INSERT},
    {"Ctrl+K", ID_SELECT_END},
    {"Ctrl+M", ID_ADD_MARKER},
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+R", ID_READ_ONLY},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+U", ID_UNSELECT},
    {"Ctrl+V", ID_PASTE},
    {"Ctrl+X", ID_CUT},
    {"Ctrl+Num++", ID_WIDTH_PLUS},
    {"Ctrl+Num+*", ID_FIT_RECORD},
    {"Ctrl+Num+-", ID_WIDTH_MINUS},
    {"Shift+Del", ID_COPY_SHIFT_DELETE},
    {"Shift+Ins", ID_PASTE_SHIFT_INSERT},
    {"F2", ID_FIND_PREV},
    {"F3", ID_FIND_NEXT},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Ctrl+Y", ID_EDIT_REDO},
    {"Ctrl+Shift+Z", ID_EDIT_REDO},
};

} // namespace

std::span<const OMenuEntry> MenuResource(OTextId resourceId) {
    if (resourceId == IDR_DOCTYPE) return kDocumentMenu;
    return kMainMenu;
}

std::span<const OAccelerator> Accelerators() {
    return kAccelerators;
}
