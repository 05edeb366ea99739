#include "document/ODoc.h"

#include "document/ODiskFile.h"
#include "document/ODocView.h"
#include "document/OMemFile.h"
#include "document/OMoveJournalRecovery.h"
#include "document/OReplaceRecorder.h"
#include "document/OStoreCopy.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>

ODoc::ODoc(ODocHost* host) : m_host(host) {}

ODoc::~ODoc() {
    if (m_storeCopy && m_file) m_file->SetFence(nullptr);
}

void ODoc::Attach(std::unique_ptr<OFile> file) {
    m_file = std::move(file);
    m_file->SetOwner(this);
    if (m_host) m_file->SetBackupHook([host = m_host](OFile& f) { return host->MakeBackup(f); });
}

bool ODoc::OnNewDocument() {
    Attach(std::make_unique<OMemFile>());
    m_modified = false;
    return true;
}

bool ODoc::OnOpenDocument(const std::string& path, OFileIo& io) {
    // One name for the file wherever it was opened from: the save files,
    // the recent list and the title must find it again.
    const std::string absolute = AbsolutePath(path);
    Attach(std::make_unique<ODiskFile>(io));
    if (!m_file->Open(absolute, OAccess::Read, ODisposition::OpenExisting)) {
        m_file->ShowFileError(-1);
        m_file.reset();
        return false;
    }
    m_pathName = absolute;
    OfferToFinishMove(*m_file);
    if (m_host) m_host->AddToRecentFileList(absolute);
    return true;
}

void ODoc::OnCloseDocument() {
    if (!m_views.empty() && m_host) m_host->StoreViewState(*this, *m_views.front());
}

bool ODoc::DoFileSave() {
    if (!m_file) return false;
    const bool pending = m_file->HasPending();
    const bool saved = m_file->Commit();
    if (!pending) {
        NoteFileState();
        return saved;
    }
    // A save that wrote part of the typed bytes leaves steps that fit
    // neither side.
    if (!saved && m_history) m_history->Clear();
    PendingSettled(saved);
    return saved;
}

bool ODoc::SaveModified() {
    if (!IsModified()) return true;
    const std::string name = m_pathName.empty() ? Title() : m_pathName;
    switch (MessageBox(FormatId(ids::IDS_SAVE_CHANGES_CLOSE, name.c_str()), OButtons::YesNoCancel,
                       OIcon::Exclamation)) {
    case OAnswer::Yes:
        return DoFileSave();
    case OAnswer::No:
        return true;
    default:
        return false;
    }
}

void ODoc::SetPathName(const std::string& path) {
    m_pathName = path;
    if (m_host) {
        m_host->AddToRecentFileList(path);
        m_host->OnTitleChanged(*this);
    }
}

std::string ODoc::Title() const {
    if (m_pathName.empty()) return m_title;
    const auto slash = m_pathName.find_last_of('/');
    return slash == std::string::npos ? m_pathName : m_pathName.substr(slash + 1);
}

void ODoc::AddView(ODocView* view) {
    m_views.push_back(view);
}

void ODoc::RemoveView(ODocView* view) {
    std::erase(m_views, view);
}

void ODoc::UpdateAllViews() {
    // A view may close itself while updating: walk a copy.
    const auto views = m_views;
    for (ODocView* view : views)
        view->OnUpdate();
}

void ODoc::SetLastFound(OOffset offset, OOffset length) {
    if (offset >= 0 && length > 0)
        m_lastFound.Set(offset, offset + length - 1);
    else
        m_lastFound.Reset();
}

void ODoc::Apply(const OEdit& edit) {
    // A change made without a step (a replace run): the steps before it no
    // longer fit the file.
    if (!m_changing && m_history) m_history->Clear();
    m_markers.Adapt(edit, m_selection, m_lastFound);
    for (ODocView* view : m_views)
        view->OnEdit(edit);
}

bool ODoc::ResolvePending() {
    if (!m_file || !m_file->HasPending()) return true;
    switch (MessageBox(FormatId(ids::IDS_SAVE_CHANGES, m_file->Path().c_str()),
                       OButtons::YesNoCancel, OIcon::Exclamation)) {
    case OAnswer::Yes:
        // A failed write was reported where it happened; the structural
        // edit must not run over bytes that did not reach the disk.
        if (m_file->CommitPending() == 0) {
            // Part of the typed bytes may be on the file: no step fits it.
            if (m_history) m_history->Clear();
            PendingSettled(false);
            return false;
        }
        PendingSettled(true);
        return true;
    case OAnswer::No:
        // Typed bytes past the end are gone: ranges over them go too. An
        // unknown size (said) clips nothing: read as 0 it would drop them all.
        m_file->DiscardPending();
        PendingSettled(false);
        if (OOffset size = 0; m_file->TryGetSize(size))
            m_markers.ClipAll(size, m_selection, m_lastFound);
        return true;
    default:
        return false;
    }
}

OOffset ODoc::ShownLength() const {
    if (!m_file) return 0;
    if (m_search && m_search->Attached()) return m_search->ViewLength(*m_file);
    return m_file->LogicalSize();
}

bool ODoc::QuietShownLength(OOffset& length) const {
    length = 0;
    if (!m_file) return true;
    if (m_search && m_search->Attached()) {
        length = m_search->ViewLength(*m_file);
        return true;
    }
    return m_file->QuietLogicalSize(length);
}

std::size_t ODoc::ReadShown(OOffset offset, OByte* buffer, std::size_t count,
                            std::uint8_t* changed) const {
    if (!m_file) return 0;
    const std::ptrdiff_t through = m_search && m_search->Attached()
                                       ? m_search->ReadThrough(*m_file, offset, buffer, count)
                                       : -1;
    const std::size_t n =
        through >= 0 ? static_cast<std::size_t>(through) : m_file->ReadAt(offset, buffer, count);
    if (!changed) return n;
    // A replace runs only without typed bytes, so the map serves both.
    std::fill_n(changed, n, std::uint8_t{0});
    const OPendingMap& pending = m_file->Pending();
    if (pending.Empty()) return n;
    const int error = LastError();
    for (auto it = pending.LowerBound(offset);
         it != pending.end() && it->first - offset < static_cast<OOffset>(n); ++it)
        changed[it->first - offset] = 1;
    SetLastError(error);
    return n;
}
