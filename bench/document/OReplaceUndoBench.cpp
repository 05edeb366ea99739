// A Replace All kept as one undo step against the same run with nothing
// kept, its undo, and the memory a run of millions of matches leaves.
#include "OBenchData.h"
#include "document/ODoc.h"
#include "find/OFinder.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlock = 16777216;

// size bytes of 'x' with "QRVL" every spacing bytes, in a fresh directory.
class OReplaceBenchFile {
public:
    OReplaceBenchFile(OOffset size, std::size_t spacing) {
        std::string dir = SystemTempDirectory() + "quorvalis-replace-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        path = dir + "/data.bin";
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) std::abort();
        std::vector<char> block(kBlock, 'x');
        for (std::size_t at = 0; at + 4 <= kBlock; at += spacing)
            std::memcpy(block.data() + at, "QRVL", 4);
        for (OOffset at = 0; at < size; at += static_cast<OOffset>(kBlock)) {
            const auto n = static_cast<std::size_t>(std::min<OOffset>(kBlock, size - at));
            if (::pwrite(fd, block.data(), n, at) != static_cast<ssize_t>(n)) std::abort();
        }
        ::close(fd);
    }
    ~OReplaceBenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string path;

private:
    std::string m_dir;
};

// The host as the window has it, or with recording off.
struct OBenchFindHost final : OFindHost {
    ODoc* doc = nullptr; // null: nothing recorded
    void ShowMatch(OOffset, int) override {}
    OConfirmAnswer ConfirmReplace(const std::string&, const std::string&) override {
        return OConfirmAnswer::All;
    }
    bool ResolvePending() override { return true; }
    void Edited(const OEdit& edit) override {
        if (doc) doc->ReplaceRunEdited(edit);
    }
    void ReplaceStarted() override {
        if (doc) doc->BeginReplaceRun();
    }
    void Replaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                  std::size_t newLength) override {
        if (doc) doc->RecordReplaced(before, old, oldLength, now, newLength);
    }
    void ReplaceEnded(bool failed) override {
        if (doc) doc->EndReplaceRun(failed);
    }
};

struct OBenchDoc {
    OScriptedPlatform platform;
    ODoc doc;
    OFinder finder;
    explicit OBenchDoc(const std::string& path) {
        platform.keepPositions = false;
        if (!doc.OnOpenDocument(path)) std::abort();
        doc.SetReadOnly(false);
    }
    void Replace(const char* pattern, const char* replacement, bool record) {
        OBenchFindHost host;
        host.doc = record ? &doc : nullptr;
        finder.Run(*doc.File(), pattern, replacement,
                   {.matchCase = true, .fromBeginEnd = true, .replace = true}, 0, -1, -1, false,
                   host);
    }
};

// 1 GiB with 100,000 matches of 4 bytes; 40 MiB of matches every 4 bytes,
// 10 million replacements, kept as records in the store and, for another
// length, undone in passes of 262,144 regions.
OReplaceBenchFile& GiB() {
    static OReplaceBenchFile file(OOffset{1} << 30, 10737);
    return file;
}

OReplaceBenchFile& Dense() {
    static OReplaceBenchFile file(OOffset{40} << 20, 4);
    return file;
}

// "QRVL" replaced by `to` with its step kept; undone untimed.
void ReplaceWithUndo(benchmark::State& state, OReplaceBenchFile& (*file)(), const char* to) {
    OBenchDoc d(file().path);
    for (auto _ : state) {
        d.Replace("QRVL", to, true);
        state.PauseTiming();
        if (!d.doc.Undo()) state.SkipWithError("undo failed");
        state.ResumeTiming();
    }
}

// The same run with nothing kept; put back untimed.
void ReplaceWithoutUndo(benchmark::State& state, OReplaceBenchFile& (*file)(), const char* to) {
    OBenchDoc d(file().path);
    for (auto _ : state) {
        d.Replace("QRVL", to, false);
        state.PauseTiming();
        d.Replace(to, "QRVL", false);
        state.ResumeTiming();
    }
}

// The step's undo; the run untimed.
void UndoReplace(benchmark::State& state, OReplaceBenchFile& (*file)(), const char* to) {
    OBenchDoc d(file().path);
    for (auto _ : state) {
        state.PauseTiming();
        d.Replace("QRVL", to, true);
        state.ResumeTiming();
        if (!d.doc.Undo()) state.SkipWithError("undo failed");
    }
}

// Resident memory idle and after the 10 million replacements, kept (1) or
// not (0).
void BM_ResidentAfter10MMatches(benchmark::State& state) {
    OBenchDoc d(Dense().path);
    const double idle = ResidentMiB();
    for (auto _ : state)
        d.Replace("QRVL", "qrvl", state.range(0) != 0);
    state.counters["idle_MiB"] = idle;
    state.counters["after_MiB"] = ResidentMiB();
    d.Replace("qrvl", "QRVL", false);
}

BENCHMARK_CAPTURE(ReplaceWithUndo, 100k, GiB, "qrvl")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(ReplaceWithoutUndo, 100k, GiB, "qrvl")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(UndoReplace, 100k, GiB, "qrvl")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(ReplaceWithUndo, 100k_4To5, GiB, "qrvl5")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(ReplaceWithoutUndo, 100k_4To5, GiB, "qrvl5")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(UndoReplace, 100k_4To5, GiB, "qrvl5")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(ReplaceWithoutUndo, 10M, Dense, "qrvl")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(UndoReplace, 10M, Dense, "qrvl")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(ReplaceWithoutUndo, 10M_4To5, Dense, "qrvl5")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(UndoReplace, 10M_4To5, Dense, "qrvl5")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_ResidentAfter10MMatches)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
