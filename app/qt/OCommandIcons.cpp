#include "app/qt/OCommandIcons.h"

#include <QStyle>

namespace {

using namespace ids;

struct Drawn {
    OCommandId id;
    const char* file; // under the resource prefix /icons
};

constexpr Drawn kDrawn[] = {
    {ID_GOTO, "goto"},
    {ID_FIND_PREV, "find-prev"},
    {ID_FIND, "find"},
    {ID_FIND_NEXT, "find-next"},
    {ID_TOOLTIP_UNDER_OFFSET, "tooltip"},
    {ID_FONT, "font"},
    {ID_GENERAL_OPTIONS, "options"},
    {ID_WINDOW_TILE_HORZ, "tile-horz"},
    {ID_WINDOW_TILE_VERT, "tile-vert"},
    {ID_SYNC_SCROLL, "sync-scroll"},
    {ID_READ_ONLY, "read-only"},
    {ID_CUT, "cut"},
    {ID_COPY, "copy"},
    {ID_PASTE, "paste"},
    {ID_PASTE_HERE, "paste-here"},
    {ID_DELETE, "delete"},
    {ID_PANE_OFFSET, "pane-offset"},
    {ID_PANE_HEX, "pane-hex"},
    {ID_PANE_TEXT, "pane-text"},
    {ID_FIT_RECORD, "fit-record"},
    {ID_HEX_BASE, "hex-base"},
    {ID_SHIFT_LEFT, "shift-left"},
    {ID_SHIFT_RIGHT, "shift-right"},
    {ID_OEM, "oem"},
};

} // namespace

QIcon CommandIcon(OCommandId id, const QStyle& style) {
    switch (id) {
    case ID_FILE_NEW:
        return style.standardIcon(QStyle::SP_FileIcon);
    case ID_FILE_OPEN:
        return style.standardIcon(QStyle::SP_DialogOpenButton);
    case ID_FILE_SAVE:
        return style.standardIcon(QStyle::SP_DialogSaveButton);
    default:
        break;
    }
    for (const Drawn& drawn : kDrawn) {
        if (drawn.id == id) return QIcon(QStringLiteral(":/icons/%1.svg").arg(drawn.file));
    }
    return {};
}
