// Painting asks, per row, which markers meet it and, per byte, which is the
// shortest marker there. With 100,000 markers over a 1 GiB span that must
// cost about what it costs with none.
#include "markers/OMarkerList.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>
#include <vector>

namespace {

constexpr OOffset kSpan = OOffset{1} << 30;
constexpr OOffset kRowWidth = 32;
constexpr OOffset kRows = 60;
constexpr std::size_t kScreens = 1024;

// count markers of 1 to 4096 bytes (a quarter of them one byte) at random
// places; inserted in order of begin, as a save file delivers them.
void Fill(OMarkerList& list, std::size_t count) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<OOffset> place(0, kSpan - 1);
    std::uniform_int_distribution<OOffset> length(2, 4096);
    std::vector<std::pair<OOffset, OOffset>> spans;
    for (std::size_t i = 0; i < count; ++i) {
        const OOffset begin = place(random);
        spans.emplace_back(begin, random() % 4 == 0 ? begin : begin + length(random) - 1);
    }
    std::sort(spans.begin(), spans.end());
    ORange range;
    for (const auto& [begin, end] : spans) {
        range.Set(begin, end);
        list.Insert(range);
    }
}

// Screen origins at random row starts, the same for every marker count.
std::vector<OOffset> Screens() {
    std::mt19937_64 random(11);
    std::uniform_int_distribution<OOffset> place(0, (kSpan - kRows * kRowWidth) / kRowWidth);
    std::vector<OOffset> screens(kScreens);
    for (OOffset& s : screens)
        s = place(random) * kRowWidth;
    return screens;
}

void BM_OverlappingRow(benchmark::State& state) {
    OMarkerList list;
    Fill(list, static_cast<std::size_t>(state.range(0)));
    const std::vector<OOffset> screens = Screens();
    std::vector<const ORange*> out;
    out.reserve(64);
    list.Overlapping(0, 0, out); // builds the index outside the timing
    std::size_t i = 0;
    for (auto _ : state) {
        const OOffset from = screens[i++ % kScreens];
        list.Overlapping(from, from + kRowWidth - 1, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OverlappingRow)->Arg(0)->Arg(100000);

void BM_SmallestAtScreen(benchmark::State& state) {
    OMarkerList list;
    Fill(list, static_cast<std::size_t>(state.range(0)));
    const std::vector<OOffset> screens = Screens();
    benchmark::DoNotOptimize(list.SmallestAt(0));
    std::size_t i = 0;
    for (auto _ : state) {
        const OOffset origin = screens[i++ % kScreens];
        for (OOffset offset = origin; offset < origin + kRows * kRowWidth; ++offset)
            benchmark::DoNotOptimize(list.SmallestAt(offset));
    }
    state.SetItemsProcessed(state.iterations() * kRows * kRowWidth);
}
BENCHMARK(BM_SmallestAtScreen)->Arg(0)->Arg(100000);

} // namespace
