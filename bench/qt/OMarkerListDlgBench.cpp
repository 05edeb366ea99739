// The marker list must open in well under 0.3 s and scroll smoothly with
// 100,000 markers: opening and scrolling are measured against 10 markers.
#include "markers/qt/OMarkerListDlg.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <string>

namespace {

OMarkerList Markers(std::int64_t count) {
    OMarkerList list;
    // In order of begin, so each one is appended.
    for (std::int64_t i = 0; i < count; ++i) {
        ORange marker(i % 3 ? kMarkerBackground : kOffsetMarkerBackground, kMarkerForeground,
                      "marker " + std::to_string(i));
        marker.Set(i * 4096, i * 4096 + (i % 100));
        list.Insert(marker);
    }
    return list;
}

// Made, laid out, shown and painted, then closed.
void BM_OpenMarkerList(benchmark::State& state) {
    const OMarkerList list = Markers(state.range(0));
    const OMarkerRows rows(list, nullptr, nullptr, &list.At(list.Count() / 2));
    for (auto _ : state) {
        OMarkerListDlg dialog(rows, ids::ID_MARKER_BEGIN);
        dialog.show();
        QApplication::processEvents();
        dialog.Table()->viewport()->repaint();
        dialog.reject();
    }
}
BENCHMARK(BM_OpenMarkerList)
    ->ArgName("markers")
    ->Arg(10)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// One page down (back to the top at the end) and the list repainted.
void BM_ScrollMarkerList(benchmark::State& state) {
    const OMarkerList list = Markers(state.range(0));
    const OMarkerRows rows(list, nullptr, nullptr, nullptr);
    OMarkerListDlg dialog(rows, ids::ID_MARKER_BEGIN);
    dialog.show();
    QApplication::processEvents();
    QScrollBar* bar = dialog.Table()->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + bar->pageStep());
        dialog.Table()->viewport()->repaint();
    }
    dialog.reject();
}
BENCHMARK(BM_ScrollMarkerList)
    ->ArgName("markers")
    ->Arg(10)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
