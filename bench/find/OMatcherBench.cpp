// The block search against glibc memmem over the same bytes: a 1 GiB file of
// random bytes in the page cache, read with pread in 512 KiB blocks that
// overlap by the pattern length - 1, about 1000 planted matches per pattern.
// Every pass counts its matches (restarting one byte after each), and the
// count must agree with memmem's, so a fast wrong answer cannot pass.
#include "find/OMatcher.h"
#include "find/OPattern.h"
#include "platform/OSystem.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kFileSize = std::size_t{1} << 30;
constexpr std::size_t kBlock = 512 * 1024;
constexpr int kPlanted = 1000;

std::uint64_t SplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::vector<OByte> Text(const char* s) {
    return {s, s + std::strlen(s)};
}

struct OBenchPattern {
    std::string text;         // the escape syntax
    std::vector<OByte> plant; // bytes written, before case changes
    bool randomCase = false;  // letters planted in random case
    int wildcardAt = -1;      // planted as a random byte
};

const OBenchPattern kLiteral4{"Q\\9C\\7F#", {0x51, 0x9C, 0x7F, 0x23}};
const OBenchPattern kLiteral16{
    "\\00\\FFquorvalis!\\01\\02\\03\\E9",
    {0x00, 0xFF, 'q', 'u', 'o', 'r', 'v', 'a', 'l', 'i', 's', '!', 0x01, 0x02, 0x03, 0xE9}};
const OBenchPattern kNoCase4{"qUoR", Text("qUoR"), true};
const OBenchPattern kNoCase16{"QuorvalisFinding", Text("QuorvalisFinding"), true};
const OBenchPattern kWildcard16{"WildCard\\?\\02patter",
                                Text("WildCard?\x02"
                                     "patter"),
                                false, 8};

// The file, made once and removed at exit.
class OBenchFile {
public:
    OBenchFile() {
        std::string dir = SystemTempDirectory() + "quorvalis-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        const std::string path = dir + "/random.bin";
        m_fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        if (m_fd < 0) std::abort();
        std::uint64_t state = 20240613;
        std::vector<std::uint64_t> chunk((4u << 20) / sizeof(std::uint64_t));
        for (std::size_t at = 0; at < kFileSize; at += chunk.size() * sizeof(std::uint64_t)) {
            for (auto& word : chunk)
                word = SplitMix(state);
            const std::size_t bytes = chunk.size() * sizeof(std::uint64_t);
            if (::pwrite(m_fd, chunk.data(), bytes, static_cast<off_t>(at)) !=
                static_cast<ssize_t>(bytes))
                std::abort();
        }
        for (const OBenchPattern* p :
             {&kLiteral4, &kLiteral16, &kNoCase4, &kNoCase16, &kWildcard16})
            Plant(*p, state);
    }
    ~OBenchFile() {
        ::close(m_fd);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    int Fd() const { return m_fd; }

private:
    void Plant(const OBenchPattern& pattern, std::uint64_t& state) {
        std::vector<OByte> bytes = pattern.plant;
        for (int i = 0; i < kPlanted; ++i) {
            const std::uint64_t r = SplitMix(state);
            for (std::size_t j = 0; j < bytes.size(); ++j) {
                OByte b = pattern.plant[j];
                if (pattern.randomCase && ((r >> j) & 1) &&
                    ((b | 0x20) >= 'a' && (b | 0x20) <= 'z'))
                    b ^= 0x20;
                if (static_cast<int>(j) == pattern.wildcardAt) b = OByte(r >> 40);
                bytes[j] = b;
            }
            const auto at = static_cast<off_t>((r >> 20) % (kFileSize - bytes.size()));
            if (::pwrite(m_fd, bytes.data(), bytes.size(), at) !=
                static_cast<ssize_t>(bytes.size()))
                std::abort();
        }
    }

    std::string m_dir;
    int m_fd = -1;
};

const OBenchFile& File() {
    static const OBenchFile file;
    return file;
}

std::vector<OByte>& Buffer() {
    static std::vector<OByte> buffer(kBlock);
    return buffer;
}

std::size_t ReadBlock(std::size_t offset, std::size_t count) {
    const ssize_t got = ::pread(File().Fd(), Buffer().data(), count, static_cast<off_t>(offset));
    if (got < 0) std::abort();
    return static_cast<std::size_t>(got);
}

// Counts matches from the file's start; search(buffer, n, from) -> index or -1.
template <class Search> std::uint64_t CountForward(std::size_t length, Search search) {
    std::uint64_t found = 0;
    for (std::size_t offset = 0;;) {
        const std::size_t n = ReadBlock(offset, kBlock);
        std::size_t from = 0;
        for (std::ptrdiff_t p; (p = search(Buffer().data(), n, from)) >= 0;
             from = static_cast<std::size_t>(p) + 1)
            ++found;
        if (offset + n >= kFileSize || n < length) break;
        offset += n - (length - 1);
    }
    return found;
}

// Counts matches from the file's end, block by block downwards.
std::uint64_t CountBackward(const OMatcher& matcher) {
    const auto length = static_cast<std::size_t>(matcher.Length());
    std::uint64_t found = 0;
    for (std::size_t end = kFileSize;;) {
        const std::size_t start = end > kBlock ? end - kBlock : 0;
        const std::size_t n = ReadBlock(start, end - start);
        for (std::size_t e = n;;) {
            const std::ptrdiff_t p = matcher.SearchBackward(Buffer().data(), e);
            if (p < 0) break;
            ++found;
            e = static_cast<std::size_t>(p) + length - 1;
        }
        if (start == 0) break;
        end = start + length - 1;
    }
    return found;
}

OMatcher Prepared(const OBenchPattern& pattern, bool matchCase) {
    const std::vector<OByte> text(pattern.text.begin(), pattern.text.end());
    OMatcher matcher;
    if (!matcher.Prepare(ParsePattern(text), matchCase, false)) std::abort();
    return matcher;
}

std::uint64_t MemmemCount(const OBenchPattern& pattern) {
    const std::vector<OByte> needle = pattern.plant;
    return CountForward(needle.size(), [&needle](const OByte* b, std::size_t n, std::size_t from) {
        const void* hit = ::memmem(b + from, n - from, needle.data(), needle.size());
        return hit ? static_cast<const OByte*>(hit) - b : std::ptrdiff_t{-1};
    });
}

void Finish(benchmark::State& state, std::uint64_t found, std::uint64_t expected) {
    if (found != expected) {
        std::fprintf(stderr, "found %llu matches, expected %llu\n",
                     static_cast<unsigned long long>(found),
                     static_cast<unsigned long long>(expected));
        std::abort();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
    state.counters["matches"] = static_cast<double>(found);
}

void BM_ReadOnly(benchmark::State& state) {
    File();
    for (auto _ : state)
        for (std::size_t offset = 0; offset < kFileSize; offset += kBlock)
            benchmark::DoNotOptimize(ReadBlock(offset, kBlock));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

void Memmem(benchmark::State& state, const OBenchPattern& pattern) {
    File();
    std::uint64_t found = 0;
    for (auto _ : state)
        found = MemmemCount(pattern);
    Finish(state, found, found);
}

void Forward(benchmark::State& state, const OBenchPattern& pattern, bool matchCase,
             OSimdLevel level) {
    File();
    const OMatcher matcher = Prepared(pattern, matchCase);
    // Without folding or wildcards memmem gives the expected count; otherwise
    // the backward count must agree.
    const std::uint64_t expected =
        matchCase && pattern.wildcardAt < 0 ? MemmemCount(pattern) : CountBackward(matcher);
    OMatcher::SetSimdLevelForTesting(level);
    std::uint64_t found = 0;
    for (auto _ : state)
        found = CountForward(static_cast<std::size_t>(matcher.Length()),
                             [&matcher](const OByte* b, std::size_t n, std::size_t from) {
                                 return matcher.SearchForward(b, n, from);
                             });
    OMatcher::SetSimdLevelForTesting(OSimdLevel::Avx2);
    Finish(state, found, expected);
}

void Backward(benchmark::State& state, const OBenchPattern& pattern, bool matchCase) {
    File();
    const OMatcher matcher = Prepared(pattern, matchCase);
    const std::uint64_t expected = MemmemCount(pattern);
    std::uint64_t found = 0;
    for (auto _ : state)
        found = CountBackward(matcher);
    Finish(state, found, expected);
}

constexpr int kIterations = 5;

#define QUORVALIS_BENCH(...)                                                                       \
    BENCHMARK_CAPTURE(__VA_ARGS__)->Iterations(kIterations)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_ReadOnly)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
QUORVALIS_BENCH(Memmem, Literal4, kLiteral4);
QUORVALIS_BENCH(Memmem, Literal16, kLiteral16);
QUORVALIS_BENCH(Forward, Literal4, kLiteral4, true, OSimdLevel::Avx2);
QUORVALIS_BENCH(Forward, Literal16, kLiteral16, true, OSimdLevel::Avx2);
QUORVALIS_BENCH(Backward, Literal4, kLiteral4, true);
QUORVALIS_BENCH(Backward, Literal16, kLiteral16, true);
QUORVALIS_BENCH(Forward, NoCase4, kNoCase4, false, OSimdLevel::Avx2);
QUORVALIS_BENCH(Forward, NoCase16, kNoCase16, false, OSimdLevel::Avx2);
QUORVALIS_BENCH(Forward, Wildcard16, kWildcard16, true, OSimdLevel::Avx2);
// The slower paths, for reference.
QUORVALIS_BENCH(Forward, Literal4Sse2, kLiteral4, true, OSimdLevel::Sse2);
QUORVALIS_BENCH(Forward, Literal16Sse2, kLiteral16, true, OSimdLevel::Sse2);
QUORVALIS_BENCH(Forward, Literal4ShiftTables, kLiteral4, true, OSimdLevel::ShiftTables);
QUORVALIS_BENCH(Forward, Literal16ShiftTables, kLiteral16, true, OSimdLevel::ShiftTables);
QUORVALIS_BENCH(Forward, NoCase16ShiftTables, kNoCase16, false, OSimdLevel::ShiftTables);

} // namespace
