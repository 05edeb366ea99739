// Undo must cost what the change cost: taking back a 4 KiB delete at the
// start of 1 GiB moves the same tail as the delete did; keeping 512 MiB of
// removed bytes in the store costs one copy at the speed of cp; a long
// history costs little memory.
#include "OBenchData.h"
#include "document/ODoc.h"
#include "document/OEditOps.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kFileSize = OBenchData::kSize;
constexpr std::size_t kBlock = 16777216;

struct OBenchContext final : OEditContext {
    OOffset caret = 0;
    OOffset CaretOffset() const override { return caret; }
    bool OemCharacters() const override { return false; }
    bool ShiftHeld() const override { return false; }
    void MoveCaretAfterEdit(OOffset offset) override { caret = offset; }
};

// A writable document over the data, its undo store in the system's
// temporary directory with the default limit.
struct OBenchDoc {
    OScriptedPlatform platform;
    ODoc doc;
    OBenchContext context;
    OBenchDoc() {
        if (!doc.OnOpenDocument(OBenchData::Path())) std::abort();
        doc.SetReadOnly(false);
        doc.SetEditContext(&context);
    }
    bool Delete(OOffset offset, OOffset length) {
        doc.Selection().Set(offset, offset + length - 1);
        context.caret = offset;
        const std::size_t steps = doc.History() ? doc.History()->UndoCount() : 0;
        doc.OnCommand(ids::ID_DELETE);
        return doc.History() && doc.History()->UndoCount() > steps;
    }
};

// The delete, recorded for undo; its undo untimed.
void BM_Delete4KiBAt0_WithUndo(benchmark::State& state) {
    OBenchDoc d;
    for (auto _ : state) {
        const bool ok = d.Delete(0, 4096);
        state.PauseTiming();
        if (!ok || !d.doc.Undo()) state.SkipWithError("edit failed");
        state.ResumeTiming();
    }
}

// Its undo; the delete untimed.
void BM_Undo_Delete4KiBAt0(benchmark::State& state) {
    OBenchDoc d;
    for (auto _ : state) {
        state.PauseTiming();
        const bool ok = d.Delete(0, 4096);
        state.ResumeTiming();
        if (!ok || !d.doc.Undo()) state.SkipWithError("edit failed");
    }
}

// 512 MiB deleted at 0, its bytes kept in the store; undone untimed, and
// the step then dropped by a byte's delete and its undo, so that the timed
// delete has nothing of the last one to free.
void BM_Delete512MiBAt0_WithUndo(benchmark::State& state) {
    OBenchDoc d;
    for (auto _ : state) {
        const bool ok = d.Delete(0, kFileSize / 2);
        state.PauseTiming();
        if (!ok || !d.doc.Undo() || !d.Delete(kFileSize - 1, 1) || !d.doc.Undo())
            state.SkipWithError("edit failed");
        state.ResumeTiming();
    }
}

// The same, each delete first dropping the last one's step (its undo left
// it to redo): 512 MiB of the store freed on the way.
void BM_Delete512MiBAt0_WithUndo_DroppingTheLast(benchmark::State& state) {
    OBenchDoc d;
    for (auto _ : state) {
        const bool ok = d.Delete(0, kFileSize / 2);
        state.PauseTiming();
        if (!ok || !d.doc.Undo()) state.SkipWithError("edit failed");
        state.ResumeTiming();
    }
}

// The same delete with the edit operation alone; the bytes come back as
// zeros, untimed.
void BM_Delete512MiBAt0_WithoutUndo(benchmark::State& state) {
    OScriptedPlatform platform;
    ODiskFile file;
    if (!file.Open(OBenchData::Path(), OAccess::ReadWrite, ODisposition::OpenExisting))
        std::abort();
    for (auto _ : state) {
        const bool ok = DeleteRange(file, 0, kFileSize / 2);
        state.PauseTiming();
        if (!ok || !InsertZeros(file, 0, kFileSize / 2)) state.SkipWithError("edit failed");
        state.ResumeTiming();
    }
}

// What cp does with 512 MiB of the data: read and written in 16 MiB blocks
// to a new file in the same temporary directory.
void BM_Cp512MiB(benchmark::State& state) {
    const int in = ::open(OBenchData::Path().c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) std::abort();
    std::vector<char> buffer(kBlock);
    for (auto _ : state) {
        const int out = ::open(SystemTempDirectory().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (out < 0) std::abort();
        for (OOffset at = 0; at < kFileSize / 2; at += static_cast<OOffset>(kBlock)) {
            if (::pread(in, buffer.data(), kBlock, at) != static_cast<ssize_t>(kBlock) ||
                ::pwrite(out, buffer.data(), kBlock, at) != static_cast<ssize_t>(kBlock))
                std::abort();
        }
        state.PauseTiming();
        ::close(out);
        state.ResumeTiming();
    }
    ::close(in);
}

// Resident memory of an open document idle, then after 1,000 steps (4 KiB
// deletes near the end, each over some of 200 markers, and typing runs).
void BM_ResidentAfter1000Steps(benchmark::State& state) {
    OBenchDoc d;
    for (int i = 0; i < 200; ++i) {
        ORange marker;
        const OOffset b = kFileSize - 4 * 1048576 + i * 16384;
        marker.Set(b, b + 8191);
        d.doc.Markers().Insert(marker);
    }
    const double idle = ResidentMiB();
    for (auto _ : state) {
        OOffset size = d.doc.File()->GetSize();
        for (int i = 0; i < 1000; ++i) {
            if (i % 4 == 3) {
                for (OOffset k = 0; k < 64; ++k) {
                    OFile& file = *d.doc.File();
                    const OOffset at = size - 65536 + k;
                    if (!file.SetByte(at, 0, static_cast<OByte>(k))) state.SkipWithError("typing");
                    d.doc.RecordTyping({at, 0, static_cast<OByte>(k), false, true}, size);
                }
                d.doc.EndTyping();
                continue;
            }
            d.doc.DoFileSave();
            if (!d.Delete(size - 3 * 1048576 + i * 512, 4096)) state.SkipWithError("delete");
            size -= 4096;
        }
    }
    state.counters["idle_MiB"] = idle;
    state.counters["after_MiB"] = ResidentMiB();
    state.counters["steps"] = static_cast<double>(d.doc.History()->Count());
    // Everything back, for the benchmarks after this one.
    d.doc.DoFileSave();
    while (d.doc.Undo()) {}
}

BENCHMARK(BM_Delete4KiBAt0_WithUndo)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Undo_Delete4KiBAt0)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Delete512MiBAt0_WithUndo)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Delete512MiBAt0_WithUndo_DroppingTheLast)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_Delete512MiBAt0_WithoutUndo)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Cp512MiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ResidentAfter1000Steps)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
