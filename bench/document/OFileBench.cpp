// Opening and reading must cost the same on a 100 GiB file as on a 4 KiB
// one, and pending changes must cost only where they lie.
#include "document/ODiskFile.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A sparse file that lives for the whole run.
class OBenchFile {
public:
    OBenchFile(const char* name, OOffset size) {
        std::string dir = SystemTempDirectory() + "quorvalis-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        m_path = dir + "/" + name;
        const int fd = ::open(m_path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        if (fd < 0 || ::ftruncate(fd, size) != 0) std::abort();
        ::close(fd);
    }
    ~OBenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

constexpr OOffset kHuge = OOffset{100} << 30;

void OpenSizeRead(benchmark::State& state, OOffset fileSize, OOffset readAt) {
    OBenchFile file("open.bin", fileSize);
    std::vector<OByte> buffer(4096);
    for (auto _ : state) {
        ODiskFile disk;
        disk.Open(file.Path(), OAccess::Read, ODisposition::OpenExisting);
        benchmark::DoNotOptimize(disk.GetSize());
        benchmark::DoNotOptimize(disk.ReadAt(readAt, buffer.data(), buffer.size()));
    }
}

void BM_OpenSizeRead_4KiBFile(benchmark::State& state) {
    OpenSizeRead(state, 4096, 0);
}
void BM_OpenSizeRead_100GiBFileAt99GiB(benchmark::State& state) {
    OpenSizeRead(state, kHuge, OOffset{99} << 30);
}
BENCHMARK(BM_OpenSizeRead_4KiBFile);
BENCHMARK(BM_OpenSizeRead_100GiBFileAt99GiB);

// range(0): pending changes elsewhere in the file; range(1): bytes read, all
// pending when range(2) is set.
void BM_ReadAtWithPending(benchmark::State& state) {
    OScriptedPlatform platform;
    OBenchFile file("pending.bin", OOffset{1} << 30);
    ODiskFile disk;
    disk.Open(file.Path(), OAccess::Read, ODisposition::OpenExisting);
    const auto count = static_cast<std::size_t>(state.range(1));
    for (OOffset i = 0; i < state.range(0); ++i)
        disk.SetByte((OOffset{1} << 20) + i * 7, 0, 1);
    if (state.range(2) != 0) {
        for (OOffset i = 0; i < static_cast<OOffset>(count); ++i)
            disk.SetByte(i, 0, 2);
    }
    std::vector<OByte> buffer(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(disk.ReadAt(0, buffer.data(), count));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK(BM_ReadAtWithPending)
    ->ArgNames({"elsewhere", "bytes", "allPending"})
    ->Args({0, 4096, 0})
    ->Args({1000000, 4096, 0})
    ->Args({0, 65536, 0})
    ->Args({0, 65536, 1});

} // namespace
