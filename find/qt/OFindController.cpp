#include "find/qt/OFindController.h"

#include "document/ODoc.h"
#include "find/OFindDialogModel.h"
#include "find/OFinder.h"
#include "find/qt/OFindDlg.h"
#include "find/qt/OReplaceConfirmDlg.h"
#include "res/OResourceIds.h"

#include <algorithm>

OFindController::OFindController(ODoc& doc, OEditContext& view, Services services, QWidget* parent)
    : m_doc(doc), m_view(view), m_services(std::move(services)), m_parent(parent) {}

OFinder& OFindController::Finder() {
    auto& search = m_doc.Search();
    if (!search) search = std::make_shared<OFinder>();
    // Only this layer makes the document's search state.
    return static_cast<OFinder&>(*search);
}

bool OFindController::OnCommand(OCommandId id) {
    OFile* file = m_doc.File();
    switch (id) {
    case ids::ID_FIND:
        FindReplace();
        return true;
    case ids::ID_FIND_NEXT:
        if (file) Found(Finder().FindNext(*file, *this));
        return true;
    case ids::ID_FIND_PREV:
        if (file) Found(Finder().FindPrev(*file, *this));
        return true;
    default:
        return false;
    }
}

bool OFindController::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    const auto* finder = static_cast<const OFinder*>(m_doc.Search().get());
    switch (id) {
    case ids::ID_FIND: {
        // Asked every idle tick: an unreadable size must not raise a box each time.
        OOffset length = 0;
        ui.enabled = m_doc.QuietShownLength(length) && length > 0;
        return true;
    }
    case ids::ID_FIND_NEXT:
        ui.enabled = finder && finder->State().CanFindNext();
        return true;
    case ids::ID_FIND_PREV:
        ui.enabled = finder && finder->State().CanFindPrev();
        return true;
    default:
        return false;
    }
}

void OFindController::Found(OOffset offset) {
    m_doc.SetLastFound(offset, Finder().State().MatchLength());
    if (offset >= 0) m_view.MoveCaretAfterEdit(offset);
    m_doc.UpdateAllViews();
}

void OFindController::FindReplace() {
    OFile* file = m_doc.File();
    if (!file || !m_services.findHistory || !m_services.replaceHistory) return;
    OFinder& finder = Finder();
    OFindState& state = finder.State();
    const OSelection& selection = m_doc.Selection();
    OFindDialogModel model(state.Options(), *m_services.findHistory, *m_services.replaceHistory,
                           m_doc.ReadOnly(), selection.Length() > 0,
                           m_services.clipboardHasData && m_services.clipboardHasData());
    OFindDlg dialog(model, m_services.peekClipboard, m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        state.KeepOptions(model.KeptOnCancel(state.Options()));
        Found(-1);
        return;
    }
    OReplaceConfirmDlg confirm(m_parent);
    m_confirm = &confirm;
    const OOffset selectionBegin = selection.Length() > 0 ? selection.Begin() : -1;
    const OOffset selectionEnd = selection.Length() > 0 ? selection.End() : -1;
    const OOffset result = finder.Run(
        *file, model.FindHistory().front(), model.ReplaceHistory().front(), model.Options(),
        m_view.CaretOffset(), selectionBegin, selectionEnd, m_view.OemCharacters(), *this);
    m_confirm = nullptr;
    Found(result);
}

// The match shows before the question: the question's event loop paints
// the views it invalidates.
void OFindController::ShowMatch(OOffset offset, int length) {
    m_doc.SetLastFound(offset, length);
    m_view.MoveCaretAfterEdit(offset);
    m_doc.UpdateAllViews();
}

OConfirmAnswer OFindController::ConfirmReplace(const std::string& source,
                                               const std::string& target) {
    return m_confirm ? m_confirm->Ask(source, target) : OConfirmAnswer::Cancel;
}

bool OFindController::ResolvePending() {
    return m_doc.ResolvePending();
}

void OFindController::Edited(const OEdit& edit) {
    m_doc.ReplaceRunEdited(edit);
}

void OFindController::ReplaceStarted() {
    m_doc.BeginReplaceRun();
}

void OFindController::Replaced(OOffset before, const OByte* old, std::size_t oldLength,
                               const OByte* now, std::size_t newLength) {
    m_doc.RecordReplaced(before, old, oldLength, now, newLength);
}

void OFindController::ReplaceEnded(bool failed) {
    m_doc.EndReplaceRun(failed);
}
