// The search engine over a 1 GiB file of random bytes in the page cache,
// each run timed against what the machine does with the same bytes in the
// same run: glibc memmem over pread blocks of the engine's block size (512
// KiB for a find, 4 MiB for a count), and for Replace All one pass that reads
// the file and writes the same result with pread/pwrite. "ratio" is the
// engine's speed over the baseline's; "rss_over_idle_MiB" is the highest
// resident memory seen while the engine ran, less what it was before.
#include "document/ODiskFile.h"
#include "find/OFinder.h"
#include "find/OMatcher.h"
#include "find/OPattern.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kFileSize = OOffset{1} << 30;
constexpr std::size_t kFindBlock = 524288;
constexpr std::size_t kCountBlock = 4194304;
constexpr std::size_t kCopyBlock = 16777216;
constexpr int kPlanted = 10000;

// Texts in the dialog's syntax; none occurs in the random bytes (they are
// scrubbed out), so every find and count runs to the end of the file.
const char* const kLiteral4 = "QxZw";
const char* const kLiteral16 = "QuorvalisBenchXY";
const char* const kWildcard16 = "Quorvalis\\?enchXY";
const char* const kReplacement = "12345678";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

OPattern PatternOf(const char* text) {
    return ParsePattern(PatternTextBytes(text, false));
}

double ResidentMiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

int OpenOrDie(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    return fd;
}

// A copy written back to the disk, so that whoever writes it next starts
// from clean pages (writing over pages still dirty from the copy is much
// cheaper, and would favour one side of a comparison).
void CopyFile(const std::string& from, const std::string& to) {
    const int in = OpenOrDie(from, O_RDONLY);
    const int out = OpenOrDie(to, O_WRONLY | O_CREAT | O_TRUNC);
    std::vector<OByte> block(kCopyBlock);
    for (OOffset at = 0;; at += static_cast<OOffset>(kCopyBlock)) {
        const ssize_t n = ::pread(in, block.data(), kCopyBlock, at);
        if (n < 0) std::abort();
        if (n == 0) break;
        if (::pwrite(out, block.data(), static_cast<std::size_t>(n), at) != n) std::abort();
    }
    if (::fsync(out) != 0) std::abort();
    ::close(in);
    ::close(out);
}

// Rewrites every match of the pattern until none is left (a find that
// stopped early would time less than the whole file).
void Scrub(int fd, const char* text, bool matchCase) {
    OMatcher matcher;
    if (!matcher.Prepare(PatternOf(text), matchCase, false)) std::abort();
    const auto length = static_cast<std::size_t>(matcher.Length());
    std::vector<OByte> block(kCopyBlock);
    for (OOffset at = 0; at < kFileSize;) {
        const ssize_t n = ::pread(fd, block.data(), kCopyBlock, at);
        if (n <= 0) std::abort();
        const std::ptrdiff_t p =
            matcher.SearchForward(block.data(), static_cast<std::size_t>(n), 0);
        if (p >= 0) {
            const OByte other = static_cast<OByte>(block[static_cast<std::size_t>(p)] ^ 0x80);
            if (::pwrite(fd, &other, 1, at + p) != 1) std::abort();
            continue; // the same block again
        }
        if (at + n >= kFileSize) break;
        at += n - static_cast<ssize_t>(length - 1);
    }
}

// Where the replace benchmark plants its matches: spread over the file,
// none across a copy block's seam.
std::vector<OOffset> PlantedOffsets() {
    std::vector<OOffset> offsets;
    const OOffset stride = kFileSize / kPlanted;
    for (int i = 0; i < kPlanted; ++i) {
        OOffset at = i * stride + 4099;
        if (at % static_cast<OOffset>(kCopyBlock) > static_cast<OOffset>(kCopyBlock) - 8) at -= 8;
        offsets.push_back(at);
    }
    return offsets;
}

// The files, made once and removed at exit: random bytes without any
// benchmark pattern, the same with the planted matches (kept pristine), the
// copy a replace works on, and the baseline's result.
class OBenchFiles {
public:
    static const OBenchFiles& Get() {
        static OBenchFiles files;
        return files;
    }
    ~OBenchFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string dir;
    std::string random;
    std::string planted;
    std::string work;
    std::string result;

private:
    OBenchFiles() {
        dir = SystemTempDirectory() + "quorvalis-find-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        random = dir + "/random.bin";
        planted = dir + "/planted.bin";
        work = dir + "/work.bin";
        result = dir + "/result.bin";
        const int fd = OpenOrDie(random, O_RDWR | O_CREAT | O_TRUNC);
        std::vector<std::uint64_t> block(kCopyBlock / sizeof(std::uint64_t));
        std::mt19937_64 rng(7);
        for (OOffset at = 0; at < kFileSize; at += static_cast<OOffset>(kCopyBlock)) {
            for (auto& word : block)
                word = rng();
            if (::pwrite(fd, block.data(), kCopyBlock, at) != static_cast<ssize_t>(kCopyBlock))
                std::abort();
        }
        for (const char* text : {kLiteral4, kLiteral16, kWildcard16})
            for (bool matchCase : {true, false})
                Scrub(fd, text, matchCase);
        ::fsync(fd);
        ::close(fd);
        CopyFile(random, planted);
        const int p = OpenOrDie(planted, O_RDWR);
        for (OOffset at : PlantedOffsets())
            if (::pwrite(p, kLiteral4, 4, at) != 4) std::abort();
        ::fsync(p);
        ::close(p);
    }
};

class OBenchHost final : public OFindHost {
public:
    void ShowMatch(OOffset, int) override {}
    OConfirmAnswer ConfirmReplace(const std::string&, const std::string&) override {
        return OConfirmAnswer::All;
    }
    bool ResolvePending() override { return true; }
    void Edited(const OEdit&) override {}
};

// The baseline: memmem over the file in pread blocks overlapping by the
// pattern length - 1; how many matches it saw.
int MemmemScan(int fd, const OPattern& pattern, std::vector<OByte>& block) {
    const auto length = static_cast<std::size_t>(pattern.length);
    int found = 0;
    for (OOffset at = 0;;) {
        const ssize_t n = ::pread(fd, block.data(), block.size(), at);
        if (n < 0) std::abort();
        found += ::memmem(block.data(), static_cast<std::size_t>(n), pattern.bytes.data(),
                          length) != nullptr;
        if (at + n >= kFileSize || n == 0) break;
        at += n - static_cast<ssize_t>(length - 1);
    }
    return found;
}

enum class OKind { Forward, Backward, Count };

void Search(benchmark::State& state, const char* text, OKind kind, bool matchCase,
            const char* baselineText) {
    const OBenchFiles& files = OBenchFiles::Get();
    OScriptedPlatform platform;
    platform.keepPositions = false;
    OBenchHost host;
    ODiskFile file;
    if (!file.Open(files.random, OAccess::Read, ODisposition::OpenExisting)) std::abort();
    OFinder finder;
    OFindOptions options;
    options.matchCase = matchCase;
    options.fromBeginEnd = true;
    options.down = kind != OKind::Backward;
    options.countOnly = kind == OKind::Count;
    const int fd = OpenOrDie(files.random, O_RDONLY);
    std::vector<OByte> block(kind == OKind::Count ? kCountBlock : kFindBlock);
    const OPattern baseline = PatternOf(baselineText);
    double engine = 0;
    double plain = 0;
    double peak = 0;
    double idle = 0;
    double worst = 0;
    // Every 64th block: reading /proc costs more than a block search.
    int pumps = 0;
    platform.OnPump([&] {
        if (++pumps % 64 == 0) peak = std::max(peak, ResidentMiB());
    });
    for (auto _ : state) {
        platform.Clear();
        ::malloc_trim(0);
        idle = ResidentMiB();
        peak = idle;
        const auto t0 = Clock::now();
        const OOffset r = finder.Run(file, text, "", options, 0, -1, -1, false, host);
        const auto t1 = Clock::now();
        const int hits = MemmemScan(fd, baseline, block);
        const auto t2 = Clock::now();
        const std::string expected = kind == OKind::Count ? "Total found: 0" : "Pattern '";
        if (r != -1 || hits != 0 || platform.Text().rfind(expected, 0) != 0)
            state.SkipWithError("a match where none should be");
        engine += Seconds(t1 - t0);
        plain += Seconds(t2 - t1);
        worst = std::max(worst, peak - idle);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    ::close(fd);
    state.SetBytesProcessed(state.iterations() * kFileSize);
    state.counters["memmem_GBps"] =
        static_cast<double>(state.iterations()) * static_cast<double>(kFileSize) / plain / 1e9;
    state.counters["ratio"] = plain / engine;
    state.counters["rss_over_idle_MiB"] = worst;
}

// The baseline result, written once: the pristine file read in 16 MiB blocks
// and written to another file with every planted match replaced.
void PlainReplace(const std::string& from, const std::string& to,
                  const std::vector<OOffset>& offsets, std::vector<OByte>& in,
                  std::vector<OByte>& out) {
    const int source = OpenOrDie(from, O_RDONLY);
    const int target = OpenOrDie(to, O_WRONLY | O_CREAT);
    auto next = offsets.begin();
    OOffset written = 0;
    for (OOffset at = 0; at < kFileSize; at += static_cast<OOffset>(kCopyBlock)) {
        const ssize_t n = ::pread(source, in.data(), kCopyBlock, at);
        if (n <= 0) std::abort();
        std::size_t length = 0;
        std::size_t taken = 0;
        for (; next != offsets.end() && *next < at + n; ++next) {
            const auto p = static_cast<std::size_t>(*next - at);
            std::memcpy(out.data() + length, in.data() + taken, p - taken);
            length += p - taken;
            std::memcpy(out.data() + length, kReplacement, 8);
            length += 8;
            taken = p + 4;
        }
        std::memcpy(out.data() + length, in.data() + taken, static_cast<std::size_t>(n) - taken);
        length += static_cast<std::size_t>(n) - taken;
        if (::pwrite(target, out.data(), length, written) != static_cast<ssize_t>(length))
            std::abort();
        written += static_cast<OOffset>(length);
    }
    if (::ftruncate(target, written) != 0) std::abort();
    ::close(source);
    ::close(target);
}

bool SameContent(const std::string& a, const std::string& b) {
    const int fa = OpenOrDie(a, O_RDONLY);
    const int fb = OpenOrDie(b, O_RDONLY);
    std::vector<OByte> ba(kCopyBlock);
    std::vector<OByte> bb(kCopyBlock);
    bool same = true;
    for (OOffset at = 0; same; at += static_cast<OOffset>(kCopyBlock)) {
        const ssize_t na = ::pread(fa, ba.data(), kCopyBlock, at);
        const ssize_t nb = ::pread(fb, bb.data(), kCopyBlock, at);
        same = na == nb && std::memcmp(ba.data(), bb.data(), static_cast<std::size_t>(na)) == 0;
        if (na <= 0) break;
    }
    ::close(fa);
    ::close(fb);
    return same;
}

void ReplaceAll(benchmark::State& state) {
    const OBenchFiles& files = OBenchFiles::Get();
    const std::vector<OOffset> offsets = PlantedOffsets();
    std::vector<OByte> in(kCopyBlock);
    std::vector<OByte> out(2 * kCopyBlock);
    OScriptedPlatform platform;
    platform.keepPositions = false;
    OBenchHost host;
    OFindOptions options;
    options.matchCase = true;
    options.replace = true;
    double engine = 0;
    double plain = 0;
    double peak = 0;
    double idle = 0;
    double worst = 0;
    platform.OnPump([&] { peak = std::max(peak, ResidentMiB()); });
    bool checked = false;
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(files.planted, files.work);
        CopyFile(files.planted, files.result);
        platform.Clear();
        ODiskFile file;
        if (!file.Open(files.work, OAccess::Read, ODisposition::OpenExisting)) std::abort();
        OFinder finder;
        ::malloc_trim(0); // freed blocks kept by the allocator would hide new ones
        idle = peak = ResidentMiB();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        finder.Run(file, kLiteral4, kReplacement, options, 0, -1, -1, false, host);
        const auto t1 = Clock::now();
        file.Close();
        PlainReplace(files.planted, files.result, offsets, in, out);
        const auto t2 = Clock::now();
        worst = std::max(worst, peak - idle);
        if (platform.Text() != "Total found: 10000.  Total replaces: 10000")
            state.SkipWithError(platform.Text().c_str());
        if (!checked && !SameContent(files.work, files.result))
            state.SkipWithError("the result differs from the baseline's");
        checked = true;
        engine += Seconds(t1 - t0);
        plain += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
    state.counters["pread_pwrite_GBps"] =
        static_cast<double>(state.iterations()) * static_cast<double>(kFileSize) / plain / 1e9;
    state.counters["ratio"] = plain / engine;
    state.counters["rss_over_idle_MiB"] = worst;
}

void FindForward4(benchmark::State& s) {
    Search(s, kLiteral4, OKind::Forward, true, kLiteral4);
}
void FindForward16(benchmark::State& s) {
    Search(s, kLiteral16, OKind::Forward, true, kLiteral16);
}
void Count4(benchmark::State& s) {
    Search(s, kLiteral4, OKind::Count, true, kLiteral4);
}
void Count16(benchmark::State& s) {
    Search(s, kLiteral16, OKind::Count, true, kLiteral16);
}
void FindBackward4(benchmark::State& s) {
    Search(s, kLiteral4, OKind::Backward, true, kLiteral4);
}
void FindBackward16(benchmark::State& s) {
    Search(s, kLiteral16, OKind::Backward, true, kLiteral16);
}
void FindNoCase4(benchmark::State& s) {
    Search(s, kLiteral4, OKind::Forward, false, kLiteral4);
}
void FindNoCase16(benchmark::State& s) {
    Search(s, kLiteral16, OKind::Forward, false, kLiteral16);
}
void FindWildcard16(benchmark::State& s) {
    Search(s, kWildcard16, OKind::Forward, true, kLiteral16);
}

} // namespace

BENCHMARK(FindForward4)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindForward16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(Count4)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(Count16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindBackward4)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindBackward16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindNoCase4)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindNoCase16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(FindWildcard16)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(ReplaceAll)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
