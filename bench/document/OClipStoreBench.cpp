// A copy of 512 MiB into the clipboard's temporary file should run at the
// speed of cp over the same bytes: one read and one write per block.
#include "document/OClipStore.h"
#include "document/ODiskFile.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kSize = OOffset{512} << 20;

// Real bytes, written once: a sparse file would flatter every reader.
class OSourceFile {
public:
    OSourceFile() {
        std::string dir = SystemTempDirectory() + "quorvalis-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        m_path = dir + "/source.bin";
        const int fd = ::open(m_path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        std::vector<OByte> block(1 << 20);
        std::mt19937 rng(7);
        for (auto& b : block)
            b = static_cast<OByte>(rng());
        for (OOffset done = 0; done < kSize; done += static_cast<OOffset>(block.size())) {
            block[0] = static_cast<OByte>(done >> 20);
            if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()))
                std::abort();
        }
        ::close(fd);
    }
    ~OSourceFile() { std::filesystem::remove_all(m_dir); }
    const std::string& Path() const { return m_path; }
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
    std::string m_path;
};

OSourceFile& Source() {
    static OSourceFile file;
    return file;
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_CopyIntoTemporaryFileStore(benchmark::State& state) {
    OScriptedPlatform platform;
    ODiskFile source;
    if (!source.Open(Source().Path(), OAccess::Read, ODisposition::OpenExisting)) std::abort();
    OClipHolder holder(std::uint64_t{0}); // always the file store
    const long before = PeakRssKiB();
    for (auto _ : state) {
        if (!holder.Set(source, 0, kSize, Source().Dir() + "/")) std::abort();
        holder.Clear();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
    state.counters["peakRssGrowthMiB"] = static_cast<double>(PeakRssKiB() - before) / 1024.0;
}
BENCHMARK(BM_CopyIntoTemporaryFileStore)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_CpOfTheSameBytes(benchmark::State& state) {
    const std::string target = Source().Dir() + "/copy.bin";
    const std::string command = "cp '" + Source().Path() + "' '" + target + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) std::abort();
        state.PauseTiming();
        ::unlink(target.c_str());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_CpOfTheSameBytes)->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace
