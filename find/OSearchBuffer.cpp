#include "find/OSearchBuffer.h"

#include "document/OFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMovePlan.h"
#include "find/OPassObserver.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Sizes of the block by mode, and the least a failed allocation may leave.
constexpr std::size_t kFindSize = 524288;
constexpr std::size_t kReplaceSize = 16777216;
constexpr std::size_t kCountSize = 4194304;
constexpr std::size_t kMinimumSize = 65536;
// The least a test limit leaves: room for two patterns of the longest kind,
// so that every block still moves the scan on.
constexpr std::size_t kSmallestForTesting = 256;
// The passes move each block twice (read, then write, in pass 3 with a copy
// between): a block that stays in the processor's cache between the two
// moves them at about twice the speed of one that does not.
constexpr std::size_t kPassBlock = 1048576;

} // namespace

void OSearchBuffer::SetLimitForTesting(std::size_t bytes) {
    OTransferBuffer::SetRequestLimitForTesting(bytes == 0 ? 0
                                                          : std::max(bytes, kSmallestForTesting));
}

// ---- The block --------------------------------------------------------------

bool OSearchBuffer::Request(Mode mode) {
    std::size_t size = kFindSize;
    if (mode == Mode::Replace) size = kReplaceSize;
    if (mode == Mode::Count) size = kCountSize;
    m_mode = mode;
    bool fresh = false;
    if (!m_block.Request(size, kMinimumSize, fresh)) {
        m_invalid = true;
        return false;
    }
    if (fresh) m_invalid = true;
    m_dirty = false;
    return true;
}

void OSearchBuffer::Release() {
    m_block.Free();
    m_invalid = true;
    m_dirty = false;
}

// The generation test is what keeps typing, edits and other views from
// being answered with the bytes of an earlier load.
bool OSearchBuffer::Holds(const OFile& file, OOffset from, OOffset to) const {
    return !m_invalid && m_file == &file && m_generation == file.Generation() && from >= m_offset &&
           to <= m_offset + static_cast<OOffset>(m_length);
}

// 1. During a replace, what the block holds goes to the file first.
// 2. One read of min(capacity, end - offset) bytes; a failed read is an
//    error, never the end of the file.
bool OSearchBuffer::Load(OFile& file, OOffset offset, OOffset end) {
    if (m_mode == Mode::Replace && !WriteBack(file)) return false;
    m_invalid = true;
    const std::size_t want = end > offset ? static_cast<std::size_t>(std::min<OOffset>(
                                                end - offset, static_cast<OOffset>(Size())))
                                          : 0;
    std::size_t n = 0;
    if (want > 0) {
        n = file.ReadAt(offset, Data(), want);
        if (n < want && LastError() != 0) {
            file.ShowFileError(-1);
            return false;
        }
    }
    if (!CheckGuard()) return false;
    if (m_mode == Mode::Replace && !file.TryGetSize(m_fileSize)) return false;
    m_file = &file;
    m_generation = file.Generation();
    m_offset = offset;
    m_length = m_lengthAtLoad = n;
    m_short = n < want;
    m_invalid = false;
    if (m_mode == Mode::Replace) MapWindow();
    return true;
}

std::size_t OSearchBuffer::PassBlock() const {
    return std::min(kPassBlock, Size());
}

bool OSearchBuffer::CheckGuard() {
    if (m_block.GuardIntact()) return true;
    MessageBoxId(ids::IDS_EXTRA_MEMORY, OButtons::Ok, OIcon::Stop);
    m_invalid = true;
    m_dirty = false;
    return false;
}

// ---- Replacements -------------------------------------------------------------

// A size that cannot be read is a failure (GetSize has said so): read as
// 0 it would make the wildcards keep zeros and the passes cut the file.
bool OSearchBuffer::Attach(OFile& file) {
    m_dirty = false;
    const bool sized = file.TryGetSize(m_fileSize);
    m_view.Identity(m_fileSize);
    m_attached = true;
    return sized;
}

bool OSearchBuffer::CheckFile(const OFile& file) {
    if (file.Generation() == m_generation) return true;
    MessageBoxId(ids::IDS_OPERATION_ABORTED, OButtons::Ok, OIcon::Stop);
    m_dirty = false;
    return false;
}

// 1. The bytes the replacement's wildcards keep, taken before anything
//    moves: the file's bytes at the match offset + k as they are now (0
//    past the end of the file).
// 2. The bytes behind the match move to follow the replacement; when it
//    grows past the capacity, the last bytes leave the window and stay in
//    the file where they are.
// 3. The replacement goes in; the guard must have survived.
bool OSearchBuffer::Replace(OFile& file, std::size_t index, int patternLength,
                            const OPattern& replacement) {
    const auto matchLength = static_cast<std::size_t>(patternLength);
    const auto replacementLength = static_cast<std::size_t>(replacement.length);
    OByte* data = Data();
    std::array<OByte, OPattern::kMaxLength + 1> kept{};
    for (std::size_t k = 0; k < replacementLength; ++k) {
        if (!replacement.wildcard[k]) continue;
        const std::size_t at = index + k;
        if (at < m_length) {
            kept[k] = data[at];
        } else {
            const OOffset offset = m_offset + static_cast<OOffset>(m_lengthAtLoad) +
                                   static_cast<OOffset>(at - m_length);
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
    if (replacementLength > matchLength) {
        const std::size_t grown = m_length + (replacementLength - matchLength);
        if (grown > Size()) {
            // The replace loop reloads first unless index + replacement
            // length fits, so only bytes behind the match leave the window.
            const std::size_t over = grown - Size();
            m_length -= over;
            m_lengthAtLoad -= over;
            m_short = false;
        }
    }
    std::memmove(data + index + replacementLength, data + index + matchLength,
                 m_length - index - matchLength);
    m_length = m_length + replacementLength - matchLength;
    for (std::size_t k = 0; k < replacementLength; ++k)
        data[index + k] = replacement.wildcard[k] ? kept[k] : replacement.bytes[k];
    if (!CheckGuard()) return false;
    MapWindow();
    return true;
}

// 1. The region the block held from the first changed index takes the
//    block's bytes from there (the tail moves once).
// 2. The file then holds what the block held: its generation is taken
//    anew, and the next use of the block loads it again.
bool OSearchBuffer::WriteBack(OFile& file) {
    if (!m_dirty) return true;
    if (!TakeReplacements(file)) return false;
    const OOffset at = m_offset + static_cast<OOffset>(m_firstChanged);
    const auto oldLength = static_cast<OOffset>(m_lengthAtLoad - m_firstChanged);
    const auto newLength = static_cast<OOffset>(m_length - m_firstChanged);
    if (!WriteRegion(file, at, oldLength, Data() + m_firstChanged,
                     static_cast<std::size_t>(newLength)))
        return false;
    m_lengthAtLoad = m_length;
    m_generation = file.Generation();
    if (!file.TryGetSize(m_fileSize)) return false;
    // A tail moved down went through the block: it no longer holds the
    // window, and the views read the file until the next load.
    m_view.Identity(m_fileSize);
    return true;
}

// 1. The window ends at end: what follows is input not yet searched, still
//    in the file from `input` on.
// 2. The block's replacements are the result's bytes from `at`.
bool OSearchBuffer::HandOver(OFile& file, std::size_t end, Pending& pending) {
    m_lengthAtLoad -= m_length - end;
    m_length = end;
    MapWindow();
    pending.at = m_offset + static_cast<OOffset>(m_firstChanged);
    pending.bytes = Data() + m_firstChanged;
    pending.length = end - m_firstChanged;
    pending.input = m_offset + static_cast<OOffset>(m_lengthAtLoad);
    return TakeReplacements(file);
}

// The block's replacements leave it for the file: the block no longer
// holds the file's bytes. A file changed under them takes none of them.
bool OSearchBuffer::TakeReplacements(OFile& file) {
    m_dirty = false;
    m_invalid = true;
    return CheckFile(file) && file.EnsureWritable();
}

// ---- Writing the file ---------------------------------------------------------

// The order keeps every match old or new whatever write fails: growing,
// the tail moves up first (the executor moves it back when that fails), and
// a failed write of the bytes closes the gap again; shrinking, the bytes go
// first, then the tail moves down over the rest. The move up takes a block
// of its own: bytes may lie in the search block, which CloseGap takes, so
// they must have been written or given up before it runs.
bool OSearchBuffer::WriteRegion(OFile& file, OOffset at, OOffset oldLength, const OByte* bytes,
                                std::size_t length) {
    const auto newLength = static_cast<OOffset>(length);
    OOffset size = 0;
    if (!file.TryGetSize(size)) return false;
    if (newLength <= oldLength) {
        if (!WriteBlock(bytes, file, at, length)) return false;
        return newLength == oldLength || CloseGap(file, at + newLength, at + oldLength, size);
    }
    const OPlanResult planned = PlanResize(size, file.FixedSize(), at, oldLength, newLength);
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    const OOffset from = at + oldLength;
    OTransferBuffer transfer(size - from);
    if (size > from && !transfer.Valid()) return false;
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            if (step.backward) MapTailMove(at, bytes, newLength, step, moved);
        },
        nullptr);
    OMoveExecutor executor(file, {transfer.Data(), transfer.Size()}, observer, true);
    if (!executor.Run(*planned.plan)) return false;
    if (WriteBlock(bytes, file, at, length)) return true;
    const OOffset growth = newLength - oldLength;
    CloseGap(file, from, from + growth, size + growth);
    return false;
}

// The executor runs to the end even when the user cancels (a gap left open
// would be a hole in the file) and tries a failed block once more.
bool OSearchBuffer::CloseGap(OFile& file, OOffset to, OOffset from, OOffset end) {
    const OPlanResult planned = PlanResize(end, file.FixedSize(), to, from - to, 0);
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            MapStream(step.to + moved, step.from + moved, step.from + step.length);
        },
        nullptr);
    MapStream(to, from, end);
    OMoveExecutor executor(file, {Data(), PassBlock()}, observer, true);
    return executor.Run(*planned.plan);
}

// ---- What the views see ---------------------------------------------------------

void OSearchBuffer::MapWindow() {
    MapBytes(m_offset, Data(), static_cast<OOffset>(m_length),
             m_offset + static_cast<OOffset>(m_lengthAtLoad), m_fileSize);
}

void OSearchBuffer::MapBytes(OOffset at, const OByte* bytes, OOffset length, OOffset input,
                             OOffset end) {
    m_view.Start(at);
    m_view.AddMemory(bytes, length);
    m_view.AddFile(input, end - input);
}

void OSearchBuffer::MapTailMove(OOffset at, const OByte* bytes, OOffset length,
                                const OMoveStep& step, OOffset moved) {
    const OOffset from = step.from;
    const OOffset size = step.from + step.length;
    const OOffset growth = step.to - step.from;
    const OOffset boundary = size - moved; // [boundary, size) is already growth bytes higher
    m_view.Start(at);
    m_view.AddMemory(bytes, length);
    m_view.AddFile(from, boundary - from);
    m_view.AddFile(boundary + growth, size - boundary);
}

void OSearchBuffer::MapStream(OOffset write, OOffset read, OOffset end) {
    m_view.Start(write);
    m_view.AddFile(read, end - read);
}

OOffset OSearchBuffer::ViewLength(OFile& file) const {
    return m_attached ? m_view.Length() : file.LogicalSize();
}

std::ptrdiff_t OSearchBuffer::ReadThrough(OFile& file, OOffset offset, OByte* out,
                                          std::size_t count) const {
    return m_attached ? m_view.Read(file, offset, out, count) : -1;
}
