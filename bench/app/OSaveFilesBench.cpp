// Closing a file with 100,000 markers and writing the save file at exit
// must cost about what it costs with none: the markers' texts, their keys
// in one section and the file written once, all in linear time.
#include "app/OSaveFiles.h"
#include "markers/OMarkerList.h"
#include "platform/OIniFile.h"
#include "platform/OSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void BM_StoreAndWriteSaveFile(benchmark::State& state) {
    const auto markers = static_cast<std::size_t>(state.range(0));
    std::string dir = SystemTempDirectory() + "quorvalis-sav-bench-XXXXXX";
    if (!::mkdtemp(dir.data())) std::abort();
    OMarkerList list;
    for (std::size_t i = 0; i < markers; ++i) {
        ORange range;
        range.Set(static_cast<OOffset>(i) * 16, static_cast<OOffset>(i) * 16 + 7);
        range.SetTitle("marker " + std::to_string(i));
        list.Insert(range);
    }
    OSelection selection;
    for (auto _ : state) {
        std::vector<std::string> texts;
        list.SaveTexts(texts, selection);
        OSaveFiles saveFiles;
        saveFiles.StoreState("/data/image.bin", OOffset{1} << 30, OViewSettings{}, std::move(texts),
                             OSaveFiles::kMaxCount);
        OIniFile sav(dir + "/quorvalis.sav");
        if (!saveFiles.WriteSaveFiles(sav, OSaveFiles::kMaxCount)) std::abort();
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

BENCHMARK(BM_StoreAndWriteSaveFile)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
