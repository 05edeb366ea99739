// The document's undo and redo: recording each change as a step of its
// history, and taking steps back or making them again through the same
// edit operations the commands use.
#include "document/ODiskFile.h"
#include "document/ODoc.h"
#include "document/ODocView.h"
#include "document/OEditOps.h"
#include "document/OMoveExecutor.h"
#include "document/OReplaceRecorder.h"
#include "document/ORewritePlan.h"
#include "document/OStoreCopy.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr OOffset kBackgroundCopyFrom = OOffset{1} << 24;
OOffset g_backgroundCopyFrom = kBackgroundCopyFrom;

} // namespace

void ODoc::SetBackgroundCopyFromForTesting(OOffset bytes) {
    g_backgroundCopyFrom = bytes > 0 ? bytes : kBackgroundCopyFrom;
}

OUndoHistory& ODoc::MakeHistory() {
    if (!m_history) {
        const std::string dir = m_host ? m_host->TempDirectory() : std::string();
        const std::uint64_t limit = m_host ? m_host->UndoStoreLimit() : DefaultUndoStoreLimit(dir);
        m_history = std::make_unique<OUndoHistory>(dir, limit);
    }
    return *m_history;
}

// The span a change touches, widened by one byte each side: the markers
// that end just before it or begin just after it are the ones an insertion
// there may grow or a deletion merge, so they are kept exactly too.
OUndoRanges ODoc::CaptureRanges(OOffset from, OOffset to, OOffset caret, bool markers) const {
    OUndoRanges r;
    std::vector<const ORange*> hits;
    // Markers are listed newest first among equal begins: every marker of a
    // begin taken is taken, so that putting them back keeps their order.
    if (markers) {
        OOffset low = std::max<OOffset>(from - 1, 0);
        for (;;) {
            m_markers.Overlapping(low, to, hits);
            OOffset lowest = low;
            for (const ORange* m : hits)
                lowest = std::min(lowest, m->Begin());
            if (lowest == low) break;
            low = lowest;
        }
    }
    r.markers.reserve(hits.size());
    for (const ORange* m : hits)
        r.markers.push_back(*m);
    r.selectionBegin = m_selection.Begin();
    r.selectionEnd = m_selection.End();
    r.foundBegin = m_lastFound.Begin();
    r.foundEnd = m_lastFound.End();
    r.caret = caret;
    return r;
}

// Many markers wait in the store: deleting a span with a million markers
// costs their memory only while it runs.
void ODoc::SpillMarkers(OUndoRanges& ranges) {
    if (ranges.markers.size() <= OUndoHistory::MarkersInMemory()) return;
    std::string text;
    for (const ORange& m : ranges.markers) {
        text += m.ToText();
        text += '\n';
    }
    OUndoHistory& history = MakeHistory();
    // Without room, or after a failure, they stay in memory.
    if (!history.MakeRoom(text.size())) return;
    const OOffset at =
        history.Store().AppendBytes(reinterpret_cast<const OByte*>(text.data()), text.size());
    if (at < 0) return;
    ranges.markersAt = at;
    ranges.markersLength = static_cast<OOffset>(text.size());
    std::vector<ORange>().swap(ranges.markers);
}

bool ODoc::LoadMarkers(const OUndoRanges& ranges, std::vector<ORange>& out) {
    if (ranges.markersAt < 0) {
        out = ranges.markers;
        return true;
    }
    std::string text(static_cast<std::size_t>(ranges.markersLength), '\0');
    if (!m_history->Store().ReadBytes(ranges.markersAt, reinterpret_cast<OByte*>(text.data()),
                                      text.size()))
        return false;
    out.clear();
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find('\n', begin);
        ORange& m = out.emplace_back();
        m.FromText(std::string_view(text).substr(begin, end - begin));
        begin = end == std::string::npos ? text.size() : end + 1;
    }
    return true;
}

void ODoc::RestoreRanges(const OUndoRanges& from, const OUndoRanges& to, const OEdit& edit) {
    // Markers that cannot be read back (said) are left as the edit moves them.
    std::vector<ORange> removed;
    std::vector<ORange> restored;
    const bool markers = LoadMarkers(from, removed) && LoadMarkers(to, restored);
    for (const ORange& m : removed)
        m_markers.Remove(m);
    const bool changing = m_changing;
    m_changing = true;
    Apply(edit);
    m_changing = changing;
    // Last first: each goes before the markers of its begin, so the newest
    // stays first among equal begins.
    if (markers) {
        for (auto it = restored.rbegin(); it != restored.rend(); ++it)
            m_markers.Insert(*it);
    }
    RestoreSelection(to);
    if (m_context) m_context->MoveCaretAfterEdit(to.caret);
}

void ODoc::RestoreSelection(const OUndoRanges& to) {
    m_selection.Set(to.selectionBegin, to.selectionEnd);
    m_lastFound.Set(to.foundBegin, to.foundEnd);
}

void ODoc::NoteFileState() {
    m_fileState = {};
    if (!m_file) return;
    m_fileState.generation = m_file->Generation();
    // A memory document has nothing underneath; its saves go elsewhere.
    if (!dynamic_cast<ODiskFile*>(m_file.get()) || m_file->Path().empty()) return;
    struct stat info {};
    if (::stat(m_file->Path().c_str(), &info) != 0) return;
    m_fileState.device = info.st_dev;
    m_fileState.inode = info.st_ino;
    m_fileState.size = info.st_size;
    m_fileState.mtimeNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
}

bool ODoc::FileUnchanged(std::uint64_t ownChanges) {
    OFileState noted = m_fileState;
    noted.generation += ownChanges;
    NoteFileState();
    if (m_fileState == noted) return true;
    if (m_history) m_history->Clear();
    ShowStatus(ids::IDS_UNDO_DROPPED);
    return false;
}

void ODoc::PendingSettled(bool written) {
    if (m_history) {
        if (written)
            m_history->MarkTypingSaved();
        else
            m_history->DropPendingTyping();
    }
    m_typingOpen = false;
    NoteFileState();
}

bool ODoc::BeginChange(OUndoKind kind, OOffset offset, OOffset oldLength, OOffset caret) {
    m_typingOpen = false;
    m_building.reset();
    m_changing = true;
    OUndoHistory& history = MakeHistory();
    // History that no longer matches the file is of no use to this change.
    if (history.Count() > 0) FileUnchanged();
    OUndoStep step;
    step.kind = kind;
    OUndoRegion region{offset, oldLength, 0, -1, -1};
    // A region the file no longer holds: the edit refuses it and says so.
    OOffset size = 0;
    if (oldLength > 0 && (!m_file->QuerySize(size) || offset < 0 || offset > size - oldLength))
        return true;
    if (oldLength > 0) {
        // A large delete's bytes go to the store while the tail moves over
        // them, the file's writes waiting where they would overtake the
        // copy. Only where the tail covers them: a write or cut reaching
        // far ahead of it would wait without a word.
        const bool background = (kind == OUndoKind::Delete || kind == OUndoKind::Cut) &&
                                oldLength >= g_backgroundCopyFrom &&
                                size - offset - oldLength >= oldLength;
        if (history.MakeRoom(static_cast<std::uint64_t>(oldLength))) {
            // -1 once the store could not be made (said): not a second time.
            OOffset at = 0;
            if (background)
                m_storeCopy = history.Store().AppendInBackground(*m_file, offset, oldLength, at);
            if (m_storeCopy) {
                region.oldAt = at;
                m_file->SetFence(m_storeCopy.get());
            } else if (at == 0) {
                region.oldAt = history.Store().Append(*m_file, offset, oldLength);
            }
        }
        if (region.oldAt < 0) {
            // Cancel while the bytes were kept cancels the change itself.
            if (LastError() == ECANCELED || MessageBoxId(ids::IDS_UNDO_IMPOSSIBLE, OButtons::YesNo,
                                                         OIcon::Question) != OAnswer::Yes) {
                m_changing = false;
                return false;
            }
            // Older steps cannot be reached past a change that has none.
            history.Clear();
            return true;
        }
    }
    step.regions.push_back(region);
    step.before = CaptureRanges(offset, offset + oldLength, caret);
    SpillMarkers(step.before);
    m_building = std::move(step);
    return true;
}

bool ODoc::FinishStoreCopy(bool succeeded) {
    if (!m_storeCopy) return true;
    if (!succeeded) m_storeCopy->Stop();
    const int error = m_storeCopy->Finish();
    m_file->SetFence(nullptr);
    m_storeCopy.reset();
    if (error == 0 || !succeeded) return true;
    // The change has gone on as asked; only its undo is lost.
    SetLastError(error);
    MessageBox(FormatId(ids::IDS_UNDO_NOT_KEPT, SystemErrorText(error).c_str()), OButtons::Ok,
               OIcon::Exclamation);
    return false;
}

void ODoc::EndChange(bool succeeded, OOffset newLength, OOffset caret) {
    m_changing = false;
    const bool kept = FinishStoreCopy(succeeded);
    if (!m_building) {
        NoteFileState();
        return;
    }
    OUndoStep step = std::move(*m_building);
    m_building.reset();
    OUndoRegion& region = step.regions.front();
    if (!succeeded || !kept) {
        // Its bytes and any markers it spilled go back to the store. A
        // refusal changed nothing; any other failure may have moved part of
        // the file, and the steps before no longer fit it; a change whose
        // bytes were not kept cannot be undone, nor those before it.
        MakeHistory().Release(step);
        if (!kept || LastError() != EINVAL) m_history->Clear();
        NoteFileState();
        return;
    }
    region.newLength = newLength;
    step.after = CaptureRanges(region.offset, region.offset + newLength, caret);
    SpillMarkers(step.after);
    MakeHistory().Push(std::move(step));
    NoteFileState();
}

void ODoc::RecordTyping(const OTypedByte& typed, OOffset sizeBefore) {
    OUndoHistory& history = MakeHistory();
    OUndoStep* top = history.NextUndo();
    const bool joins = m_typingOpen && !history.CanRedo() && top &&
                       top->kind == OUndoKind::Typing && !top->saved && !top->typed.empty() &&
                       top->typed.size() < OUndoHistory::kMaxTyped &&
                       std::abs(typed.offset - top->typed.back().offset) <= 1;
    if (joins) {
        const std::size_t before = top->MemoryBytes();
        OTypedByte& last = top->typed.back();
        if (last.offset == typed.offset) {
            // The second digit of a byte, or the byte typed over.
            last.after = typed.after;
            last.pendingAfter = typed.pendingAfter;
        } else {
            top->typed.push_back(typed);
        }
        top->after = CaptureRanges(0, 0, typed.offset, false);
        history.Grew(top->MemoryBytes() - before);
    } else {
        // The byte itself has advanced the file's generation once.
        if (history.Count() > 0) FileUnchanged(1);
        OUndoStep step;
        step.kind = OUndoKind::Typing;
        step.typed.push_back(typed);
        step.sizeBefore = sizeBefore;
        // Typing moves no range: before and after it they are as now.
        step.before = CaptureRanges(0, 0, typed.offset, false);
        step.after = step.before;
        history.MakeRoom(0);
        history.Push(std::move(step));
        top = history.NextUndo();
    }
    OOffset size = 0;
    top->sizeAfter = m_file->QuietLogicalSize(size) ? size : top->sizeAfter;
    m_typingOpen = true;
    NoteFileState();
}

bool ODoc::Undo() {
    return TakeStep(false);
}

bool ODoc::Redo() {
    return TakeStep(true);
}

bool ODoc::TakeStep(bool redo) {
    m_typingOpen = false;
    if (!m_history || !(redo ? m_history->CanRedo() : m_history->CanUndo()) || !m_file)
        return false;
    OUndoStep* next =
        FileUnchanged() ? (redo ? m_history->NextRedo() : m_history->NextUndo()) : nullptr;
    if (!next) return false;
    OUndoStep& step = *next;
    const bool done =
        step.kind == OUndoKind::Typing ? RunTyping(step, redo) : RunStructural(step, redo);
    NoteFileState();
    UpdateAllViews();
    return done;
}

// Pending steps put the pending map back as it was on the other side; saved
// ones write the bytes (and the length) to the file.
bool ODoc::RunTyping(OUndoStep& step, bool redo) {
    OFile& file = *m_file;
    if (!step.saved) {
        auto apply = [&file](const OTypedByte& t, bool forward) {
            const bool pending = forward ? t.pendingAfter : t.pendingBefore;
            if (pending)
                file.SetByte(t.offset, forward ? t.before : t.after, forward ? t.after : t.before);
            else
                file.UndoByte(t.offset);
        };
        if (redo) {
            for (const OTypedByte& t : step.typed)
                apply(t, true);
        } else {
            for (auto it = step.typed.rbegin(); it != step.typed.rend(); ++it)
                apply(*it, false);
        }
    } else {
        // Typed bytes of a later run would be written under these.
        if (file.HasPending() && !ResolvePending()) return false;
        if (!file.EnsureWritable()) return false;
        const OOffset size = redo ? step.sizeAfter : step.sizeBefore;
        bool ok = true;
        if (redo) {
            for (const OTypedByte& t : step.typed)
                ok = ok && file.WriteAllAt(t.offset, &t.after, 1);
        } else {
            for (auto it = step.typed.rbegin(); it != step.typed.rend() && ok; ++it) {
                if (it->offset < size) ok = file.WriteAllAt(it->offset, &it->before, 1);
            }
        }
        OOffset now = 0;
        if (ok && file.TryGetSize(now) && now != size) ok = file.SetSize(size);
        file.Touched();
        if (!ok) {
            // Part of the step is on the file: neither side of it is.
            m_history->Clear();
            return false;
        }
        if (!redo) m_markers.ClipAll(size, m_selection, m_lastFound);
    }
    RestoreSelection(redo ? step.after : step.before);
    if (redo)
        m_history->Redone();
    else
        m_history->Undone();
    if (m_context) {
        const OOffset caret = redo ? step.after.caret + 1 : step.before.caret;
        m_context->MoveCaretAfterEdit(std::min(caret, file.LogicalSize()));
    }
    return true;
}

namespace {

// A region's bytes in the store and their place in the file.
struct OStoredBytes {
    OOffset at = 0;
    OOffset length = 0;
    OOffset offset = 0;
};

// Bytes for the file at offset; a list of them is in ascending order.
struct OPatch {
    OOffset offset = 0;
    const OByte* data = nullptr;
    std::size_t length = 0;
};

// Writes patches lying close together as one read of their span, the bytes
// laid over it and one write: a write per match of a few bytes costs
// several system calls, which for millions of matches outweighs the span.
class OPatchWriter {
public:
    explicit OPatchWriter(OFile& file) : m_file(file) {
        if (!m_file.TryGetSize(m_size)) m_size = -1;
    }

    bool Write(const std::vector<OPatch>& patches) {
        constexpr OOffset kSpan = OOffset{1} << 20;
        constexpr OOffset kDense = 4096; // the span per patch worth a read and a write
        for (std::size_t i = 0; i < patches.size();) {
            const OOffset begin = patches[i].offset;
            OOffset end = begin + static_cast<OOffset>(patches[i].length);
            std::size_t last = i + 1;
            for (; last < patches.size(); ++last) {
                const OOffset next =
                    patches[last].offset + static_cast<OOffset>(patches[last].length);
                if (next - begin > kSpan) break;
                end = std::max(end, next);
            }
            const auto count = static_cast<OOffset>(last - i);
            if (count < 2 || end - begin > count * kDense) {
                if (!WriteOne(begin, patches[i].data, patches[i].length)) return false;
                ++i;
                continue;
            }
            m_span.resize(static_cast<std::size_t>(end - begin));
            if (!ReadExactly(m_file, begin, m_span.data(), m_span.size())) return false;
            for (; i < last; ++i) {
                const OPatch& p = patches[i];
                std::memcpy(m_span.data() + (p.offset - begin), p.data, p.length);
            }
            if (!WriteOne(begin, m_span.data(), m_span.size())) return false;
        }
        return true;
    }

private:
    // Inside the file a plain write; past its end, or after a failure (a
    // full disk asks), the write that checks.
    bool WriteOne(OOffset offset, const OByte* data, std::size_t count) {
        if (offset <= m_size - static_cast<OOffset>(count) && m_file.Seek(offset) &&
            m_file.Write(data, count) == count)
            return true;
        return WriteBlock(data, m_file, offset, count);
    }

    OFile& m_file;
    OOffset m_size = -1;
    std::vector<OByte> m_span;
};

// Writes each region's bytes from the store, reading the store a window of
// many regions at a time: a run's regions lie side by side in its batches,
// and a read per region of a few bytes cost more than the rewrite.
bool WriteStored(OUndoStore& store, OFile& file, const std::vector<OStoredBytes>& pieces) {
    constexpr OOffset kWindow = OOffset{1} << 20;
    if (!file.EnsureWritable()) return false;
    OPatchWriter writer(file);
    std::vector<OByte> window;
    std::vector<OPatch> patches;
    for (std::size_t i = 0; i < pieces.size();) {
        const OStoredBytes& head = pieces[i];
        if (head.length > kWindow) {
            if (!store.CopyTo(head.at, head.length, file, head.offset)) return false;
            ++i;
            continue;
        }
        OOffset end = head.at + head.length;
        std::size_t last = i + 1;
        for (; last < pieces.size(); ++last) {
            const OStoredBytes& p = pieces[last];
            if (p.at < head.at || p.at + p.length - head.at > kWindow) break;
            end = std::max(end, p.at + p.length);
        }
        window.resize(static_cast<std::size_t>(end - head.at));
        if (!store.ReadBytes(head.at, window.data(), window.size())) return false;
        patches.clear();
        for (; i < last; ++i) {
            const OStoredBytes& p = pieces[i];
            if (p.length > 0)
                patches.push_back({p.offset, window.data() + (p.at - head.at),
                                   static_cast<std::size_t>(p.length)});
        }
        if (!writer.Write(patches)) return false;
    }
    return true;
}

// Visits every region of step in ascending order: those in memory, then
// the records, their bytes' places in the store worked out. False when a
// record cannot be read (said) or makes no sense (EIO), or visit says so.
template <class Visit> bool ForEachRegion(OUndoStore& store, const OUndoStep& step, Visit&& visit) {
    for (const OUndoRegion& r : step.regions) {
        if (!visit(r)) return false;
    }
    constexpr std::size_t kHeader = OReplaceRecorder::kRecordHeader;
    std::vector<OByte> batch;
    for (const OUndoSegment& s : step.records) {
        batch.resize(static_cast<std::size_t>(s.length));
        if (!store.ReadBytes(s.at, batch.data(), batch.size())) return false;
        for (std::size_t at = 0; at + kHeader <= batch.size();) {
            OOffset header[3] = {};
            std::memcpy(header, batch.data() + at, kHeader);
            at += kHeader;
            OUndoRegion r{header[0], header[1], header[2], -1, -1};
            // Cannot be: the store holds what was put there.
            if (r.oldLength < 0 || r.newLength < 0 ||
                static_cast<std::uint64_t>(r.oldLength) + static_cast<std::uint64_t>(r.newLength) >
                    batch.size() - at) {
                SetLastError(EIO);
                return false;
            }
            r.oldAt = s.at + static_cast<OOffset>(at);
            r.newAt = r.oldAt + r.oldLength;
            at += static_cast<std::size_t>(r.oldLength + r.newLength);
            if (!visit(r)) return false;
        }
    }
    return true;
}

// The regions of a replace run in passes of at most MaxRegions() each,
// lowest first: a pass moves every stretch from its first region to the
// end of the file once (under the journal), then writes its regions' bytes
// of the other side. Between passes the file is the change made, or taken
// back, up to the last region done. span gets the one edit the ranges
// follow: from the first region over all of them.
bool RewriteInPasses(OFile& file, OUndoStore& store, const OUndoStep& step, bool redo,
                     OEdit& span) {
    const std::size_t most = OReplaceRecorder::MaxRegions();
    std::vector<ORewriteRegion> regions;
    std::vector<OStoredBytes> pieces;
    OOffset done = 0;   // redo: the change of length the passes before made
    OOffset within = 0; // the change of length of this pass's regions so far
    OOffset first = -1;
    OOffset end = 0;
    OOffset total = 0;
    const auto pass = [&] {
        const bool ok = RewriteRegions(file, regions) && WriteStored(store, file, pieces);
        regions.clear();
        pieces.clear();
        done += within;
        within = 0;
        return ok;
    };
    const bool ok = ForEachRegion(store, step, [&](const OUndoRegion& r) {
        if (first < 0) first = r.offset;
        end = r.offset + r.oldLength;
        if (redo) {
            regions.push_back({r.offset + done, r.oldLength, r.newLength});
            if (r.newLength > 0) pieces.push_back({r.newAt, r.newLength, r.offset + done + within});
        } else {
            // The passes before have taken their regions back: only this
            // pass's regions before r still move it.
            regions.push_back({r.offset + within, r.newLength, r.oldLength});
            if (r.oldLength > 0) pieces.push_back({r.oldAt, r.oldLength, r.offset});
        }
        within += r.newLength - r.oldLength;
        total += r.newLength - r.oldLength;
        return regions.size() < most || pass();
    });
    if (!ok || (!regions.empty() && !pass())) return false;
    span = {first, end - first, end - first + total};
    return true;
}

} // namespace

// 1. Undo only: keep the bytes the undo removes, so that redo can put them
//    back (an insertion's zeros need nothing).
// 2. Many regions in one rewrite of the file. One region (or an insert)
//    through the edit operations.
// 3. The ranges of the other side.
bool ODoc::RunStructural(OUndoStep& step, bool redo) {
    OFile& file = *m_file;
    if (!ResolvePending()) return false;
    OUndoStore& store = m_history->Store();
    bool keepRedo = true;
    if (!redo && step.kind != OUndoKind::Insert) {
        OOffset shift = 0;
        for (OUndoRegion& r : step.regions) {
            if (r.newLength > 0 && r.newAt < 0) {
                if (m_history->MakeRoomBelow(static_cast<std::uint64_t>(r.newLength)))
                    r.newAt = store.Append(file, r.offset + shift, r.newLength);
                // Without them the change can still be undone, but not redone.
                if (r.newAt < 0) keepRedo = false;
            }
            shift += r.newLength - r.oldLength;
        }
    }
    std::vector<OOffset> shifts;
    OOffset shift = 0;
    for (const OUndoRegion& r : step.regions) {
        shifts.push_back(shift);
        shift += r.newLength - r.oldLength;
    }
    m_changing = true;
    bool ok = true;
    auto run = [&](const OUndoRegion& r, OOffset at) {
        if (redo) {
            if (step.kind == OUndoKind::Insert) return InsertZeros(file, at, r.newLength);
            return ResizeRegion(file, at, r.oldLength, r.newLength) &&
                   store.CopyTo(r.newAt, r.newLength, file, at);
        }
        return ResizeRegion(file, at, r.newLength, r.oldLength) &&
               store.CopyTo(r.oldAt, r.oldLength, file, at);
    };
    // The ranges follow one edit over the whole span the regions cover.
    const OUndoRegion& first = step.regions.front();
    const OUndoRegion& last = step.regions.back();
    OEdit span{first.offset, last.offset + last.oldLength - first.offset,
               last.offset + shifts.back() + last.newLength - first.offset};
    if ((step.regions.size() > 1 || !step.records.empty()) && step.kind != OUndoKind::Insert) {
        ok = RewriteInPasses(file, store, step, redo, span);
    } else if (redo) {
        for (std::size_t i = 0; i < step.regions.size() && ok; ++i)
            ok = run(step.regions[i], step.regions[i].offset + shifts[i]);
    } else {
        for (std::size_t i = step.regions.size(); i-- > 0 && ok;)
            ok = run(step.regions[i], step.regions[i].offset + shifts[i]);
    }
    m_changing = false;
    if (!ok) {
        // The file is partly one side and partly the other: no step fits it.
        m_history->Clear();
        UpdateAllViews();
        return false;
    }
    if (redo) {
        RestoreRanges(step.before, step.after, span);
        m_history->Redone();
    } else {
        RestoreRanges(step.after, step.before, {span.offset, span.inserted, span.removed});
        m_history->Undone();
        if (!keepRedo) m_history->DropFromCursor();
    }
    return true;
}

// A replace run becomes one step: its regions and their bytes come from the
// run as it goes; the markers are taken around the run's one edit of the
// length, or over its regions when the length stays.
void ODoc::BeginReplaceRun() {
    m_typingOpen = false;
    // History that no longer matches the file is dropped with its own word.
    if (m_history && m_history->Count() > 0) FileUnchanged();
    m_recorder = std::make_unique<OReplaceRecorder>(MakeHistory());
    m_replaceStep = {};
    m_replaceStep.kind = OUndoKind::Replace;
    m_replaceStep.before = CaptureRanges(0, 0, Caret(), false);
    m_replaceEdited = false;
}

void ODoc::RecordReplaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                          std::size_t newLength) {
    if (m_recorder) m_recorder->Add(before, old, oldLength, now, newLength);
}

void ODoc::ReplaceRunEdited(const OEdit& edit) {
    const bool changing = m_changing;
    if (m_recorder) {
        m_replaceStep.before.markers =
            CaptureRanges(edit.offset, edit.offset + edit.removed, 0).markers;
        m_changing = true;
    }
    Apply(edit);
    m_changing = changing;
    if (m_recorder) {
        m_replaceStep.after.markers =
            CaptureRanges(edit.offset, edit.offset + edit.inserted, 0).markers;
        m_replaceEdited = true;
    }
}

void ODoc::EndReplaceRun(bool failed) {
    const std::unique_ptr<OReplaceRecorder> recorder = std::move(m_recorder);
    if (!recorder) return;
    OUndoStep step = std::move(m_replaceStep);
    m_replaceStep = {};
    if (failed || recorder->Failed() || (recorder->Count() > 0 && !recorder->Finish(step))) {
        MakeHistory().Release(step);
        // Some of the run is in the file and no step says what.
        m_history->Clear();
        ShowStatus(ids::IDS_UNDO_REPLACE_CLEARED);
    } else if (!step.regions.empty()) {
        std::vector<ORange> after = std::move(step.after.markers);
        step.after = CaptureRanges(0, 0, Caret(), false);
        step.after.markers = std::move(after);
        if (!m_replaceEdited) {
            // The length stayed: no marker moved, those over the regions are kept as they are.
            step.before.markers =
                CaptureRanges(step.regions.front().offset, recorder->End(), 0).markers;
            step.after.markers = step.before.markers;
        }
        SpillMarkers(step.before);
        SpillMarkers(step.after);
        m_history->Push(std::move(step));
    }
    NoteFileState();
}
