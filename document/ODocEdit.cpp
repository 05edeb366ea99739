// The document's edit commands: copy, cut, paste, paste here and delete of
// the range under the caret or the selection, through the program's
// clipboard store or, with Shift, the system clipboard as text.
#include "document/OClipStore.h"
#include "document/ODoc.h"
#include "document/OEditOps.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <cerrno>
#include <optional>
#include <vector>

namespace {

// The edit commands the document answers.
bool IsEditCommand(OCommandId id) {
    using namespace ids;
    return id == ID_COPY || id == ID_COPY_SHIFT_DELETE || id == ID_CUT || id == ID_DELETE ||
           id == ID_PASTE || id == ID_PASTE_HERE || id == ID_PASTE_SHIFT_INSERT;
}

// A range that no longer lies in the file (it shrank underneath) is refused
// before anything changes; the other failures have said why.
void SayIfOutside() {
    if (LastError() == EINVAL) ShowStatus(ids::IDS_OPERATION_ABORTED);
}

} // namespace

const ORange* ODoc::RangeAt(OOffset offset) const {
    if (m_selection.Contains(offset) != 0) return &m_selection;
    return m_markers.SmallestAt(offset);
}

bool ODoc::Copy(const ORange& range) {
    if (!m_file || range.IsEmpty()) return false;
    if (m_context && m_context->ShiftHeld())
        return CopyText(*m_file, range.Begin(), range.Length(), m_context->OemCharacters());
    if (!m_host) return false;
    return m_host->ClipHolder().Set(*m_file, range.Begin(), range.Length(),
                                    m_host->TempDirectory());
}

void ODoc::Delete(const ORange& range, OUndoKind kind) {
    // The range may be a marker that the adjustment deletes: keep its extent.
    const OOffset begin = range.Begin();
    const OOffset end = range.End();
    if (!BeginChange(kind, begin, end - begin + 1, Caret())) return;
    if (!DeleteRange(*m_file, begin, end - begin + 1)) {
        SayIfOutside();
        EndChange(false, 0, Caret());
        return;
    }
    Apply({begin, end - begin + 1, 0});
    if (m_context) m_context->MoveCaretAfterEdit(begin);
    EndChange(true, 0, Caret());
}

void ODoc::Cut(const ORange& range) {
    // The copy pumps messages and the range may be the selection, which the
    // user can move meanwhile: delete exactly what was copied.
    const ORange copied(range);
    if (Copy(copied)) Delete(copied, OUndoKind::Cut);
}

OOffset ODoc::Caret() const {
    return m_context ? m_context->CaretOffset() : 0;
}

void ODoc::Paste(OOffset begin, OOffset oldLength) {
    const bool asText = m_context && m_context->ShiftHeld();
    std::optional<std::vector<OByte>> text;
    OOffset newLength = 0;
    if (asText) {
        text = PasteText(m_context->OemCharacters());
        if (!text) return;
        newLength = static_cast<OOffset>(text->size());
    } else {
        if (!m_host || !m_host->ClipHolder().IsValid()) return;
        newLength = m_host->ClipHolder().Length();
    }
    if (!BeginChange(oldLength > 0 ? OUndoKind::Paste : OUndoKind::PasteHere, begin, oldLength,
                     Caret()))
        return;
    if (!ResizeRegion(*m_file, begin, oldLength, newLength)) {
        SayIfOutside();
        EndChange(false, 0, Caret());
        return;
    }
    // The file has its new length now, whatever the copy below does: the
    // ranges must follow it.
    Apply({begin, oldLength, newLength});
    const bool pasted = asText ? WriteBlock(text->data(), *m_file, begin, text->size())
                               : m_host->ClipHolder().PasteTo(*m_file, begin);
    if (pasted) {
        if (oldLength > 0 && newLength > 0) m_selection.Set(begin, begin + newLength - 1);
        if (m_context) m_context->MoveCaretAfterEdit(begin + newLength);
    }
    // The length changed either way: undo gives back the old bytes.
    EndChange(true, newLength, Caret());
}

bool ODoc::OnCommand(OCommandId id) {
    using namespace ids;
    // Any command ends a run of typing.
    m_typingOpen = false;
    if (OnMarkerCommand(id)) return true;
    if (id == ID_EDIT_UNDO || id == ID_EDIT_REDO) {
        if (LongOperationRunning())
            ShowStatus(ids::IDS_BUSY);
        else if (!m_readOnly)
            id == ID_EDIT_UNDO ? Undo() : Redo();
        UpdateAllViews();
        return true;
    }
    if (!IsEditCommand(id)) return false;
    if (!m_file || !m_context) return true;
    // Nothing may edit a file in the middle of its own block move.
    if (LongOperationRunning()) {
        ShowStatus(ids::IDS_BUSY);
        return true;
    }
    const OOffset caret = m_context->CaretOffset();
    if (id == ID_PASTE_SHIFT_INSERT) {
        if (m_readOnly) return true;
        id = RangeAt(caret) ? ID_PASTE : ID_PASTE_HERE;
    }
    if (id == ID_COPY || id == ID_COPY_SHIFT_DELETE) {
        if (const ORange* range = CurrentRange(RangeAt(caret), m_selection)) Copy(*range);
        UpdateAllViews();
        return true;
    }
    if (!ResolvePending()) return true;
    const ORange* range = CurrentRange(RangeAt(caret), m_selection);
    switch (id) {
    case ID_CUT:
    case ID_DELETE:
    case ID_PASTE:
        if (m_selection.Length() <= 0 || (id != ID_PASTE && !range)) {
            ShowStatus(IDS_OPERATION_ABORTED);
            break;
        }
        if (id == ID_CUT)
            Cut(*range);
        else if (id == ID_DELETE)
            Delete(*range);
        else if (const ORange* atCaret = RangeAt(caret))
            Paste(atCaret->Begin(), atCaret->Length());
        else
            Paste(caret, 0);
        break;
    case ID_PASTE_HERE:
        if (caret < m_file->GetSize())
            Paste(caret, 0);
        else
            ShowStatus(IDS_OPERATION_ABORTED);
        break;
    default:
        break;
    }
    UpdateAllViews();
    return true;
}

OCommandState ODoc::CommandState() const {
    OCommandState state;
    if (!QuietShownLength(state.fileSize)) state.fileSize = 0;
    state.writable = !m_readOnly;
    state.modified = m_modified;
    state.clipValid = m_host && m_host->ClipHolder().IsValid();
    state.selection = &m_selection;
    state.lastFound = &m_lastFound;
    state.markers = &m_markers;
    state.caret = m_context ? m_context->CaretOffset() : 0;
    state.canUndo = m_history && m_history->CanUndo();
    state.canRedo = m_history && m_history->CanRedo();
    return state;
}

bool ODoc::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    const OCommandInfo* info = FindCommand(id);
    if (!info || info->owner != OCommandOwner::Document) return false;
    // Without a window the commands have no caret to act at.
    ui = m_context ? Evaluate(*info, CommandState()) : OCmdUI{false, false};
    if (id == ids::ID_EDIT_UNDO || id == ids::ID_EDIT_REDO) {
        const bool redo = id == ids::ID_EDIT_REDO;
        const OUndoStep* step = !m_history ? nullptr
                                : redo     ? m_history->NextRedo()
                                           : m_history->NextUndo();
        OOffset length = 0;
        ui.text =
            UndoMenuText(ui.enabled ? step : nullptr, redo, QuietShownLength(length) ? length : 0);
    }
    return true;
}
