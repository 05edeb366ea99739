// A structural edit near the start of a large file moves the whole tail, so
// it must run at the speed of the copy itself: within 10% of a bare loop of
// pread/pwrite in 16 MiB blocks moving the same 1 GiB tail.
#include "OBenchData.h"
#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kFileSize = OBenchData::kSize;
constexpr OOffset kEdit = 4096;
constexpr std::size_t kBlock = 16777216;

double PeakRssMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The baseline: length bytes from `from` to `to`, last block first when the
// target lies above.
void PlainMove(int fd, OByte* buffer, OOffset from, OOffset to, OOffset length) {
    const bool backward = from < to;
    for (OOffset done = 0; done < length;) {
        const auto n = static_cast<std::size_t>(
            std::min<OOffset>(static_cast<OOffset>(kBlock), length - done));
        const auto step = static_cast<OOffset>(n);
        const OOffset at = backward ? length - done - step : done;
        if (::pread(fd, buffer, n, from + at) != static_cast<ssize_t>(n) ||
            ::pwrite(fd, buffer, n, to + at) != static_cast<ssize_t>(n))
            std::abort();
        done += step;
    }
}

void PlainDelete(int fd, OByte* buffer, OOffset size) {
    PlainMove(fd, buffer, kEdit, 0, size - kEdit);
    if (::ftruncate(fd, size - kEdit) != 0) std::abort();
}

void PlainInsert(int fd, OByte* buffer, OOffset size) {
    PlainMove(fd, buffer, 0, kEdit, size);
    static const OByte zeros[kEdit] = {};
    if (::pwrite(fd, zeros, kEdit, 0) != kEdit) std::abort();
}

enum class OEdit { Delete, InsertZeros, Grow };

// Times one edit per iteration; the opposite edit, untimed, keeps the size.
void EditAtStart(benchmark::State& state, OEdit edit) {
    OScriptedPlatform platform;
    const std::string& path = OBenchData::Path();
    ODiskFile file;
    if (!file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting)) std::abort();
    const OOffset size = file.GetSize();
    state.counters["peak_rss_before_MiB"] = PeakRssMiB();
    for (auto _ : state) {
        bool ok = false;
        switch (edit) {
        case OEdit::Delete:
            ok = DeleteRange(file, 0, kEdit);
            state.PauseTiming();
            ok = ok && InsertZeros(file, 0, kEdit);
            break;
        case OEdit::InsertZeros:
            ok = InsertZeros(file, 0, kEdit);
            state.PauseTiming();
            ok = ok && DeleteRange(file, 0, kEdit);
            break;
        case OEdit::Grow:
            ok = ResizeRegion(file, 0, 0, kEdit);
            state.PauseTiming();
            ok = ok && DeleteRange(file, 0, kEdit);
            break;
        }
        state.ResumeTiming();
        if (!ok || file.GetSize() != size) state.SkipWithError("edit failed");
    }
    state.counters["peak_rss_after_MiB"] = PeakRssMiB();
    state.SetBytesProcessed(state.iterations() * (size - kEdit));
}

void PlainAtStart(benchmark::State& state, bool deleting) {
    const std::string& path = OBenchData::Path();
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) std::abort();
    const OOffset size = ::lseek(fd, 0, SEEK_END);
    std::vector<OByte> buffer(kBlock);
    state.counters["peak_rss_before_MiB"] = PeakRssMiB();
    for (auto _ : state) {
        if (deleting) {
            PlainDelete(fd, buffer.data(), size);
            state.PauseTiming();
            PlainInsert(fd, buffer.data(), size - kEdit);
        } else {
            PlainInsert(fd, buffer.data(), size);
            state.PauseTiming();
            PlainDelete(fd, buffer.data(), size + kEdit);
        }
        state.ResumeTiming();
    }
    state.counters["peak_rss_after_MiB"] = PeakRssMiB();
    state.SetBytesProcessed(state.iterations() * (size - kEdit));
    ::close(fd);
}

void BM_DeleteRange_4KiBAtStartOf1GiB(benchmark::State& state) {
    EditAtStart(state, OEdit::Delete);
}
void BM_PlainLoop_Delete4KiBAtStartOf1GiB(benchmark::State& state) {
    PlainAtStart(state, true);
}
void BM_InsertZeros_4KiBAtStartOf1GiB(benchmark::State& state) {
    EditAtStart(state, OEdit::InsertZeros);
}
void BM_ResizeRegion_Grow4KiBAtStartOf1GiB(benchmark::State& state) {
    EditAtStart(state, OEdit::Grow);
}
void BM_PlainLoop_Insert4KiBAtStartOf1GiB(benchmark::State& state) {
    PlainAtStart(state, false);
}

// Each edit next to its baseline, so that load from elsewhere hits both alike.
BENCHMARK(BM_DeleteRange_4KiBAtStartOf1GiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlainLoop_Delete4KiBAtStartOf1GiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_InsertZeros_4KiBAtStartOf1GiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlainLoop_Insert4KiBAtStartOf1GiB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ResizeRegion_Grow4KiBAtStartOf1GiB)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
