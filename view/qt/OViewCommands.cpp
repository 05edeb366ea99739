// The view's commands: their handlers, their update rules through the
// command table, and the context menus built from the table's items.
#include "view/OViewCommands.h"

#include "res/OCommandTable.h"
#include "res/OStringTable.h"
#include "view/OMarkerJump.h"
#include "view/qt/OGotoDlg.h"
#include "view/qt/OInsertDlg.h"
#include "view/qt/OView.h"

#include <QContextMenuEvent>
#include <QFontDialog>
#include <QMenu>

OCommandState OView::CommandState() const {
    OCommandState state = m_doc->CommandState();
    state.caret = m_geometry.Caret();
    const OViewSettings& s = Settings();
    state.offsetPane = s.paneOffset;
    state.hexPane = s.paneHex;
    state.textPane = s.paneText;
    state.fitRecord = s.fitRecord;
    state.hexBase = m_hexBase;
    state.oemCharacters = s.oemCharacters;
    state.syncScroll = m_geometry.SyncScroll();
    state.offsetMode = static_cast<int>(m_offsetMode);
    state.markerJumpWrap = MarkerJumpWrap();
    return state;
}

bool OView::MarkerJumpWrap() const {
    return m_host ? m_host->MarkerJumpWrap() : Settings().markerJumpWrap;
}

bool OView::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    const OCommandInfo* info = FindCommand(id);
    if (!info || info->owner != OCommandOwner::View) return false;
    ui = Evaluate(*info, CommandState());
    return true;
}

bool OView::OnCommand(OCommandId id) {
    using namespace ids;
    const OCommandInfo* info = FindCommand(id);
    if (!info || info->owner != OCommandOwner::View) return false;
    OViewSettings& s = Settings();
    const OOffset caret = m_geometry.Caret();
    switch (id) {
    case ID_SELECT_ALL:
        m_doc->Selection().Set(0, m_geometry.FileLength() - 1);
        break;
    case ID_SELECT_BEGIN:
        SelectionBeginAt(m_doc->Selection(), caret);
        break;
    case ID_SELECT_END:
        SelectionEndAt(m_doc->Selection(), caret);
        break;
    case ID_UNSELECT:
        m_doc->Selection().Reset();
        break;
    case ID_OFFSET_AT_TOP:
        m_geometry.OffsetAtTop();
        break;
    case ID_RECORD_OFFSET:
    case ID_TRACK_OFFSET:
    case ID_RECORD_NUMBER: {
        using M = ORowModel::OffsetMode;
        m_offsetMode = id == ID_RECORD_OFFSET  ? M::RowOffset
                       : id == ID_TRACK_OFFSET ? M::TrackOffset
                                               : M::RecordNumber;
        break;
    }
    case ID_PANE_OFFSET:
    case ID_PANE_HEX:
    case ID_PANE_TEXT:
        TogglePane(s, id);
        // The caret's pane may have gone.
        if (m_input.ActivePane() == 1 && !s.paneHex) m_input.SetActivePane(0);
        if (m_input.ActivePane() == 0 && !s.paneText) m_input.SetActivePane(1);
        Relayout();
        break;
    case ID_FIT_RECORD:
        s.fitRecord = !s.fitRecord;
        Relayout();
        break;
    case ID_SHIFT_LEFT:
    case ID_SHIFT_RIGHT:
        m_geometry.ShiftPhase(id == ID_SHIFT_LEFT ? -1 : 1);
        Relayout();
        break;
    case ID_WIDTH_MINUS:
    case ID_WIDTH_PLUS: {
        const int width = SteppedRecordWidth(s, m_geometry.Width(), id == ID_WIDTH_PLUS ? 1 : -1);
        if (width == m_geometry.Width()) return true;
        m_geometry.SetRecordWidth(width);
        Relayout();
        break;
    }
    case ID_HEX_BASE:
        m_hexBase = !m_hexBase;
        break;
    case ID_OEM:
        s.oemCharacters = !s.oemCharacters;
        if (m_doc->Search()) m_doc->Search()->CodePageChanged();
        break;
    case ID_SYNC_SCROLL:
        m_geometry.SetSyncScroll(!m_geometry.SyncScroll());
        break;
    case ID_FONT:
        ChangeFont();
        break;
    case ID_READ_ONLY:
    case ID_READ_ONLY_MENU:
        m_doc->SetReadOnly(!m_doc->ReadOnly());
        s.readOnly = m_doc->ReadOnly();
        break;
    case ID_FILE_SAVE:
        m_doc->DoFileSave();
        break;
    case ID_GOTO:
        if (!RunGotoDialog(this, m_geometry)) return true;
        break;
    case ID_INSERT:
        RunInsertDialog(this, *m_doc, m_geometry);
        return true; // it repaints what it changed
    case ID_MARKER_NEXT:
        GotoNextMarker(m_geometry, *m_doc, MarkerJumpWrap());
        return true;
    case ID_MARKER_PREV:
        GotoPrevMarker(m_geometry, *m_doc, MarkerJumpWrap());
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        m_input.Tab();
        break;
    default:
        return false;
    }
    m_doc->UpdateAllViews();
    return true;
}

// A fixed-pitch face from the font dialog, for this window only.
void OView::ChangeFont() {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, m_font, this, QString::fromUtf8(CommandPrompt(ids::ID_FONT)),
                             QFontDialog::MonospacedFonts);
    if (!ok) return;
    if (const int points = ChosenFontSize(chosen.pointSize()); points > 0)
        Settings().fontSize = points;
    Settings().fontName = chosen.family().toStdString();
    CreateFont();
    Relayout();
}

void OView::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint point = event->pos();
    const OPane pane = m_layout.PaneAt(point.x(), point.y());
    if (pane == OPane::Hex || pane == OPane::Text) {
        // The caret goes to the clicked byte first, so the items speak of it.
        int row = 0;
        int column = 0;
        if (m_layout.CellAt(point.x(), point.y(), row, column) &&
            m_geometry.SetCaretToCell(row, column))
            m_doc->UpdateAllViews();
    }
    QMenu menu(this);
    auto add = [&](std::span<const OContextItem> items) {
        for (const OContextItem& item : items) {
            if (item.id == kMenuSeparator) {
                menu.addSeparator();
                continue;
            }
            const OCmdUI ui = m_host ? m_host->CommandState(item.id) : OCmdUI{false, false};
            // A handler naming the item (Undo's step) names it here too.
            QAction* action = menu.addAction(
                QString::fromUtf8(ui.text.empty() ? LoadString(item.text) : ui.text));
            action->setEnabled(ui.enabled);
            action->setCheckable(ui.checked);
            action->setChecked(ui.checked);
            const OCommandId id = item.id;
            connect(action, &QAction::triggered, this, [this, id] {
                if (m_host) m_host->RunCommand(id);
            });
        }
    };
    if (pane == OPane::Gutter) add(GutterMenuItems());
    if (pane == OPane::Offset) add(OffsetMenuItems());
    if (pane == OPane::Hex || pane == OPane::Text) add(DataMenuItems());
    if (menu.isEmpty()) return;
    menu.exec(event->globalPos());
}
