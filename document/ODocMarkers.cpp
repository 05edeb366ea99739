// The document's marker commands: add a marker from the last match or the
// selection, add one at the caret, edit, remove, remove all, and go to the
// begin, middle or end of a range picked from the list.
#include "document/OCommandRules.h"
#include "document/ODoc.h"
#include "document/OMarkerTargets.h"
#include "markers/OMarkerDialogs.h"
#include "markers/OMarkerRows.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "res/OCommandTable.h"
#include "res/OResourceIds.h"

namespace {

bool IsMarkerCommand(OCommandId id) {
    using namespace ids;
    return id == ID_ADD_MARKER || id == ID_ADD_OFFSET_MARKER || id == ID_MARKER_EDIT ||
           id == ID_MARKER_REMOVE || id == ID_MARKER_REMOVE_ALL || id == ID_MARKER_BEGIN ||
           id == ID_MARKER_MIDDLE || id == ID_MARKER_END;
}

// The rules' state with the caret and length of this command.
OCommandState StateAt(OCommandState state, OOffset caret, OOffset length) {
    state.caret = caret;
    state.fileSize = length;
    return state;
}

} // namespace

bool ODoc::OnMarkerCommand(OCommandId id) {
    using namespace ids;
    if (!IsMarkerCommand(id)) return false;
    if (!m_context) return true;
    // A dialog opened from inside a block move's message pump would hold
    // the move until it closed, and the markers are about to follow it.
    if (LongOperationRunning()) {
        ShowStatus(IDS_BUSY);
        return true;
    }
    // Adding needs the length now, not as it was when the menu was last
    // updated: the file may have become shorter underneath.
    OOffset length = 0;
    const bool adding = id == ID_ADD_MARKER || id == ID_ADD_OFFSET_MARKER;
    if (adding && !QuietShownLength(length)) {
        MessageBoxId(IDS_FILESIZE_ERROR, OButtons::Ok, OIcon::Stop);
        return true;
    }
    bool changed = false;
    switch (id) {
    case ID_ADD_MARKER:
        changed = AddMarker(length);
        break;
    case ID_ADD_OFFSET_MARKER:
        changed = AddOffsetMarker(length);
        break;
    case ID_MARKER_EDIT:
        changed = EditMarker();
        break;
    case ID_MARKER_REMOVE:
        changed = RemoveMarker();
        break;
    case ID_MARKER_REMOVE_ALL:
        changed = RemoveAllMarkers();
        break;
    default:
        changed = GotoMarker(id);
        break;
    }
    if (changed) UpdateAllViews();
    return true;
}

bool ODoc::AddMarker(OOffset length) {
    const OOffset caret = m_context->CaretOffset();
    if (!Holds(OCondition::AddMarkerOK, StateAt(CommandState(), caret, length))) return false;
    OMarkerDialogs* dialogs = m_host ? m_host->MarkerDialogs() : nullptr;
    // The copy becomes a marker only through Insert, and only with the
    // bytes the file still holds.
    auto offer = [&](const ORange& source) {
        ORange copy;
        copy.CopyPosition(source);
        return copy.ClipTo(length) && !copy.IsEmpty() && dialogs && dialogs->EditRange(copy) &&
               m_markers.Insert(copy);
    };
    if (m_lastFound.Contains(caret) != 0 && offer(m_lastFound)) {
        m_lastFound.Reset();
        return true;
    }
    if (!m_selection.IsEmpty() && offer(m_selection)) {
        m_selection.Reset(); // the anchor stays for the gesture in progress
        return true;
    }
    return false;
}

bool ODoc::AddOffsetMarker(OOffset length) {
    const OOffset caret = m_context->CaretOffset();
    if (!Holds(OCondition::AddOffsetMarkerOK, StateAt(CommandState(), caret, length))) return false;
    OMarkerDialogs* dialogs = m_host ? m_host->MarkerDialogs() : nullptr;
    ORange marker(kOffsetMarkerBackground, kOffsetMarkerForeground);
    marker.Set(caret, caret);
    return dialogs && dialogs->EditRange(marker) && m_markers.Insert(marker);
}

bool ODoc::EditMarker() {
    const std::optional<ORange> chosen = ChooseRange(false, ids::ID_MARKER_EDIT);
    if (!chosen) return false;
    // The dialog edits a copy; the marker takes it when OK comes back and
    // the marker is still there.
    ORange edited = *chosen;
    OMarkerDialogs* dialogs = m_host ? m_host->MarkerDialogs() : nullptr;
    if (!dialogs || !dialogs->EditRange(edited)) return false;
    const std::ptrdiff_t index = m_markers.IndexOf(edited);
    if (index < 0) return false;
    ORange& marker = m_markers.At(static_cast<std::size_t>(index));
    marker.SetTitle(edited.Title());
    marker.SetColors(edited.Background(), edited.Foreground());
    return true;
}

bool ODoc::RemoveMarker() {
    const std::optional<ORange> chosen = ChooseRange(false, ids::ID_MARKER_REMOVE);
    return chosen && m_markers.Remove(*chosen);
}

bool ODoc::RemoveAllMarkers() {
    if (m_markers.Empty()) return false;
    if (MessageBoxId(ids::TextOf(ids::ID_MARKER_REMOVE_ALL), OButtons::YesNo, OIcon::Question) !=
        OAnswer::Yes)
        return false;
    m_markers.RemoveAll();
    return true;
}

bool ODoc::GotoMarker(OCommandId id) {
    const std::optional<ORange> chosen = ChooseRange(true, id);
    if (!chosen) return false;
    OOffset target = chosen->Begin();
    if (id == ids::ID_MARKER_END)
        target = chosen->End();
    else if (id == ids::ID_MARKER_MIDDLE)
        target = MarkerMiddle(chosen->Begin(), chosen->End());
    // After the dialog: the length as it is when the caret moves.
    OOffset length = 0;
    if (!QuietShownLength(length)) {
        MessageBoxId(ids::IDS_FILESIZE_ERROR, OButtons::Ok, OIcon::Stop);
        return false;
    }
    m_context->MoveCaretAfterEdit(ClampToFile(target, length));
    return true;
}

std::optional<ORange> ODoc::ChooseRange(bool withSelectionAndLastFound, OCommandId caption) {
    OMarkerDialogs* dialogs = m_host ? m_host->MarkerDialogs() : nullptr;
    if (!dialogs || !m_context) return std::nullopt;
    const OMarkerRows rows(m_markers, withSelectionAndLastFound ? &m_selection : nullptr,
                           withSelectionAndLastFound ? &m_lastFound : nullptr,
                           RangeAt(m_context->CaretOffset()));
    // Nothing to choose from ends the choice at once, as an OK without a row.
    if (rows.Count() == 0) return std::nullopt;
    const std::optional<std::size_t> row = dialogs->ChooseRange(rows, caption);
    if (!row || *row >= rows.Count()) return std::nullopt;
    return ORange(rows.At(*row));
}
