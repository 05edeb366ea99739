#include "find/OSearchRun.h"

#include "document/OFile.h"
#include "find/OFindState.h"
#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"

#include <algorithm>
#include <array>

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

OSearchRun::OSearchRun(OFindState& state, OSearchBuffer& buffer, OFile& file, OFindHost& host)
    : m_state(state), m_buffer(buffer), m_file(file), m_host(host) {}

// 1. Options, pattern and replacement; an unusable pattern costs nothing.
// 2. The buffer for the mode; typed bytes are settled before a replace.
// 3. Area and start, then the count or the search.
OOffset OSearchRun::Run(const std::string& findText, const std::string& replaceText,
                        const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                        OOffset selectionEnd, bool oem) {
    const bool selection = selectionBegin >= 0 && selectionEnd >= selectionBegin;
    if (!m_state.Prepare(findText, replaceText, options, selection, oem)) return -1;
    const OFindOptions& prepared = m_state.Options();
    const Mode mode = prepared.countOnly ? Mode::Count
                      : prepared.replace ? Mode::Replace
                                         : Mode::Find;
    if (!Request(mode)) {
        m_state.m_lastFound = -1;
        return -1;
    }
    // Replacements written under typed bytes would be overlaid by them later.
    if (mode == Mode::Replace && (!m_host.ResolvePending() || m_file.HasPending())) {
        m_buffer.Release();
        m_state.m_lastFound = -1;
        return -1;
    }

    // A size that cannot be read (GetSize has said so) would give an area
    // of nothing.
    SetLastError(0);
    const OOffset size = m_file.LogicalSize();
    if (LastError() != 0) {
        if (mode != Mode::Find) m_buffer.Release();
        m_state.m_lastFound = -1;
        return -1;
    }
    const bool down = prepared.down;
    const OOffset start = m_state.ChooseArea(caret, selectionBegin, selectionEnd, size);
    if (mode == Mode::Count) {
        Count(start, down);
        return -1;
    }
    m_state.m_lastDown = down;
    return Search(start, down);
}

OOffset OSearchRun::FindAgain(bool down) {
    if (!m_state.Prepared()) return -1;
    const std::optional<OOffset> start = m_state.Resume(down);
    if (!start) return -1;
    if (!Request(Mode::Find)) {
        m_state.ClearCanFind();
        m_state.m_lastFound = -1;
        return -1;
    }
    return Search(*start, down);
}

bool OSearchRun::Request(Mode mode) {
    m_mode = mode;
    return m_buffer.Request(mode);
}

// 1. The area follows the file's current size; a start outside it fails.
// 2. Find, backward find or the replace loop under one progress window.
// 3. The can-find flags: after a find they say whether the area has more
//    in each direction; after a replace both are off.
OOffset OSearchRun::Search(OOffset start, bool down) {
    OFindState& s = m_state;
    SetLastError(0);
    const OOffset size = m_file.LogicalSize();
    s.m_areaEnd = s.m_areaToEnd ? size : std::min(s.m_areaEnd, size);
    if (start < 0 || start > size || LastError() != 0) {
        s.ClearCanFind();
        s.m_lastFound = -1;
        if (m_mode != Mode::Find) m_buffer.Release();
        return -1;
    }
    if (m_mode == Mode::Find) s.m_origin = s.m_lastFound;
    StartStatus();
    // A backward find counts its bytes done from the area's end.
    m_progress = down ? CreateProgress(s.m_areaBegin, s.m_areaEnd, true)
                      : CreateProgress(s.m_areaEnd, s.m_areaBegin, true);
    OOffset result = -1;
    if (m_mode == Mode::Replace) {
        result = ReplaceLoop(start);
    } else {
        OOffset found = -1;
        if (FindFrom(start, down, found) == Scan::Found) result = found;
    }
    m_progress.reset();
    m_status.reset();
    if (m_mode != Mode::Find) {
        s.ClearCanFind();
        return result;
    }
    if (result >= 0) s.m_origin = result;
    const OOffset length = s.m_matcher.Length();
    if (down) {
        s.m_canFindNext = result >= 0 && result < s.m_areaEnd - length;
        s.m_canFindPrev = start != s.m_areaBegin;
    } else {
        s.m_canFindPrev = result >= 0 && result > s.m_areaBegin;
        s.m_canFindNext = start != s.m_areaEnd;
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
OSearchRun::Scan OSearchRun::ScanBlocks(OOffset start, bool down, Visit&& visit) {
    const OMatcher& matcher = m_state.m_matcher;
    const OOffset areaBegin = m_state.m_areaBegin;
    const OOffset areaEnd = m_state.m_areaEnd;
    const OOffset length = matcher.Length();
    const auto patternLength = static_cast<std::size_t>(length);
    if (down) {
        if (!m_buffer.Holds(m_file, start, AddClamped(start, length, kOffsetMax)) &&
            !m_buffer.Load(m_file, start, areaEnd))
            return Scan::Failed;
        auto from = static_cast<std::size_t>(start - m_buffer.Offset());
        for (;;) {
            const std::size_t limit = SearchLimit();
            while (limit >= from + patternLength) {
                const std::ptrdiff_t p = matcher.SearchForward(m_buffer.Data(), limit, from);
                if (p < 0) break;
                if (!visit(m_buffer.Offset() + p)) return Scan::Found;
                from = static_cast<std::size_t>(p) + 1;
            }
            m_progress->SetPos(m_buffer.Offset() + static_cast<OOffset>(limit));
            PumpMessages();
            if (m_progress->Cancelled()) {
                ShowStatus(
                    ids::IDS_FIND_CANCELED,
                    MessageHex(m_buffer.Offset() + static_cast<OOffset>(m_buffer.Length()) - length)
                        .c_str());
                return Scan::Cancelled;
            }
            if (AtAreaEnd()) return Scan::NotFound;
            if (!m_buffer.Load(m_file,
                               m_buffer.Offset() + static_cast<OOffset>(limit) - (length - 1),
                               areaEnd))
                return Scan::Failed;
            from = 0;
        }
    }
    const auto capacity = static_cast<OOffset>(m_buffer.Size());
    OOffset end = AddClamped(start, length, areaEnd);
    if (start < areaBegin || end - areaBegin < length) return Scan::NotFound;
    if (!m_buffer.Holds(m_file, start, end) &&
        !m_buffer.Load(m_file, std::max(end - capacity, areaBegin), end))
        return Scan::Failed;
    for (;;) {
        const OOffset offset = m_buffer.Offset();
        auto top = static_cast<std::size_t>(
            std::clamp<OOffset>(end - offset, 0, static_cast<OOffset>(m_buffer.Length())));
        while (top >= patternLength) {
            const std::ptrdiff_t p = matcher.SearchBackward(m_buffer.Data(), top);
            if (p < 0 || offset + p < areaBegin) break;
            if (!visit(offset + p)) return Scan::Found;
            top = static_cast<std::size_t>(p) + patternLength - 1;
        }
        m_progress->SetPos(offset);
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(offset).c_str());
            return Scan::Cancelled;
        }
        if (offset <= areaBegin) return Scan::NotFound;
        end = std::min(offset - 1 + length, areaEnd);
        if (!m_buffer.Load(m_file, std::max(end - capacity, areaBegin), end)) return Scan::Failed;
    }
}

// The first match from start in the direction: it becomes the last found.
// A miss says so, except in a replace, whose totals say it.
OSearchRun::Scan OSearchRun::FindFrom(OOffset start, bool down, OOffset& found) {
    const bool replace = m_mode == Mode::Replace;
    ShowProcessing();
    found = -1;
    const Scan scan = ScanBlocks(start, down, [&found](OOffset at) {
        found = at;
        return false;
    });
    m_state.m_lastFound = found;
    if (scan == Scan::Found) {
        m_progress->SetPos(found);
        // A replace shows "Processing" until its totals replace it.
        if (!replace) {
            m_status->Restore();
            m_processingShown = false;
        }
        m_state.m_matchLength = m_state.m_matcher.Length();
    } else if (scan == Scan::NotFound && !replace) {
        ShowStatus(ids::IDS_PATTERN_NOT_FOUND, PatternDisplayText(m_state.m_pattern).c_str());
    } else if (scan == Scan::Failed && !replace) {
        // The failure has been said; "Processing" must not stay behind.
        m_status->Restore();
    }
    return scan;
}

// Every match in the area, overlapping ones too, in the direction; the
// total shows also when the user cancelled (what was counted so far).
void OSearchRun::Count(OOffset start, bool down) {
    OFindState& s = m_state;
    const OOffset size = m_file.LogicalSize();
    s.m_areaEnd = s.m_areaToEnd ? size : std::min(s.m_areaEnd, size);
    s.m_lastFound = -1;
    s.ClearCanFind();
    StartStatus();
    ShowProcessing();
    m_progress = down ? CreateProgress(s.m_areaBegin, s.m_areaEnd, true)
                      : CreateProgress(s.m_areaEnd, s.m_areaBegin, true);
    std::uint64_t count = 0;
    // A start outside the file has nothing behind it to count.
    Scan scan = Scan::NotFound;
    if (!down || (start >= 0 && start <= size)) {
        scan = ScanBlocks(start, down, [&count](OOffset) {
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
    m_buffer.Release();
}

// 1. Find from start; for each match: reload first when the replacement
//    would not fit behind it, ask unless All was chosen, replace in the
//    buffer.
// 2. Once All is chosen and the lengths differ, the rest of the file goes
//    through ReplaceRest in a bounded number of passes instead of one tail
//    move per block.
// 3. Write back what the buffer holds, then the totals - unless something
//    failed: failures have said so and report nothing as done.
OOffset OSearchRun::ReplaceLoop(OOffset start) {
    OFindState& s = m_state;
    bool confirm = true;
    bool failed = false;
    const std::string source = PatternDisplayText(s.m_pattern);
    const std::string target = PatternDisplayText(s.m_replacement);
    const int patternLength = s.m_matcher.Length();
    const auto replacementLength = static_cast<std::size_t>(s.m_replacement.length);
    const OOffset delta = s.m_replacement.length - patternLength;
    const bool sized = m_buffer.Attach(m_file);
    const OOffset sizeBefore = m_buffer.FileSize();
    OOffset firstReplaced = -1;
    m_host.ReplaceStarted();

    OOffset r = -1;
    Scan scan = sized ? FindFrom(start, true, r) : Scan::Failed;
    while (scan == Scan::Found) {
        m_lastMatch = r;
        const auto index = static_cast<std::size_t>(r - m_buffer.Offset());
        if (m_buffer.Size() - index < replacementLength) {
            m_buffer.Invalidate();
            scan = FindFrom(r, true, r);
            continue;
        }
        ++m_found;
        if (confirm) {
            m_progress.reset();
            m_host.ShowMatch(r, patternLength);
            const OConfirmAnswer answer = m_host.ConfirmReplace(source, target);
            m_progress = CreateProgress(s.m_areaBegin, s.m_areaEnd, true);
            // The long operation keeps edits out while the question is open;
            // should one slip through, the buffer no longer shows the file.
            if (!m_buffer.CheckFile(m_file)) {
                failed = true;
                break;
            }
            if (answer == OConfirmAnswer::Cancel) break;
            if (answer == OConfirmAnswer::No) {
                scan = FindFrom(r + 1, true, r);
                continue;
            }
            if (answer == OConfirmAnswer::All) confirm = false;
        }
        if (firstReplaced < 0) firstReplaced = r;
        std::array<OByte, OPattern::kMaxLength> old{};
        std::copy_n(m_buffer.Data() + index, patternLength, old.begin());
        if (!m_buffer.Replace(m_file, index, patternLength, s.m_replacement)) {
            failed = true;
            break;
        }
        // Every replacement before this one moved it by delta.
        m_host.Replaced(r - static_cast<OOffset>(m_replaced) * delta, old.data(),
                        static_cast<std::size_t>(patternLength), m_buffer.Data() + index,
                        replacementLength);
        ++m_replaced;
        s.m_matchLength = s.m_replacement.length;
        s.m_areaEnd += delta;
        if (!confirm && delta != 0) {
            if (!ReplaceRest(index)) failed = true;
            s.m_lastFound = -1;
            scan = Scan::NotFound;
            break;
        }
        scan = FindFrom(r + static_cast<OOffset>(replacementLength), true, r);
    }
    if (scan == Scan::Failed) failed = true;
    if (scan == Scan::Cancelled) m_cancelled = true;
    if (!failed && !m_buffer.WriteBack(m_file)) failed = true;
    m_buffer.Detach();
    m_buffer.Release();
    ReportEdit(
        sizeBefore, firstReplaced,
        failed || m_cancelled ? -1 : m_lastMatch + std::max(patternLength, s.m_replacement.length));
    if (failed) {
        m_status->Restore();
        s.m_lastFound = -1;
    } else if (m_found > 0) {
        SetStatusText(CountText(ids::IDS_TOTAL_REPLACES, m_found, m_replaced));
    } else if (!m_cancelled) { // a cancelled run cannot say the pattern is not there
        ShowStatus(ids::IDS_PATTERN_NOT_FOUND, source.c_str());
    }
    // Last, so that a word about the undo history stands.
    m_host.ReplaceEnded(failed);
    return failed ? -1 : m_lastMatch;
}

// The span from the first replacement to endAfter (the end of the last one,
// -1 when the run stopped early: then to the end of the file) was replaced
// by one of another length.
void OSearchRun::ReportEdit(OOffset sizeBefore, OOffset firstReplaced, OOffset endAfter) {
    if (firstReplaced < 0) return;
    SetLastError(0);
    const OOffset sizeAfter = m_file.GetSize();
    const OOffset delta = sizeAfter - sizeBefore;
    if (LastError() != 0 || delta == 0) return;
    if (endAfter < 0 || endAfter > sizeAfter) endAfter = sizeAfter;
    const OOffset inserted = std::max<OOffset>(endAfter - firstReplaced, 0);
    const OOffset removed = std::max<OOffset>(inserted - delta, 0);
    m_host.Edited({firstReplaced, removed, removed + delta});
}

// The buffer's bytes that lie inside the area.
std::size_t OSearchRun::SearchLimit() const {
    const OOffset room = m_state.m_areaEnd - m_buffer.Offset();
    if (room <= 0) return 0;
    return static_cast<std::size_t>(std::min(room, static_cast<OOffset>(m_buffer.Length())));
}

bool OSearchRun::AtAreaEnd() const {
    return m_buffer.Short() ||
           m_buffer.Offset() + static_cast<OOffset>(SearchLimit()) >= m_state.m_areaEnd;
}

void OSearchRun::StartStatus() {
    m_status.emplace();
    m_processingText = FormatId(ids::IDS_PROCESSING, PatternDisplayText(m_state.m_pattern).c_str());
    m_processingShown = false;
}

void OSearchRun::ShowProcessing() {
    if (m_processingShown || !m_status) return;
    m_status->ShowText(m_processingText);
    m_processingShown = true;
}
