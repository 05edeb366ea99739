#include "document/OMoveExecutor.h"

#include "document/OFile.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>

namespace {

std::size_t BlockFor(std::span<OByte> block, OOffset length) {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(block.size(), static_cast<std::uint64_t>(length)));
}

} // namespace

// Inside a plan fewer bytes than asked for is an error: the plan knows the
// size, and only another program cutting the file can make a read short.
bool ReadExactly(OFile& file, OOffset offset, OByte* buffer, std::size_t count) {
    SetLastError(0);
    if (count == 0 || file.ReadAt(offset, buffer, count) == count) return true;
    if (LastError() != 0)
        file.ShowFileError(-1);
    else
        MessageBoxId(ids::IDS_READ_ERROR, OButtons::Ok, OIcon::Stop);
    return false;
}

bool ShowRefusal(OFile& file, OPlanRefusal refusal) {
    switch (refusal) {
    case OPlanRefusal::SizeUnknown:
        break;
    case OPlanRefusal::OutOfRange:
        SetLastError(EINVAL);
        break;
    case OPlanRefusal::TooLarge:
        SetLastError(EFBIG);
        file.ShowFileError(-1);
        break;
    case OPlanRefusal::FixedSize:
        SetLastError(ENOTSUP);
        MessageBox(FormatId(ids::IDS_FIXED_SIZE, file.Path().c_str()), OButtons::Ok, OIcon::Stop);
        break;
    }
    return false;
}

bool WriteBlock(const OByte* buffer, OFile& target, OOffset offset, std::size_t count) {
    // Nothing to write must not grow the file to offset either.
    if (count == 0) return true;
    if (!target.EnsureWritable()) return false;
    OOffset before = 0;
    if (!target.TryGetSize(before)) return false;
    if (target.WriteAllAt(offset, buffer, count)) return true;
    // WriteAt grows the file before it writes: what lies past the old end
    // now is this failed block's, never data, so the file must not keep it.
    OOffset after = 0;
    if (target.TryGetSize(after) && after > before) target.SetSize(before);
    return false;
}

// 1. Growing: reserve the new size, so that a full disk shows before a byte
//    moves; move the tail last block first; set the new size. Recovering,
//    a failure or Cancel moves the landed blocks back and cuts the file to
//    its old size (a growing plan has one step: a rollback undoes only the
//    step that stopped); otherwise only a grow that landed nothing is cut
//    back.
// 2. Shrinking: move first block first, then cut.
bool OMoveExecutor::Run(const OMovePlan& plan) {
    m_cancelled = false;
    if (plan.steps.empty() && !plan.ChangesSize()) return true;
    if (m_block.empty() && !plan.steps.empty()) return false;
    if (plan.Grows()) {
        if (!m_file.Reserve(plan.newSize)) return false;
        for (const OMoveStep& step : plan.steps) {
            OOffset moved = 0;
            const Outcome outcome = MoveBackward(step, moved);
            if (outcome == Outcome::Done) continue;
            if (outcome == Outcome::Broken) return false;
            // A file not brought back as it was has failed, whatever the user asked.
            bool restored = false;
            if (moved == 0)
                restored = Cut(plan.oldSize);
            else if (m_recover)
                restored =
                    MoveForward(UndoLanded(step, moved)) != Outcome::Stopped && Cut(plan.oldSize);
            m_cancelled = m_cancelled && restored;
            return false;
        }
        return Cut(plan.newSize);
    }
    bool clean = true;
    for (const OMoveStep& step : plan.steps) {
        const Outcome outcome = MoveForward(step);
        if (outcome == Outcome::Stopped) return false;
        clean = clean && outcome == Outcome::Done;
    }
    return (!plan.ChangesSize() || Cut(plan.newSize)) && clean;
}

// Each block is read whole before its write, which lands above it: the
// only bytes not yet read that the write could reach are its own. A failed
// write may have reached them, so a recovering move writes the block back
// to its source first; when even that fails, or without recovery, nothing
// can be undone (Broken).
OMoveExecutor::Outcome OMoveExecutor::MoveBackward(const OMoveStep& step, OOffset& moved) {
    while (moved < step.length) {
        m_observer.Reached(step, moved);
        PumpMessages();
        if (m_observer.CancelRequested()) {
            m_cancelled = true;
            return Outcome::Stopped;
        }
        const std::size_t count = BlockFor(m_block, step.length - moved);
        const OOffset at = step.length - moved - static_cast<OOffset>(count);
        if (!ReadExactly(m_file, step.from + at, m_block.data(), count)) return Outcome::Stopped;
        if (!WriteBlock(m_block.data(), m_file, step.to + at, count)) {
            const bool restored =
                m_recover && WriteBlock(m_block.data(), m_file, step.from + at, count);
            return restored || moved == 0 ? Outcome::Stopped : Outcome::Broken;
        }
        moved += static_cast<OOffset>(count);
    }
    m_observer.Reached(step, moved);
    return Outcome::Done;
}

// Recovering, runs to the end whatever the user asks, and a block whose
// read or write fails is tried once more: half-moved, the bytes between the
// two ends would stay in the file twice. A failed write may have reached
// the block's own source: the second try writes the bytes already read.
OMoveExecutor::Outcome OMoveExecutor::MoveForward(const OMoveStep& step) {
    Outcome outcome = Outcome::Done;
    OOffset moved = 0;
    while (moved < step.length) {
        m_observer.Reached(step, moved);
        PumpMessages();
        if (!m_recover && m_observer.CancelRequested()) {
            m_cancelled = true;
            return Outcome::Stopped;
        }
        const std::size_t count = BlockFor(m_block, step.length - moved);
        OByte* data = m_block.data();
        const OOffset from = step.from + moved;
        const OOffset to = step.to + moved;
        if (!ReadExactly(m_file, from, data, count)) {
            if (!m_recover || !ReadExactly(m_file, from, data, count)) return Outcome::Stopped;
            outcome = Outcome::Retried;
        }
        if (!WriteBlock(data, m_file, to, count)) {
            if (!m_recover || !WriteBlock(data, m_file, to, count)) return Outcome::Stopped;
            outcome = Outcome::Retried;
        }
        moved += static_cast<OOffset>(count);
    }
    m_observer.Reached(step, moved);
    return outcome;
}

// A disk file's SetSize fails without a word.
bool OMoveExecutor::Cut(OOffset size) {
    if (m_file.SetSize(size)) return true;
    // The memory variant has already said "Out of memory".
    if (LastError() != ENOMEM) m_file.ShowFileError(-1);
    return false;
}

bool CopyBlocks(OFile& source, OOffset sourceOffset, OFile& target, OOffset targetOffset,
                OOffset length, std::span<OByte> block, OMoveObserver& observer) {
    if (block.empty()) return length == 0;
    const OMoveStep step{sourceOffset, targetOffset, length, false};
    OOffset moved = 0;
    while (moved < length) {
        observer.Reached(step, moved);
        PumpMessages();
        if (observer.CancelRequested()) return false;
        const std::size_t count = BlockFor(block, length - moved);
        SetLastError(0);
        const std::size_t n = source.ReadAt(sourceOffset + moved, block.data(), count);
        // A read error must never pass for the end of the source: the caller
        // would then cut the file behind a tail that was never moved.
        if (LastError() != 0) return source.ShowFileError(-1);
        if (n == 0) break;
        if (!WriteBlock(block.data(), target, targetOffset + moved, n)) return false;
        moved += static_cast<OOffset>(n);
    }
    observer.Reached(step, moved);
    return true;
}
