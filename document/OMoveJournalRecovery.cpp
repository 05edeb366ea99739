#include "document/OMoveJournalRecovery.h"

#include "document/OFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMoveJournal.h"
#include "document/OTransferBuffer.h"
#include "platform/OFileIo.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStateDir.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cstring>

namespace {

// One progress window over the bytes still to move; no Cancel: a finish
// stopped half way would only be offered again.
class OFinishObserver final : public OMoveObserver {
public:
    explicit OFinishObserver(OOffset total) : m_total(total) {}
    void Reached(const OMoveStep&, OOffset) override {
        if (!m_progress) m_progress = CreateProgress(0, m_total, false);
        m_progress->SetPos(std::min(m_total, ++m_blocks));
    }
    bool CancelRequested() override { return false; }

private:
    std::unique_ptr<OProgress> m_progress;
    OOffset m_total;
    OOffset m_blocks = 0;
};

// Where the stash of the last checkpoint belongs: the next stashLength bytes
// of the step's target in its direction.
OOffset StashTarget(const OMoveStep& step, const OMoveJournal::Checkpoint& last) {
    return step.backward ? step.to + step.length - last.moved - last.stashLength
                         : step.to + last.moved;
}

bool Fill(OFile& file, std::span<OByte> block, OMoveJournal::Fill fill) {
    std::memset(block.data(), 0, block.size());
    for (OOffset done = 0; done < fill.length;) {
        const auto count = static_cast<std::size_t>(
            std::min<OOffset>(static_cast<OOffset>(block.size()), fill.length - done));
        if (!WriteBlock(block.data(), file, fill.offset + done, count)) return false;
        done += static_cast<OOffset>(count);
    }
    return true;
}

} // namespace

// 1. The stash to its target: then the rest of the step's source is whole.
// 2. The moves from there, checkpointed as the first run did.
// 3. The zeros, the new length, the journal removed.
bool FinishMove(OFile& file, OMoveJournal& journal) {
    OLongOperation running;
    if (!file.EnsureWritable()) return false;
    const OMovePlan& plan = journal.Plan();
    const OMoveJournal::Checkpoint last = journal.Last();
    const OOffset left = journal.TotalBytes() - journal.MovedBytes();
    OTransferBuffer buffer(std::max<OOffset>({left, journal.ZeroFill().length, 1}));
    if (!buffer.Valid()) return false;
    const std::span<OByte> block{buffer.Data(), buffer.Size()};
    if (last.stashLength > 0) {
        const OOffset target = StashTarget(plan.steps[last.step], last);
        for (OOffset done = 0; done < last.stashLength;) {
            const auto count = static_cast<std::size_t>(
                std::min<OOffset>(static_cast<OOffset>(block.size()), last.stashLength - done));
            if (!journal.ReadStash(done, block.data(), count)) {
                MessageBox(FormatId(ids::IDS_FILE_ERROR, journal.Path().c_str(),
                                    SystemErrorText(-1).c_str()),
                           OButtons::Ok, OIcon::Stop);
                return false;
            }
            if (!WriteBlock(block.data(), file, target + done, count)) return false;
            done += static_cast<OOffset>(count);
        }
    }
    OFinishObserver observer(left / static_cast<OOffset>(block.size()) + 1);
    OMoveExecutor executor(file, block, observer);
    executor.SetLog(&journal);
    if (!executor.Resume(plan, last.step, last.moved + last.stashLength)) return false;
    if (!Fill(file, block, journal.ZeroFill())) return false;
    file.Sync();
    if (journal.Remove()) return true;
    MessageBox(FormatId(ids::IDS_FILE_ERROR, journal.Path().c_str(), SystemErrorText(-1).c_str()),
               OButtons::Ok, OIcon::Stop);
    return true;
}

void OfferToFinishMove(OFile& file) {
    OMoveJournal::Identity identity;
    if (!JournalIdentity(file, identity)) return;
    const std::string directory = StateDirectory();
    if (directory.empty()) return; // no journal could have been written either
    std::unique_ptr<OMoveJournal> journal;
    const std::string path = directory + OMoveJournal::FileName(identity);
    switch (OMoveJournal::Load(OFileIo::System(), directory, identity, journal)) {
    case OMoveJournal::OLoad::None:
        return;
    case OMoveJournal::OLoad::Unreadable:
        MessageBox(FormatId(ids::IDS_FILE_ERROR, path.c_str(), SystemErrorText(-1).c_str()),
                   OButtons::Ok, OIcon::Stop);
        return;
    case OMoveJournal::OLoad::Damaged:
        MessageBox(FormatId(ids::IDS_MOVE_RECORD_DAMAGED, file.Path().c_str(), path.c_str()),
                   OButtons::Ok, OIcon::Stop);
        return;
    case OMoveJournal::OLoad::Loaded:
        break;
    }
    const OMovePlan& plan = journal->Plan();
    OOffset size = 0;
    if (!file.TryGetSize(size)) return;
    // A shrink is cut only after its last move.
    const bool movesDone = journal->Last().step == plan.steps.size();
    const OOffset low =
        plan.Grows() || movesDone ? std::min(plan.oldSize, plan.newSize) : plan.oldSize;
    const OOffset high = std::max(plan.oldSize, plan.newSize);
    if (size < low || size > high) {
        MessageBox(FormatId(ids::IDS_MOVE_RECORD_MISMATCH, file.Path().c_str(),
                            static_cast<long long>(size), path.c_str(), static_cast<long long>(low),
                            static_cast<long long>(high)),
                   OButtons::Ok, OIcon::Stop);
        return;
    }
    if (MessageBox(FormatId(ids::IDS_MOVE_INTERRUPTED, file.Path().c_str(),
                            GroupDigits(journal->MovedBytes()).c_str(),
                            GroupDigits(journal->TotalBytes()).c_str()),
                   OButtons::YesNo, OIcon::Question) != OAnswer::Yes)
        return;
    if (FinishMove(file, *journal))
        ShowStatus(ids::IDS_MOVE_FINISHED);
    else
        MessageBox(FormatId(ids::IDS_MOVE_NOT_FINISHED, file.Path().c_str(), path.c_str()),
                   OButtons::Ok, OIcon::Exclamation);
}
