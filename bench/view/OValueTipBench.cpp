// A tooltip asks once per resting pointer, so its cost matters little; what
// matters is that it does not grow with the file or the markers. The gutter
// tip with 100,000 markers must cost about what it costs with none, and a
// byte's tip at the end of a large file what it costs at the start.
#include "document/ODoc.h"
#include "view/ORecordView.h"
#include "view/OValueTip.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kSpan = OOffset{1} << 30;
constexpr int kWidth = 32;

// A sparse file of length bytes, removed when the object goes.
class SparseFile {
public:
    explicit SparseFile(OOffset length) {
        char name[] = "/tmp/quorvalis-tip-benchXXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0 || ftruncate(fd, length) != 0) std::perror("sparse file");
        if (fd >= 0) close(fd);
        m_path = name;
    }
    ~SparseFile() { unlink(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Markers of 1 to 4096 bytes at random places over the span.
void Fill(OMarkerList& list, std::size_t count) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<OOffset> place(0, kSpan - 4097);
    std::uniform_int_distribution<OOffset> length(1, 4096);
    ORange range;
    for (std::size_t i = 0; i < count; ++i) {
        const OOffset begin = place(random);
        range.Set(begin, begin + length(random) - 1);
        list.Insert(range);
    }
}

void BM_GutterTip(benchmark::State& state) {
    ODoc doc;
    doc.OnNewDocument();
    Fill(doc.Markers(), static_cast<std::size_t>(state.range(0)));
    std::mt19937_64 random(11);
    std::uniform_int_distribution<OOffset> record(0, kSpan / kWidth - 1);
    std::vector<OOffset> starts(1024);
    for (OOffset& s : starts)
        s = record(random) * kWidth;
    benchmark::DoNotOptimize(GutterTipText(doc, 0, kWidth)); // the index, outside the timing
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(GutterTipText(doc, starts[i++ % starts.size()], kWidth));
}
BENCHMARK(BM_GutterTip)->Arg(0)->Arg(100000);

// Argument 0: the file's first byte; 1: its last eight bytes.
void BM_ValueTip(benchmark::State& state) {
    const SparseFile file(kSpan);
    ODoc doc;
    if (!doc.OnOpenDocument(file.Path())) {
        state.SkipWithError("cannot open the file");
        return;
    }
    OViewSettings settings;
    settings.recordWidth = kWidth;
    const ORecordView geometry(settings, [] { return kSpan; });
    const OOffset offset = state.range(0) == 0 ? 0 : kSpan - 8;
    for (auto _ : state)
        benchmark::DoNotOptimize(ValueTipText(doc, geometry, offset, kSpan));
}
BENCHMARK(BM_ValueTip)->Arg(0)->Arg(1);

} // namespace
