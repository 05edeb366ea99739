#pragma once

#include "document/OCommandRules.h"
#include "document/ODocSearch.h"
#include "document/OEditContext.h"
#include "document/OFile.h"
#include "document/OUndoHistory.h"
#include "markers/OMarkerList.h"
#include "markers/ORange.h"
#include "platform/OCommandTarget.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class OClipHolder;
class ODoc;
class ODocView;
class OMarkerDialogs;
class OReplaceRecorder;
class OStoreCopy;

// The services a document takes from the application around it.
class ODocHost {
public:
    virtual void AddToRecentFileList(const std::string& path) = 0;
    // The document's name changed (saved under a new name).
    virtual void OnTitleChanged(ODoc& doc) = 0;
    // Keeps the first view's state for the next opening of the file.
    virtual void StoreViewState(ODoc& doc, ODocView& firstView) = 0;
    // The backup made before a file's first change; true when it succeeded
    // or none was wanted.
    virtual bool MakeBackup(OFile& file) = 0;
    // The program's one clipboard store, and where its temporary file goes.
    virtual OClipHolder& ClipHolder() = 0;
    virtual std::string TempDirectory() = 0;
    // The marker edit and list dialogs; without them the marker commands
    // that need one change nothing.
    virtual OMarkerDialogs* MarkerDialogs() { return nullptr; }
    // The most bytes each document's undo store may hold.
    virtual std::uint64_t UndoStoreLimit() { return DefaultUndoStoreLimit(TempDirectory()); }

protected:
    ~ODocHost() = default;
};

// One open file: owns its file object and (as they are added) the ranges
// and search state over it. Views display it; it tells them to repaint
// after every change.
class ODoc : public OFileOwner, public OCommandTarget {
public:
    explicit ODoc(ODocHost* host = nullptr);
    ODoc(const ODoc&) = delete;
    ODoc& operator=(const ODoc&) = delete;
    virtual ~ODoc();

public: // life cycle
    // An empty, unnamed document held in memory.
    bool OnNewDocument();
    // Opens path read-only without reading it; false (after "path: error")
    // when it cannot be opened.
    bool OnOpenDocument(const std::string& path, OFileIo& io = OFileIo::System());
    void OnCloseDocument();
    bool DoFileSave();
    // The question before closing a modified document; false means do not close.
    bool SaveModified();

public: // state
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified) override { m_modified = modified; }
    void SetPathName(const std::string& path) override;
    const std::string& PathName() const { return m_pathName; }
    // The file name for a named document, else the title given at creation.
    std::string Title() const;
    void SetTitle(const std::string& title) { m_title = title; }
    OFile* File() const { return m_file.get(); }
    bool ReadOnly() const { return m_readOnly; }
    OSelection& Selection() { return m_selection; }
    const OSelection& Selection() const { return m_selection; }
    ORange& LastFound() { return m_lastFound; }
    const ORange& LastFound() const { return m_lastFound; }
    // The last match: length bytes at offset; none for no match (offset
    // -1) or a match replaced by nothing (length 0).
    void SetLastFound(OOffset offset, OOffset length);
    OMarkerList& Markers() { return m_markers; }
    const OMarkerList& Markers() const { return m_markers; }
    // The search state, made by the first search and shared by every view.
    std::shared_ptr<ODocSearch>& Search() { return m_search; }
    // What the views show: the file with its pending bytes, and while a
    // replace run holds replacements, those too. 0 without a file.
    OOffset ShownLength() const;
    // ShownLength without a message box, for painting: false (LastError()
    // set) when the file's size cannot be read.
    bool QuietShownLength(OOffset& length) const;
    // changed, when given, gets one flag per byte read: 1 for a typed byte
    // not yet saved.
    std::size_t ReadShown(OOffset offset, OByte* buffer, std::size_t count,
                          std::uint8_t* changed = nullptr) const;
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

public: // views
    void AddView(ODocView* view);
    void RemoveView(ODocView* view);
    const std::vector<ODocView*>& Views() const { return m_views; }
    void UpdateAllViews();

public: // editing
    // Settles typed bytes before a structural edit: asks "Save changes to
    // %s ?"; false when the edit must not go on (Cancel, or the save failed).
    bool ResolvePending();
    // After a structural change of the file: the selection, the last-found
    // range, the markers and every view adapt to it. The caller repaints
    // (UpdateAllViews) once its command is done.
    void Apply(const OEdit& edit);

public: // undo
    // Around every structural change the program makes of one region
    // [offset, offset + oldLength) -> newLength bytes; caret is the edit
    // caret before and after. BeginChange keeps the bytes the change removes
    // in the undo store; false when the change must not go on (No to "This
    // change cannot be undone. Go on?"). EndChange records the step, or for
    // a change that failed drops what was kept (and the history, unless the
    // change was refused before anything moved).
    bool BeginChange(OUndoKind kind, OOffset offset, OOffset oldLength, OOffset caret);
    void EndChange(bool succeeded, OOffset newLength, OOffset caret);
    // A delete or cut of at least this many bytes, with a tail as long
    // behind it, keeps its bytes on a thread of their own while the tail
    // moves over them (0 restores the normal 16 MiB).
    static void SetBackgroundCopyFromForTesting(OOffset bytes);
    // A byte typed at offset (after SetByte) or taken back (after UndoByte):
    // joins the run of typing open at the byte before, at or after it, else
    // starts a step. sizeBefore is the length shown before this byte.
    void RecordTyping(const OTypedByte& typed, OOffset sizeBefore);
    // Ends the run of typing: the next typed byte starts a step.
    void EndTyping() { m_typingOpen = false; }
    // Each takes back or makes again one step, with its bytes, length,
    // markers, selection, last-found range and caret; false when there was
    // none, the file changed underneath (said, the history dropped) or a
    // failure was said.
    bool Undo();
    bool Redo();
    // Null until the first change.
    const OUndoHistory* History() const { return m_history.get(); }

public: // a replace run, through the search's host
    // Around a replace run: each replacement the file holds, in ascending
    // order with its offset before the run; the run's one edit of the
    // length (instead of Apply); the end, failed when a failure was said.
    void BeginReplaceRun();
    void RecordReplaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                        std::size_t newLength);
    void ReplaceRunEdited(const OEdit& edit);
    void EndReplaceRun(bool failed);

public: // commands
    // The active view, for the caret and text form of the edit commands.
    void SetEditContext(OEditContext* context) { m_context = context; }
    OEditContext* EditContext() const { return m_context; }
    // The selection when it holds the caret, else the shortest marker there.
    const ORange* RangeAt(OOffset offset) const;
    // The document's part of what the update rules read, with the caret of
    // the edit context (0 without one) and the length shown (0 when it
    // cannot be read: no message box, the rules are asked at every idle tick).
    OCommandState CommandState() const;
    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

private:
    void Attach(std::unique_ptr<OFile> file);
    bool Copy(const ORange& range);
    void Cut(const ORange& range);
    void Delete(const ORange& range, OUndoKind kind = OUndoKind::Delete);
    // The edit context's caret, 0 without one.
    OOffset Caret() const;
    // Pastes over [begin, begin + oldLength): an insertion when oldLength is 0.
    void Paste(OOffset begin, OOffset oldLength);

    // The marker commands (in ODocMarkers.cpp): false for any other command.
    bool OnMarkerCommand(OCommandId id);
    // Each returns whether it changed something the views show.
    bool AddMarker(OOffset length);
    bool AddOffsetMarker(OOffset length);
    bool EditMarker();
    bool RemoveMarker();
    bool RemoveAllMarkers();
    bool GotoMarker(OCommandId id);
    // The range the user picks in the marker list, copied; none for Cancel.
    std::optional<ORange> ChooseRange(bool withSelectionAndLastFound, OCommandId caption);

    // Undo's part (in ODocUndo.cpp).
    OUndoHistory& MakeHistory();
    OUndoRanges CaptureRanges(OOffset from, OOffset to, OOffset caret, bool markers = true) const;
    // Puts the ranges of one side of a step back after the edit that the step
    // undoes or redoes: removes the markers of the other side, adapts the
    // rest to edit, inserts these.
    void RestoreRanges(const OUndoRanges& from, const OUndoRanges& to, const OEdit& edit);
    void RestoreSelection(const OUndoRanges& to);
    // Moves a large marker set of a step to the store, and reads one back
    // (false after a failure, said).
    void SpillMarkers(OUndoRanges& ranges);
    bool LoadMarkers(const OUndoRanges& ranges, std::vector<ORange>& out);
    bool RunStructural(OUndoStep& step, bool redo);
    bool RunTyping(OUndoStep& step, bool redo);
    // Undo (redo false) or Redo of the next step, if the file still fits it.
    bool TakeStep(bool redo);
    // Ends the background copy of the change under way; false when it
    // failed (said), the step's bytes then given back.
    bool FinishStoreCopy(bool succeeded);
    // The file's identity after this program's last change.
    void NoteFileState();
    // False (the history dropped, said) when the file changed underneath.
    // ownChanges: changes of the file's generation made since by the caller.
    bool FileUnchanged(std::uint64_t ownChanges = 0);
    // After typed bytes were settled: committed (true) or dropped.
    void PendingSettled(bool written);

    struct OFileState {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        OOffset size = -1;
        std::int64_t mtimeNs = 0;
        std::uint64_t generation = 0;
        bool operator==(const OFileState&) const = default;
    };

    ODocHost* m_host;
    OEditContext* m_context = nullptr;
    std::unique_ptr<OFile> m_file;
    OSelection m_selection;
    OMarkerList m_markers;
    ORange m_lastFound = MakeLastFoundRange();
    std::shared_ptr<ODocSearch> m_search;
    std::vector<ODocView*> m_views;
    std::string m_pathName;
    std::string m_title;
    bool m_readOnly = true;
    bool m_modified = false;
    std::unique_ptr<OUndoHistory> m_history;
    std::optional<OUndoStep> m_building; // between BeginChange and EndChange
    // The bytes of the change under way still going to the store, as the
    // file's write fence.
    std::unique_ptr<OStoreCopy> m_storeCopy;
    bool m_changing = false; // a change or an undo adapts the ranges
    bool m_typingOpen = false;
    // The replace run under way: its recorder and its step's ranges.
    std::unique_ptr<OReplaceRecorder> m_recorder;
    OUndoStep m_replaceStep;
    bool m_replaceEdited = false;
    OFileState m_fileState;
};
