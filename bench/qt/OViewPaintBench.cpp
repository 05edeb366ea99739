// Painting a full screen must cost about the same with 100,000 markers and
// 100,000 pending changes in the file as with none: each paint looks only at
// what is on screen.
#include "document/ODoc.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "view/OViewSettings.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

std::string SparseFile(OOffset size) {
    std::string dir = SystemTempDirectory() + "quorvalis-bench-XXXXXX";
    if (!::mkdtemp(dir.data())) std::abort();
    const std::string path = dir + "/paint.bin";
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) std::abort();
    ::close(fd);
    return path;
}

void BM_PaintScreen(benchmark::State& state) {
    OScriptedPlatform platform;
    const std::string path = SparseFile(OOffset{1} << 30);
    auto doc = std::make_shared<ODoc>();
    if (!doc->OnOpenDocument(path)) std::abort();
    const int count = static_cast<int>(state.range(0));
    // Spread over the whole file; a few of them land on the screen painted.
    const OOffset step = (OOffset{1} << 30) / std::max(count, 1);
    for (int i = 0; i < count; ++i) {
        ORange marker;
        marker.Set(i * step + 7, i * step + 7 + (i % 50));
        doc->Markers().Insert(marker);
        doc->File()->SetByte(i * step + 3, 0, static_cast<OByte>(i));
    }
    OViewSettings settings;
    settings.recordWidth = 32;
    OView view(doc, settings);
    view.OnInitialUpdate(true);
    // 60 rows of 32 bytes, whatever the font.
    const QFontMetrics metrics(view.ViewFont());
    const int lineHeight = metrics.height() + metrics.leading();
    view.resize(2000, 60 * lineHeight + view.horizontalScrollBar()->sizeHint().height() + 4);
    view.Relayout();
    view.Geometry().GoToOffset(step * 1000);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["rows"] = view.Geometry().Rows();
    state.counters["bytes/row"] = view.Geometry().VisibleBytes();
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_PaintScreen)
    ->ArgName("markersAndChanges")
    ->Arg(0)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
