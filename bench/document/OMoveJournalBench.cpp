// A tail move that can be finished after a kill must cost no more than 10%
// over the same move without its journal: 1 GiB moved down by 64 MiB (the
// journal only checkpoints) and by 4 KiB (each block's write lands on its
// own source, so its overlap is stashed first), each next to its baseline.
#include "OBenchData.h"
#include "document/ODiskFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMoveJournal.h"
#include "document/OTransferBuffer.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OStateDir.h"
#include "platform/OSystem.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kFileSize = OBenchData::kSize;
constexpr std::size_t kBlock = OTransferBuffer::kMaxBlock;

struct OSilent final : OMoveObserver {
    void Reached(const OMoveStep&, OOffset) override {}
    bool CancelRequested() override { return false; }
};

// Times the move of the tail down by shift, with or without the journal
// (made, synced, checkpointed and removed as an edit does); the move back
// up, untimed, keeps the file at 1 GiB.
void TailMove(benchmark::State& state, OOffset shift, bool journaled,
              std::size_t blockBytes = kBlock) {
    OScriptedPlatform platform;
    const std::string& path = OBenchData::Path();
    ODiskFile file;
    if (!file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting)) std::abort();
    OTransferBuffer buffer(kFileSize);
    if (!buffer.Valid()) std::abort();
    const std::span<OByte> block{buffer.Data(), std::min(buffer.Size(), blockBytes)};
    const OMovePlan down = *PlanResize(kFileSize, false, 0, shift, 0).plan;
    const OMovePlan up = *PlanResize(kFileSize - shift, false, 0, 0, shift).plan;
    OMoveJournal::Identity identity;
    if (!JournalIdentity(file, identity)) std::abort();
    OSilent observer;
    std::int64_t checkpoints = 0;
    for (auto _ : state) {
        OMoveExecutor executor(file, block, observer);
        std::unique_ptr<OMoveJournal> journal;
        if (journaled) {
            journal = OMoveJournal::Create(OFileIo::System(), StateDirectory(), identity, down, {});
            if (!journal) std::abort();
            executor.SetLog(journal.get());
        }
        if (!executor.Run(down)) std::abort();
        if (journal) {
            checkpoints += static_cast<std::int64_t>(journal->Last().sequence);
            if (!journal->Remove()) std::abort();
        }
        state.PauseTiming();
        OMoveExecutor back(file, block, observer);
        if (!back.Run(up)) std::abort();
        state.ResumeTiming();
    }
    state.counters["checkpoints"] =
        benchmark::Counter(static_cast<double>(checkpoints), benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(state.iterations() * (kFileSize - shift));
}

void BM_TailMove_Shift64MiB_Plain(benchmark::State& state) {
    TailMove(state, OOffset{64} << 20, false);
}
void BM_TailMove_Shift64MiB_Journal(benchmark::State& state) {
    TailMove(state, OOffset{64} << 20, true);
}
void BM_TailMove_Shift4KiB_Plain(benchmark::State& state) {
    TailMove(state, 4096, false);
}
void BM_TailMove_Shift4KiB_Journal(benchmark::State& state) {
    TailMove(state, 4096, true);
}
// The journal moves such a step in 1 MiB blocks; without it, so would this.
void BM_TailMove_Shift4KiB_Plain1MiBBlocks(benchmark::State& state) {
    TailMove(state, 4096, false, 1048576);
}

// Each with its baseline just before it, so that load from elsewhere hits both alike.
BENCHMARK(BM_TailMove_Shift64MiB_Plain)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TailMove_Shift64MiB_Journal)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TailMove_Shift4KiB_Plain)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TailMove_Shift4KiB_Journal)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TailMove_Shift4KiB_Plain1MiBBlocks)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
