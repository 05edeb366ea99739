#pragma once

// Resource numbers. A command's id is also the id of its string, whose text
// before "\n" is the status-bar prompt and after it the tooltip.

namespace ids {

// Resources
inline constexpr unsigned IDR_MAINFRAME = 101;
inline constexpr unsigned IDR_DOCTYPE = 102;
inline constexpr unsigned IDD_ABOUTBOX = 111;

// Messages
inline constexpr unsigned IDS_INVALID_DIGIT = 40001;
inline constexpr unsigned IDS_NUMBER_OVERFLOW = 40002;
inline constexpr unsigned IDS_OFFSET_NEGATIVE = 40003;
inline constexpr unsigned IDS_OFFSET_OVER_END = 40004;
inline constexpr unsigned IDS_DISK_FULL = 40006;
inline constexpr unsigned IDS_PASTE_MB = 40008;
inline constexpr unsigned IDS_COPY_MB = 40009;
inline constexpr unsigned IDS_MOVE_MB = 40010;
inline constexpr unsigned IDS_NUMBER_OUT_RANGE = 40051;
inline constexpr unsigned IDS_BACKUP_FAILED = 40052;
inline constexpr unsigned IDS_BACKUP_MB = 40053;
inline constexpr unsigned IDS_BACKUP_BIGFILE = 40054;
inline constexpr unsigned IDS_OUT_OF_MEMORY = 40055;
inline constexpr unsigned IDS_REALLY_CANCEL = 40056;
inline constexpr unsigned IDS_SELECTION_SIZE = 40057;
inline constexpr unsigned IDS_FILESIZE_ERROR = 40058;
inline constexpr unsigned IDS_FILESIZE_LONG = 40059;
inline constexpr unsigned IDS_READ_ERROR = 40060;
inline constexpr unsigned IDS_RESIZE_MB = 40061;
inline constexpr unsigned IDS_PROCESSING = 40062;
inline constexpr unsigned IDS_PATTERN_NOT_FOUND = 40063;
inline constexpr unsigned IDS_FIND_CANCELED = 40064;
inline constexpr unsigned IDS_TOTAL_REPLACES = 40065;
inline constexpr unsigned IDS_EXTRA_MEMORY = 40066;
inline constexpr unsigned IDS_TOTAL_FOUND = 40067;
inline constexpr unsigned IDS_SAVE_CHANGES = 40068;
inline constexpr unsigned IDS_INSERTING = 40069;
inline constexpr unsigned IDS_OPERATION_ABORTED = 40070;
inline constexpr unsigned IDS_READY = 57345;
// The program's own messages beyond the original table.
inline constexpr unsigned IDS_USAGE = 40100;
inline constexpr unsigned IDS_FILE_ERROR = 40101;
inline constexpr unsigned IDS_SAVE_CHANGES_CLOSE = 40102;
inline constexpr unsigned IDS_INSERT_NOT_ZEROED = 40104;
inline constexpr unsigned IDS_BUSY = 40106;
inline constexpr unsigned IDS_TEXT_TOO_LONG = 40110;
inline constexpr unsigned IDS_CLIPBOARD_ERROR = 40111;
inline constexpr unsigned IDS_FIXED_SIZE = 40112;

// Commands of the document and view
inline constexpr unsigned ID_ADD_MARKER = 231;
inline constexpr unsigned ID_ADD_OFFSET_MARKER = 232;
inline constexpr unsigned ID_COPY = 235;
inline constexpr unsigned ID_CUT = 236;
inline constexpr unsigned ID_DELETE = 237;
inline constexpr unsigned ID_MARKER_EDIT = 238;
inline constexpr unsigned ID_MARKER_BEGIN = 239;
inline constexpr unsigned ID_MARKER_END = 240;
inline constexpr unsigned ID_MARKER_MIDDLE = 241;
inline constexpr unsigned ID_MARKER_NEXT = 242;
inline constexpr unsigned ID_MARKER_PREV = 243;
inline constexpr unsigned ID_PASTE = 245;
inline constexpr unsigned ID_PASTE_HERE = 246;
inline constexpr unsigned ID_MARKER_REMOVE = 247;
inline constexpr unsigned ID_MARKER_REMOVE_ALL = 248;
inline constexpr unsigned ID_SELECT_ALL = 249;
inline constexpr unsigned ID_OFFSET_AT_TOP = 261;
inline constexpr unsigned ID_SELECT_BEGIN = 263;
inline constexpr unsigned ID_SELECT_END = 264;
inline constexpr unsigned ID_UNSELECT = 265;
inline constexpr unsigned ID_RECORD_NUMBER = 266;
inline constexpr unsigned ID_RECORD_OFFSET = 267;
inline constexpr unsigned ID_TRACK_OFFSET = 268;
inline constexpr unsigned ID_READ_ONLY_MENU = 275;
inline constexpr unsigned ID_GENERAL_OPTIONS = 281;
inline constexpr unsigned ID_FIND = 301;
inline constexpr unsigned ID_FIND_NEXT = 302;
inline constexpr unsigned ID_FIND_PREV = 303;
inline constexpr unsigned ID_FIT_RECORD = 304;
inline constexpr unsigned ID_FONT = 305;
inline constexpr unsigned ID_GOTO = 306;
inline constexpr unsigned ID_PANE_HEX = 307;
inline constexpr unsigned ID_PANE_OFFSET = 308;
inline constexpr unsigned ID_SHIFT_LEFT = 309;
inline constexpr unsigned ID_SHIFT_RIGHT = 310;
inline constexpr unsigned ID_PANE_TEXT = 311;
inline constexpr unsigned ID_WIDTH_MINUS = 312;
inline constexpr unsigned ID_WIDTH_EDIT = 313;
inline constexpr unsigned ID_WIDTH_SPIN = 314;
inline constexpr unsigned ID_HEX_BASE = 315;
inline constexpr unsigned ID_WIDTH_PLUS = 316;
inline constexpr unsigned ID_INSERT = 318;
inline constexpr unsigned ID_TOOLTIP_UNDER_OFFSET = 319;
inline constexpr unsigned ID_OEM = 320;
inline constexpr unsigned ID_SYNC_SCROLL = 321;
inline constexpr unsigned ID_READ_ONLY = 322;
inline constexpr unsigned ID_COPY_SHIFT_DELETE = 361;
inline constexpr unsigned ID_PASTE_SHIFT_INSERT = 362;

// Commands of the application and the frames
inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_CLOSE = 57602;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_MRU_FIRST = 57616;
inline constexpr unsigned ID_FILE_MRU_LAST = 57631;
inline constexpr unsigned ID_WINDOW_NEW = 57648;
inline constexpr unsigned ID_WINDOW_CASCADE = 57650;
inline constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
inline constexpr unsigned ID_WINDOW_TILE_VERT = 57652;
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_NEXT_PANE = 57680;
inline constexpr unsigned ID_PREV_PANE = 57681;
inline constexpr unsigned ID_VIEW_TOOLBAR = 59392;
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393;

} // namespace ids
