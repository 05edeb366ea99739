// The benchmarks that need the widgets run inside an application object.
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    // Offscreen unless a platform is named: under X (xvfb-run with
    // QT_QPA_PLATFORM=xcb) every pump and repaint also talks to a server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
