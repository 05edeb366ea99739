#include "find/OFindState.h"

#include "document/OEditOps.h"
#include "document/OFile.h"
#include "find/OSearchArea.h"
#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"

#include <algorithm>
#include <cstring>

namespace {

// min(a + b, limit) without overflow, for b >= 0.
OOffset AddClamped(OOffset a, OOffset b, OOffset limit) {
    return a > limit - b ? limit : a + b;
}

// A totals text with its "%u" fields filled in turn: counts on a large file
// pass 2^32, so they are written out in full instead of through printf.
std::string CountText(OTextId id, std::uint64_t first, std::uint64_t second) {
    const std::string format = LoadString(id);
    std::string text;
    int field = 0;
    for (std::size_t k = 0; k < format.size(); ++k) {
        if (format[k] == '%' && k + 1 < format.size() && format[k + 1] == 'u' && field < 2) {
            text += std::to_string(field++ == 0 ? first : second);
            ++k;
        } else {
            text += format[k];
        }
    }
    return text;
}

} // namespace

void OFindState::SetBufferLimitForTesting(std::size_t bytes) {
    OTransferBuffer::SetRequestLimitForTesting(bytes == 0 ? 0
                                                          : std::max(bytes, kSmallestForTesting));
}

// 1. Options as the dialog leaves them: selection only needs a selection,
//    count only excludes replace, a replace runs down.
// 2. Pattern and replacement become bytes; the matcher is prepared before
//    anything is asked or allocated, so an unusable pattern costs nothing.
// 3. The work buffer for the mode; typed bytes are settled before a replace.
// 4. Area and start, then the count or the search run.
OOffset OFindState::Run(OFile& file, const std::string& findText, const std::string& replaceText,
                        const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                        OOffset selectionEnd, bool oem, OFindHost& host) {
    OLongOperation running;
    const bool selection = selectionBegin >= 0 && selectionEnd >= selectionBegin;
    m_options = options;
    if (!selection) m_options.selectionOnly = false;
    if (m_options.countOnly) m_options.replace = false;
    if (m_options.replace) m_options.down = true;
    ClearCanFind();

    m_pattern = ParsePattern(PatternTextBytes(findText, oem));
    m_replacement =
        m_options.replace ? ParsePattern(PatternTextBytes(replaceText, oem)) : OPattern{};
    const auto wildcard = static_cast<OByte>(
        ChooseWildcardByte(m_pattern, m_options.replace ? &m_replacement : nullptr));
    for (OPattern* p : {&m_pattern, &m_replacement})
        for (int k = 0; k < p->length; ++k)
            if (p->wildcard[static_cast<std::size_t>(k)])
                p->bytes[static_cast<std::size_t>(k)] = wildcard;
    m_prepared = m_matcher.Prepare(m_pattern, m_options.matchCase, oem);
    if (!m_prepared) {
        m_lastFound = -1;
        return -1;
    }

    const Mode mode = m_options.countOnly ? Mode::Count
                      : m_options.replace ? Mode::Replace
                                          : Mode::Find;
    if (!RequestBuffer(mode)) {
        m_lastFound = -1;
        return -1;
    }
    // Replacements written under typed bytes would be overlaid by them later.
    if (mode == Mode::Replace && (!host.ResolvePending() || file.HasPending())) {
        ReleaseBuffer();
        m_lastFound = -1;
        return -1;
    }

    // A size that cannot be read (GetSize has said so) would give an area
    // of nothing.
    SetLastError(0);
    const OOffset size = file.LogicalSize();
    if (LastError() != 0) {
        if (mode != Mode::Find) ReleaseBuffer();
        m_lastFound = -1;
        return -1;
    }
    const bool down = m_options.down;
    const OSearchArea area =
        ChooseSearchArea(m_options, caret, selectionBegin, selectionEnd, size, m_matcher.Length());
    m_areaBegin = area.begin;
    m_areaEnd = area.end;
    m_areaToEnd = area.toEnd;
    const OOffset start = area.start;

    if (mode == Mode::Count) {
        CountRun(file, start, down);
        return -1;
    }
    m_lastDown = down;
    return SearchRun(file, host, start, m_options.replace, down);
}

OOffset OFindState::FindNext(OFile& file, OFindHost& host) {
    if (!m_prepared) return -1;
    OLongOperation running;
    if (!m_options.selectionOnly && !m_lastDown) {
        m_areaBegin = 0;
        m_areaToEnd = true;
    }
    m_lastDown = true;
    const OOffset start = m_lastFound >= 0 ? m_lastFound + 1 : m_origin;
    if (start < 0) return -1;
    if (!RequestBuffer(Mode::Find)) {
        ClearCanFind();
        m_lastFound = -1;
        return -1;
    }
    return SearchRun(file, host, start, false, true);
}

OOffset OFindState::FindPrev(OFile& file, OFindHost& host) {
    if (!m_prepared) return -1;
    OLongOperation running;
    if (!m_options.selectionOnly && m_lastDown) {
        m_areaBegin = 0;
        m_areaToEnd = true;
    }
    m_lastDown = false;
    const OOffset start = m_lastFound >= 0 ? m_lastFound - 1 : m_origin;
    if (m_lastFound < 0 && start < 0) return -1;
    if (!RequestBuffer(Mode::Find)) {
        ClearCanFind();
        m_lastFound = -1;
        return -1;
    }
    return SearchRun(file, host, start, false, false);
}

OOffset OFindState::ViewLength(OFile& file) const {
    return m_attached ? m_view.Length() : file.LogicalSize();
}

std::ptrdiff_t OFindState::ReadThrough(OFile& file, OOffset offset, OByte* out,
                                       std::size_t count) const {
    return m_attached ? m_view.Read(file, offset, out, count) : -1;
}

// ---- Runs -------------------------------------------------------------------

// 1. The area follows the file's current size; a start outside it fails.
// 2. Find, backward find or the replace loop under one progress window.
// 3. The can-find flags: after a find they say whether the area has more
//    in each direction; after a replace both are off.
OOffset OFindState::SearchRun(OFile& file, OFindHost& host, OOffset start, bool replace,
                              bool down) {
    SetLastError(0);
    const OOffset size = file.LogicalSize();
    m_areaEnd = m_areaToEnd ? size : std::min(m_areaEnd, size);
    if (start < 0 || start > size || LastError() != 0) {
        ClearCanFind();
        m_lastFound = -1;
        if (m_mode != Mode::Find) ReleaseBuffer();
        return -1;
    }
    if (m_mode == Mode::Find) m_origin = m_lastFound;
    m_status.emplace();
    m_processingText = FormatId(ids::IDS_PROCESSING, PatternDisplayText(m_pattern).c_str());
    m_processingShown = false;
    m_progress = CreateProgress(m_areaBegin, m_areaEnd, true);
    OOffset result = -1;
    if (replace) {
        result = ReplaceLoop(file, host, start);
    } else {
        OOffset found = -1;
        if (Search(file, start, down, false, found) == Scan::Found) result = found;
    }
    m_progress.reset();
    m_status.reset();
    if (m_mode != Mode::Find) {
        ClearCanFind();
        return result;
    }
    if (result >= 0) m_origin = result;
    const OOffset length = m_matcher.Length();
    if (down) {
        m_canFindNext = result >= 0 && result < m_areaEnd - length;
        m_canFindPrev = start != m_areaBegin;
    } else {
        m_canFindPrev = result >= 0 && result > m_areaBegin;
        m_canFindNext = start != m_areaEnd;
    }
    return result;
}

// Every match in the area from start, block by block, in one direction:
// visit(offset) returns false to stop there (Found), true to go on.
// 1. Down: the buffer serves when it holds [start, start + length), else a
//    block is loaded at start; each search begins one byte after the last
//    match (overlapping matches count), and the next block overlaps this
//    one by length - 1 bytes, so a match across the seam is whole in one.
// 2. Up: candidates are the p <= start with [p, p + length) inside the
//    area; a block ends at min(start + length, area end) and starts at most
//    one capacity before, never before the area, so candidates near the
//    file's start get a block of their own. The next block ends length - 1
//    bytes into this one.
// 3. Between blocks: pump, and honour Cancel (saying where it stopped).
template <class Visit>
OFindState::Scan OFindState::ScanBlocks(OFile& file, OOffset start, bool down, Visit&& visit) {
    const OOffset length = m_matcher.Length();
    const auto patternLength = static_cast<std::size_t>(length);
    if (down) {
        if (!Holds(file, start, AddClamped(start, length, kOffsetMax)) &&
            !Load(file, start, m_areaEnd))
            return Scan::Failed;
        auto from = static_cast<std::size_t>(start - m_bufferOffset);
        for (;;) {
            const std::size_t limit = SearchLimit();
            while (limit >= from + patternLength) {
                const std::ptrdiff_t p = m_matcher.SearchForward(m_buffer.Data(), limit, from);
                if (p < 0) break;
                if (!visit(m_bufferOffset + p)) return Scan::Found;
                from = static_cast<std::size_t>(p) + 1;
            }
            m_progress->SetPos(m_bufferOffset + static_cast<OOffset>(limit));
            PumpMessages();
            if (m_progress->Cancelled()) {
                ShowStatus(
                    ids::IDS_FIND_CANCELED,
                    MessageHex(m_bufferOffset + static_cast<OOffset>(m_bufferLength) - length)
                        .c_str());
                return Scan::Cancelled;
            }
            if (AtAreaEnd()) return Scan::NotFound;
            if (!Load(file, m_bufferOffset + static_cast<OOffset>(limit) - (length - 1), m_areaEnd))
                return Scan::Failed;
            from = 0;
        }
    }
    const auto capacity = static_cast<OOffset>(m_buffer.Size());
    OOffset end = AddClamped(start, length, m_areaEnd);
    if (start < m_areaBegin || end - m_areaBegin < length) return Scan::NotFound;
    if (!Holds(file, start, end) && !Load(file, std::max(end - capacity, m_areaBegin), end))
        return Scan::Failed;
    for (;;) {
        auto top = static_cast<std::size_t>(
            std::clamp<OOffset>(end - m_bufferOffset, 0, static_cast<OOffset>(m_bufferLength)));
        while (top >= patternLength) {
            const std::ptrdiff_t p = m_matcher.SearchBackward(m_buffer.Data(), top);
            if (p < 0 || m_bufferOffset + p < m_areaBegin) break;
            if (!visit(m_bufferOffset + p)) return Scan::Found;
            top = static_cast<std::size_t>(p) + patternLength - 1;
        }
        m_progress->SetPos(m_bufferOffset);
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(m_bufferOffset).c_str());
            return Scan::Cancelled;
        }
        if (m_bufferOffset <= m_areaBegin) return Scan::NotFound;
        end = std::min(m_bufferOffset - 1 + length, m_areaEnd);
        if (!Load(file, std::max(end - capacity, m_areaBegin), end)) return Scan::Failed;
    }
}

// The first match from start in the direction: it becomes the last found.
// A miss says so, except in a replace, whose totals say it.
OFindState::Scan OFindState::Search(OFile& file, OOffset start, bool down, bool replace,
                                    OOffset& found) {
    ShowProcessing();
    found = -1;
    const Scan scan = ScanBlocks(file, start, down, [&found](OOffset at) {
        found = at;
        return false;
    });
    m_lastFound = found;
    if (scan == Scan::Found) {
        m_progress->SetPos(found);
        // A replace shows "Processing" until its totals replace it.
        if (!replace) {
            m_status->Restore();
            m_processingShown = false;
        }
        m_matchLength = m_matcher.Length();
    } else if (scan == Scan::NotFound && !replace) {
        ShowStatus(ids::IDS_PATTERN_NOT_FOUND, PatternDisplayText(m_pattern).c_str());
    } else if (scan == Scan::Failed && !replace) {
        // The failure has been said; "Processing" must not stay behind.
        m_status->Restore();
    }
    return scan;
}

// Every match in the area, overlapping ones too, in the direction; the
// total shows also when the user cancelled (what was counted so far).
void OFindState::CountRun(OFile& file, OOffset start, bool down) {
    const OOffset size = file.LogicalSize();
    m_areaEnd = m_areaToEnd ? size : std::min(m_areaEnd, size);
    m_lastFound = -1;
    ClearCanFind();
    m_status.emplace();
    m_processingText = FormatId(ids::IDS_PROCESSING, PatternDisplayText(m_pattern).c_str());
    m_processingShown = false;
    ShowProcessing();
    m_progress = CreateProgress(m_areaBegin, m_areaEnd, true);
    std::uint64_t count = 0;
    // A start outside the file has nothing behind it to count.
    Scan scan = Scan::NotFound;
    if (!down || (start >= 0 && start <= size)) {
        scan = ScanBlocks(file, start, down, [&count](OOffset) {
            ++count;
            return true;
        });
    }
    m_progress.reset();
    // A cancelled count says what it counted up to where it stopped.
    if (scan == Scan::NotFound || scan == Scan::Cancelled)
        SetStatusText(CountText(ids::IDS_TOTAL_FOUND, count, 0));
    else if (scan == Scan::Failed)
        m_status->Restore();
    m_status.reset();
    ReleaseBuffer();
}

// 1. Find from start; for each match: reload first when the replacement
//    would not fit behind it, ask unless All was chosen, replace in the
//    buffer.
// 2. Once All is chosen and the lengths differ, the rest of the file goes
//    through ReplaceRest in a bounded number of passes instead of one tail
//    move per block.
// 3. Write back what the buffer holds, then the totals - unless something
//    failed: failures have said so and report nothing as done.
OOffset OFindState::ReplaceLoop(OFile& file, OFindHost& host, OOffset start) {
    Totals totals;
    bool confirm = true;
    bool failed = false;
    bool cancelled = false;
    const std::string source = PatternDisplayText(m_pattern);
    const std::string target = PatternDisplayText(m_replacement);
    const auto replacementLength = static_cast<std::size_t>(m_replacement.length);
    const OOffset delta = m_replacement.length - m_matcher.Length();
    m_dirty = false;
    const bool sized = TakeFileSize(file);
    const OOffset sizeBefore = m_fileSize;
    OOffset firstReplaced = -1;
    m_view.Identity(m_fileSize);
    m_attached = true;

    OOffset r = -1;
    Scan scan = sized ? Search(file, start, true, true, r) : Scan::Failed;
    while (scan == Scan::Found) {
        totals.lastMatch = r;
        const auto index = static_cast<std::size_t>(r - m_bufferOffset);
        if (m_buffer.Size() - index < replacementLength) {
            m_bufferInvalid = true;
            scan = Search(file, r, true, true, r);
            continue;
        }
        ++totals.found;
        if (confirm) {
            m_progress.reset();
            host.ShowMatch(r, m_matcher.Length());
            const OConfirmAnswer answer = host.ConfirmReplace(source, target);
            m_progress = CreateProgress(m_areaBegin, m_areaEnd, true);
            // The long operation keeps edits out while the question is open;
            // should one slip through, the buffer no longer shows the file.
            if (file.Generation() != m_generation) {
                MessageBoxId(ids::IDS_OPERATION_ABORTED, OButtons::Ok, OIcon::Stop);
                m_dirty = false;
                failed = true;
                break;
            }
            if (answer == OConfirmAnswer::Cancel) break;
            if (answer == OConfirmAnswer::No) {
                scan = Search(file, r + 1, true, true, r);
                continue;
            }
            if (answer == OConfirmAnswer::All) confirm = false;
        }
        if (firstReplaced < 0) firstReplaced = r;
        if (!ReplaceInBuffer(file, index)) {
            failed = true;
            break;
        }
        ++totals.replaced;
        m_matchLength = m_replacement.length;
        m_areaEnd += delta;
        if (!confirm && delta != 0) {
            if (!ReplaceRest(file, index, totals, cancelled)) failed = true;
            m_lastFound = -1;
            scan = Scan::NotFound;
            break;
        }
        scan = Search(file, r + static_cast<OOffset>(replacementLength), true, true, r);
    }
    if (scan == Scan::Failed) failed = true;
    if (scan == Scan::Cancelled) cancelled = true;
    if (!failed && !WriteBack(file)) failed = true;
    m_attached = false;
    ReleaseBuffer();
    ReportEdit(file, host, sizeBefore, firstReplaced,
               failed || cancelled
                   ? -1
                   : totals.lastMatch + std::max(m_matcher.Length(), m_replacement.length));
    if (failed) {
        m_status->Restore();
        m_lastFound = -1;
        return -1;
    }
    if (totals.found > 0)
        SetStatusText(CountText(ids::IDS_TOTAL_REPLACES, totals.found, totals.replaced));
    else if (!cancelled) // a cancelled run cannot say the pattern is not there
        ShowStatus(ids::IDS_PATTERN_NOT_FOUND, source.c_str());
    return totals.lastMatch;
}

// The span from the first replacement to endAfter (the end of the last one,
// -1 when the run stopped early: then to the end of the file) was replaced
// by one of another length.
void OFindState::ReportEdit(OFile& file, OFindHost& host, OOffset sizeBefore, OOffset firstReplaced,
                            OOffset endAfter) {
    if (firstReplaced < 0) return;
    SetLastError(0);
    const OOffset sizeAfter = file.GetSize();
    const OOffset delta = sizeAfter - sizeBefore;
    if (LastError() != 0 || delta == 0) return;
    if (endAfter < 0 || endAfter > sizeAfter) endAfter = sizeAfter;
    const OOffset inserted = std::max<OOffset>(endAfter - firstReplaced, 0);
    const OOffset removed = std::max<OOffset>(inserted - delta, 0);
    host.Edited({firstReplaced, removed, removed + delta});
}

// ---- The work buffer ----------------------------------------------------------

bool OFindState::RequestBuffer(Mode mode) {
    std::size_t size = kFindSize;
    if (mode == Mode::Replace) size = kReplaceSize;
    if (mode == Mode::Count) size = kCountSize;
    m_mode = mode;
    bool fresh = false;
    if (!m_buffer.Request(size, kMinimumSize, fresh)) {
        m_bufferInvalid = true;
        return false;
    }
    if (fresh) m_bufferInvalid = true;
    m_dirty = false;
    return true;
}

void OFindState::ReleaseBuffer() {
    m_buffer.Free();
    m_bufferInvalid = true;
    m_dirty = false;
}

// The generation test is what keeps typing, edits and other views from
// being answered with the bytes of an earlier load.
bool OFindState::Holds(const OFile& file, OOffset from, OOffset to) const {
    return !m_bufferInvalid && m_bufferFile == &file && m_generation == file.Generation() &&
           from >= m_bufferOffset && to <= m_bufferOffset + static_cast<OOffset>(m_bufferLength);
}

// 1. During a replace, what the buffer holds goes to the file first.
// 2. One read of min(capacity, end - offset) bytes; a failed read is an
//    error, never the end of the file.
bool OFindState::Load(OFile& file, OOffset offset, OOffset end) {
    if (m_mode == Mode::Replace && !WriteBack(file)) return false;
    m_bufferInvalid = true;
    const std::size_t want =
        end > offset ? static_cast<std::size_t>(
                           std::min<OOffset>(end - offset, static_cast<OOffset>(m_buffer.Size())))
                     : 0;
    std::size_t n = 0;
    if (want > 0) {
        n = file.ReadAt(offset, m_buffer.Data(), want);
        if (n < want && LastError() != 0) {
            file.ShowFileError(-1);
            return false;
        }
    }
    if (!CheckGuard()) return false;
    if (m_mode == Mode::Replace && !TakeFileSize(file)) return false;
    m_bufferFile = &file;
    m_generation = file.Generation();
    m_bufferOffset = offset;
    m_bufferLength = m_lengthAtLoad = n;
    m_bufferShort = n < want;
    m_bufferInvalid = false;
    if (m_mode == Mode::Replace) MapBuffer();
    return true;
}

// The buffer's bytes that lie inside the area.
std::size_t OFindState::SearchLimit() const {
    const OOffset room = m_areaEnd - m_bufferOffset;
    if (room <= 0) return 0;
    return static_cast<std::size_t>(std::min(room, static_cast<OOffset>(m_bufferLength)));
}

bool OFindState::AtAreaEnd() const {
    return m_bufferShort || m_bufferOffset + static_cast<OOffset>(SearchLimit()) >= m_areaEnd;
}

// 1. The region the buffer held from the first changed index takes the
//    buffer's bytes from there (the tail moves once).
// 2. The file then holds what the buffer held: its generation is taken
//    anew, and the next use of the buffer loads it again.
bool OFindState::WriteBack(OFile& file) {
    if (!m_dirty) return true;
    if (!TakeReplacements(file)) return false;
    const OOffset at = m_bufferOffset + static_cast<OOffset>(m_firstChanged);
    const auto oldLength = static_cast<OOffset>(m_lengthAtLoad - m_firstChanged);
    const auto newLength = static_cast<OOffset>(m_bufferLength - m_firstChanged);
    if (!WriteRegion(file, at, oldLength, m_buffer.Data() + m_firstChanged,
                     static_cast<std::size_t>(newLength)))
        return false;
    m_lengthAtLoad = m_bufferLength;
    m_generation = file.Generation();
    if (!TakeFileSize(file)) return false;
    // A tail moved down went through the buffer: it no longer holds the
    // window, and the view reads the file until the next load.
    m_view.Identity(m_fileSize);
    return true;
}

// The buffer's replacements leave it for the file: the buffer no longer
// holds the file's bytes. A file changed under them (by another view while
// a question was open) takes none of them.
bool OFindState::TakeReplacements(OFile& file) {
    m_dirty = false;
    m_bufferInvalid = true;
    if (file.Generation() != m_generation) {
        MessageBoxId(ids::IDS_OPERATION_ABORTED, OButtons::Ok, OIcon::Stop);
        return false;
    }
    return file.EnsureWritable();
}

// 1. The bytes the replacement's wildcards keep, taken before anything
//    moves: the file's bytes at the match offset + k as they are now (0
//    past the end of the file).
// 2. The bytes behind the match move to follow the replacement; when it
//    grows past the capacity, the last bytes leave the window and stay in
//    the file where they are.
// 3. The replacement goes in; the guard must have survived.
bool OFindState::ReplaceInBuffer(OFile& file, std::size_t index) {
    const auto patternLength = static_cast<std::size_t>(m_matcher.Length());
    const auto replacementLength = static_cast<std::size_t>(m_replacement.length);
    OByte* data = m_buffer.Data();
    std::array<OByte, OPattern::kMaxLength + 1> kept{};
    for (std::size_t k = 0; k < replacementLength; ++k) {
        if (!m_replacement.wildcard[k]) continue;
        const std::size_t at = index + k;
        if (at < m_bufferLength) {
            kept[k] = data[at];
        } else {
            const OOffset offset = m_bufferOffset + static_cast<OOffset>(m_lengthAtLoad) +
                                   static_cast<OOffset>(at - m_bufferLength);
            if (offset < m_fileSize && file.ReadAt(offset, &kept[k], 1) != 1) {
                file.ShowFileError(-1);
                m_dirty = false;
                return false;
            }
        }
    }
    if (!m_dirty) {
        m_firstChanged = index;
        m_dirty = true;
    }
    if (replacementLength > patternLength) {
        const std::size_t grown = m_bufferLength + (replacementLength - patternLength);
        if (grown > m_buffer.Size()) {
            // ReplaceLoop reloads first unless index + replacement length
            // fits, so only bytes behind the match leave the window.
            const std::size_t over = grown - m_buffer.Size();
            m_bufferLength -= over;
            m_lengthAtLoad -= over;
            m_bufferShort = false;
        }
    }
    std::memmove(data + index + replacementLength, data + index + patternLength,
                 m_bufferLength - index - patternLength);
    m_bufferLength = m_bufferLength + replacementLength - patternLength;
    for (std::size_t k = 0; k < replacementLength; ++k)
        data[index + k] = m_replacement.wildcard[k] ? kept[k] : m_replacement.bytes[k];
    if (!CheckGuard()) return false;
    MapBuffer();
    return true;
}

// A size that cannot be read is a failure (GetSize has said so): read as
// 0 it would make the wildcards keep zeros and the passes cut the file.
bool OFindState::TakeFileSize(OFile& file) {
    return file.TryGetSize(m_fileSize);
}

void OFindState::MapBuffer() {
    const OOffset windowEnd = m_bufferOffset + static_cast<OOffset>(m_lengthAtLoad);
    m_view.Start(m_bufferOffset);
    m_view.AddMemory(m_buffer.Data(), static_cast<OOffset>(m_bufferLength));
    m_view.AddFile(windowEnd, m_fileSize - windowEnd);
}

void OFindState::ShowProcessing() {
    if (m_processingShown || !m_status) return;
    m_status->ShowText(m_processingText);
    m_processingShown = true;
}

// A changed guard means something wrote past the buffer: its bytes are not
// to be trusted, so they are dropped rather than written.
bool OFindState::CheckGuard() {
    if (m_buffer.GuardIntact()) return true;
    MessageBoxId(ids::IDS_EXTRA_MEMORY, OButtons::Ok, OIcon::Stop);
    m_bufferInvalid = true;
    m_dirty = false;
    return false;
}
