#pragma once

#include <cstddef>

// The program's resource numbers, as two types that cannot stand in for each
// other: commands (menu items, keys, context-menu items) and texts (the
// entries of the string table in res/OStringTable.cpp). A command's text has
// the command's number (TextOf): before "\n" its status-bar prompt, after it
// its tooltip. The enumerators live in namespace ids.

namespace ids {

enum class OTextId : unsigned {
    IDS_NONE = 0, // where a text is optional: none

    // The program's name and the document type, whose numbers also name the
    // menu bar without a document and the one with a document window; the
    // About box.
    IDR_MAINFRAME = 101,
    IDR_DOCTYPE = 102,
    IDD_ABOUTBOX = 111,

    // Context-menu labels: the plain words, where the command's own text
    // carries a tooltip.
    IDS_MENU_SELECT_ALL = 262,
    IDS_MENU_COPY = 269,
    IDS_MENU_CUT = 270,
    IDS_MENU_DELETE = 271,
    IDS_MENU_PASTE = 272,
    IDS_MENU_PASTE_HERE = 273,
    IDS_MENU_INSERT = 274,
    IDS_MENU_UNDO = 276,
    IDS_MENU_REDO = 277,

    // Messages: number entry, disk and memory, progress of block moves and
    // backups, search results, questions before changes, the idle prompt.
    IDS_INVALID_DIGIT = 40001,
    IDS_NUMBER_OVERFLOW = 40002,
    IDS_OFFSET_NEGATIVE = 40003,
    IDS_OFFSET_OVER_END = 40004,
    IDS_DISK_FULL = 40006,
    IDS_PASTE_MB = 40008,
    IDS_COPY_MB = 40009,
    IDS_MOVE_MB = 40010,
    // The labels of the General options, in their numbers' order.
    IDS_OPT_FIT_RECORD = 40011,
    IDS_OPT_FRAME_MAXIMIZE = 40012,
    IDS_OPT_RECORD_BAR_AT = 40013,
    IDS_OPT_RECORD_WIDTH = 40014,
    IDS_OPT_RECENT_FILES = 40015,
    IDS_OPT_SAVE_FILES = 40016,
    IDS_OPT_FONT = 40017,
    IDS_OPT_TEMP_DIR = 40018,
    IDS_OPT_BACKUP = 40019,
    IDS_OPT_MARKER_JUMP_WRAP = 40020,
    IDS_OPT_FIND_HISTORY = 40021,
    IDS_OPT_READ_ONLY = 40022,
    IDS_OPT_TAB_BAR_AT = 40071,
    IDS_NUMBER_OUT_RANGE = 40051,
    IDS_BACKUP_FAILED = 40052,
    IDS_BACKUP_MB = 40053,
    IDS_BACKUP_BIGFILE = 40054,
    IDS_OUT_OF_MEMORY = 40055,
    IDS_REALLY_CANCEL = 40056,
    IDS_SELECTION_SIZE = 40057,
    IDS_FILESIZE_ERROR = 40058,
    IDS_FILESIZE_LONG = 40059,
    IDS_READ_ERROR = 40060,
    IDS_RESIZE_MB = 40061,
    IDS_PROCESSING = 40062,
    IDS_PATTERN_NOT_FOUND = 40063,
    IDS_FIND_CANCELED = 40064,
    IDS_TOTAL_REPLACES = 40065,
    IDS_EXTRA_MEMORY = 40066,
    IDS_TOTAL_FOUND = 40067,
    IDS_SAVE_CHANGES = 40068,
    IDS_INSERTING = 40069,
    IDS_OPERATION_ABORTED = 40070,
    IDS_READY = 57345,

    // Messages: the command line's usage, a file error, the question before
    // closing, an insert that stopped, a command refused while an operation
    // runs, copying as text, a device whose size cannot change, a
    // settings file left alone for the run, and a count outside its range.
    IDS_USAGE = 40100,
    IDS_FILE_ERROR = 40101,
    IDS_SAVE_CHANGES_CLOSE = 40102,
    IDS_INSERT_NOT_ZEROED = 40104,
    IDS_BUSY = 40106,
    IDS_TEXT_TOO_LONG = 40110,
    IDS_CLIPBOARD_ERROR = 40111,
    IDS_FIXED_SIZE = 40112,
    IDS_SETTINGS_NOT_WRITTEN = 40113,
    IDS_COUNT_RANGE = 40114,
    // A change of a file's length interrupted by a kill or a failure: the
    // offer to finish it, its record refused or kept, a change refused
    // while one is pending, a change that cannot be recorded, and the end.
    IDS_MOVE_INTERRUPTED = 40115,
    IDS_MOVE_RECORD_DAMAGED = 40116,
    IDS_MOVE_RECORD_MISMATCH = 40117,
    IDS_MOVE_NOT_FINISHED = 40118,
    IDS_MOVE_UNFINISHED = 40119,
    IDS_MOVE_PENDING = 40120,
    IDS_MOVE_NO_JOURNAL = 40121,
    IDS_MOVE_FINISHED = 40122,
    // Undo: a change past the store's limit, a history dropped because the
    // file changed underneath, the store limit's option label, a replace
    // run that could not be recorded.
    IDS_UNDO_IMPOSSIBLE = 40123,
    IDS_UNDO_DROPPED = 40124,
    IDS_OPT_UNDO_STORE_LIMIT = 40125,
    IDS_UNDO_REPLACE_CLEARED = 40126,
    IDS_UNDO_NOT_KEPT = 40127,
};
using enum OTextId;

enum class OCommandId : unsigned {
    ID_NONE = 0, // where a command is optional: none

    // Commands of the document and view
    ID_ADD_MARKER = 231,
    ID_ADD_OFFSET_MARKER = 232,
    ID_COPY = 235,
    ID_CUT = 236,
    ID_DELETE = 237,
    ID_MARKER_EDIT = 238,
    ID_MARKER_BEGIN = 239,
    ID_MARKER_END = 240,
    ID_MARKER_MIDDLE = 241,
    ID_MARKER_NEXT = 242,
    ID_MARKER_PREV = 243,
    ID_PASTE = 245,
    ID_PASTE_HERE = 246,
    ID_MARKER_REMOVE = 247,
    ID_MARKER_REMOVE_ALL = 248,
    ID_SELECT_ALL = 249,
    ID_OFFSET_AT_TOP = 261,
    ID_SELECT_BEGIN = 263,
    ID_SELECT_END = 264,
    ID_UNSELECT = 265,
    ID_RECORD_NUMBER = 266,
    ID_RECORD_OFFSET = 267,
    ID_TRACK_OFFSET = 268,
    ID_READ_ONLY_MENU = 275,
    ID_GENERAL_OPTIONS = 281,
    ID_FIND = 301,
    ID_FIND_NEXT = 302,
    ID_FIND_PREV = 303,
    ID_FIT_RECORD = 304,
    ID_FONT = 305,
    ID_GOTO = 306,
    ID_PANE_HEX = 307,
    ID_PANE_OFFSET = 308,
    ID_SHIFT_LEFT = 309,
    ID_SHIFT_RIGHT = 310,
    ID_PANE_TEXT = 311,
    ID_WIDTH_MINUS = 312,
    ID_WIDTH_EDIT = 313,
    ID_WIDTH_SPIN = 314,
    ID_HEX_BASE = 315,
    ID_WIDTH_PLUS = 316,
    ID_INSERT = 318,
    ID_TOOLTIP_UNDER_OFFSET = 319,
    ID_OEM = 320,
    ID_SYNC_SCROLL = 321,
    ID_READ_ONLY = 322,
    ID_COPY_SHIFT_DELETE = 361,
    ID_PASTE_SHIFT_INSERT = 362,
    ID_EDIT_UNDO = 363,
    ID_EDIT_REDO = 364,

    // Commands of the application and the frames
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_MRU_FIRST = 57616,
    ID_FILE_MRU_LAST = 57631,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_WINDOW_TILE_VERT = 57652,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};
using enum OCommandId;

// The text with a command's number: its prompt and tooltip.
constexpr OTextId TextOf(OCommandId command) {
    return static_cast<OTextId>(command);
}

// The recent-file commands, one per entry of the list from ID_FILE_MRU_FIRST on.
constexpr OCommandId RecentFileCommand(std::size_t index) {
    return static_cast<OCommandId>(static_cast<unsigned>(ID_FILE_MRU_FIRST) + index);
}
// The list entry a recent-file command opens, or -1 for any other command.
constexpr int RecentFileIndex(OCommandId command) {
    if (command < ID_FILE_MRU_FIRST || command > ID_FILE_MRU_LAST) return -1;
    return static_cast<int>(static_cast<unsigned>(command) -
                            static_cast<unsigned>(ID_FILE_MRU_FIRST));
}

} // namespace ids

using ids::OCommandId;
using ids::OTextId;
