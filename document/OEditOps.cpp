#include "document/OEditOps.h"

#include "document/OFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMoveJournal.h"
#include "document/OMovePlan.h"
#include "document/ORewritePlan.h"
#include "document/OTransferBuffer.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

constexpr OOffset kMegabyte = 1048576;
constexpr std::size_t kZeroBlock = 4194304; // 4 MiB

// Used when even the zero block cannot be had: the gap still gets zeros.
const OByte kSpareZeros[65536] = {};

bool ValidRange(OOffset offset, OOffset length) {
    return offset >= 0 && length >= 0 && length <= kOffsetMax - offset;
}

// A move's or copy's progress window over the bytes of all its steps, made
// at the first block. Each block shows the bytes done once it has landed.
class OProgressObserver final : public OMoveObserver {
public:
    OProgressObserver(OOffset total, std::size_t block, bool cancelEnabled)
        : m_total(total), m_block(static_cast<OOffset>(block)), m_cancelEnabled(cancelEnabled) {}
    void Reached(const OMoveStep& step, OOffset moved) override {
        if (&step != m_step) {
            if (m_step) m_done += m_step->length;
            m_step = &step;
        }
        if (moved >= step.length) return;
        if (!m_progress) m_progress = CreateProgress(0, m_total, m_cancelEnabled);
        m_progress->SetPos(std::min(m_total, m_done + moved + m_block));
    }
    bool CancelRequested() override { return m_progress && m_progress->Cancelled(); }

private:
    std::unique_ptr<OProgress> m_progress;
    const OMoveStep* m_step = nullptr;
    OOffset m_done = 0;
    OOffset m_total;
    OOffset m_block;
    bool m_cancelEnabled;
};

// 1. Refuse before anything changes what cannot finish.
// 2. Make the file writable (the backup first) before taking the block for
//    the longest step, so that the backup reuses the kept block.
// 3. Journal the plan, then run it behind a progress window and a status
//    text for long moves. The journal goes when the change ends, unless the
//    file was left part way, which is said; with keep, a journal that was
//    made is handed to the caller to remove once its fill is written.
bool RunPlan(OFile& file, const OPlanResult& planned, OMoveJournal::Fill fill = {},
             std::unique_ptr<OMoveJournal>* keep = nullptr) {
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    const OMovePlan& plan = *planned.plan;
    if (plan.steps.empty() && !plan.ChangesSize()) return true;
    OLongOperation running;
    if (!file.EnsureWritable()) return false;
    OOffset longest = 0;
    OOffset total = 0;
    for (const OMoveStep& step : plan.steps) {
        longest = std::max(longest, step.length);
        total += step.length;
    }
    std::unique_ptr<OTransferBuffer> buffer;
    std::span<OByte> block;
    if (longest > 0) {
        buffer = std::make_unique<OTransferBuffer>(longest);
        if (!buffer->Valid()) return false;
        block = {buffer->Data(), buffer->Size()};
    }
    bool refused = false;
    std::unique_ptr<OMoveJournal> journal = BeginJournal(file, plan, fill, refused);
    if (refused) return false;
    OStatusText status;
    if (total > kMegabyte) status.Show(ids::IDS_MOVE_MB, static_cast<long long>(total / kMegabyte));
    OProgressObserver observer(total, block.size(), false);
    OMoveExecutor executor(file, block, observer);
    executor.SetLog(journal.get());
    const bool ok = executor.Run(plan);
    status.Restore();
    file.Sync();
    if (!journal) return ok;
    if (executor.Unfinished())
        MessageBox(FormatId(ids::IDS_MOVE_UNFINISHED, file.Path().c_str(), journal->Path().c_str()),
                   OButtons::Ok, OIcon::Exclamation);
    else if (ok && keep)
        *keep = std::move(journal);
    else
        journal->Remove();
    return ok;
}

std::optional<OOffset> SizeForPlan(OFile& file) {
    OOffset size = 0;
    return file.TryGetSize(size) ? std::optional<OOffset>(size) : std::nullopt;
}

bool Resize(OFile& file, OOffset offset, OOffset oldLength, OOffset newLength,
            OMoveJournal::Fill fill = {}, std::unique_ptr<OMoveJournal>* keep = nullptr) {
    return RunPlan(file,
                   PlanResize(SizeForPlan(file), file.FixedSize(), offset, oldLength, newLength),
                   fill, keep);
}

} // namespace

// 1. Refuse an unusable buffer, and a target above an overlapping source
//    in the same file, before anything changes.
// 2. Make the target writable; show the status text for long copies.
// 3. Copy first block first; restore the status text however it ended.
bool CopyRange(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
               OOffset targetOffset, OOffset length, OTextId messageId, bool cancelEnabled) {
    if (!ValidRange(sourceOffset, length) || !ValidRange(targetOffset, length) ||
        (&source == &target && sourceOffset < targetOffset &&
         length > targetOffset - sourceOffset)) {
        SetLastError(EINVAL);
        return false;
    }
    // Without a block every read yields nothing, the sign of a normal end.
    if (!buffer.Valid() || buffer.Size() == 0) return false;
    OLongOperation running;
    if (!target.EnsureWritable()) return false;
    OStatusText status;
    if (messageId != ids::IDS_NONE && length > kMegabyte)
        status.Show(messageId, static_cast<long long>(length / kMegabyte));
    OProgressObserver observer(length, buffer.Size(), cancelEnabled);
    const bool ok = CopyBlocks(source, sourceOffset, target, targetOffset, length,
                               {buffer.Data(), buffer.Size()}, observer);
    status.Restore();
    return ok;
}

bool RewriteRegions(OFile& file, std::span<const ORewriteRegion> regions) {
    return RunPlan(file, PlanRewrite(SizeForPlan(file), file.FixedSize(), regions));
}

bool DeleteRange(OFile& file, OOffset offset, OOffset length) {
    return Resize(file, offset, length, 0);
}

bool ResizeRegion(OFile& file, OOffset offset, OOffset oldLength, OOffset newLength) {
    return Resize(file, offset, oldLength, newLength);
}

// 1. Open the gap (the move of the tail).
// 2. Fill it with zeros block by block; Cancel or a failed write stops the
//    fill, and the status bar then says how much of the gap holds stale
//    bytes. The file has its new length either way, so the result is true.
bool InsertZeros(OFile& file, OOffset offset, OOffset count) {
    if (count <= 0 || offset < 0) {
        SetLastError(EINVAL);
        return false;
    }
    OLongOperation running;
    std::unique_ptr<OMoveJournal> journal;
    if (!Resize(file, offset, 0, count, {offset, count}, &journal)) return false;

    OStatusText status;
    status.Show(ids::IDS_INSERTING, static_cast<long long>(count));
    auto progress = CreateProgress(offset, offset + count, true);
    std::size_t zeroSize = static_cast<std::size_t>(std::min<OOffset>(count, kZeroBlock));
    const std::unique_ptr<OByte, decltype(&std::free)> allocated(
        static_cast<OByte*>(std::calloc(zeroSize, 1)), &std::free);
    const OByte* zeros = allocated.get();
    if (!zeros) {
        zeros = kSpareZeros;
        zeroSize = std::min(zeroSize, sizeof kSpareZeros);
    }
    OOffset position = offset;
    OOffset remaining = count;
    while (remaining > 0) {
        const auto block = static_cast<std::size_t>(
            std::min<std::uint64_t>(zeroSize, static_cast<std::uint64_t>(remaining)));
        PumpMessages();
        progress->SetPos(position + static_cast<OOffset>(block));
        if (progress->Cancelled()) break;
        if (!WriteBlock(zeros, file, position, block)) break;
        position += static_cast<OOffset>(block);
        remaining -= static_cast<OOffset>(block);
    }
    progress.reset();
    status.Restore();
    // Ended, filled or not: the gap is open, and the status says what it holds.
    if (journal) journal->Remove();
    if (remaining > 0) ShowStatus(ids::IDS_INSERT_NOT_ZEROED, static_cast<long long>(remaining));
    return true;
}
