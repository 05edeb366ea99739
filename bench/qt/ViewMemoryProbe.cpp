// Peak resident memory of the program showing a file and scrolling through
// it from end to end: run once on a small and once on a huge file and
// compare. Usage: view_memory_probe SIZE_IN_BYTES
#include "app/OApp.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "platform/qt/OQtPlatform.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const long long size = std::atoll(argv[1]);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string dir = SystemTempDirectory() + "quorvalis-probe-XXXXXX";
    if (!::mkdtemp(dir.data())) return 1;
    const std::string path = dir + "/probe.bin";
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) return 1;
    ::close(fd);
    {
        OQtPlatform qt;
        OScriptedPlatform scripted;
        OApp core;
        core.Startup(dir + "/quorvalis.ini");
        OQtApp app(core, qt);
        int exitCode = 0;
        app.Startup({path}, exitCode);
        app.MainFrame()->resize(1200, 900);
        OView* view = app.MainFrame()->ActiveView();
        view->Relayout();
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        // Page through the start, jump across the whole file with the thumb,
        // page through the end.
        for (int i = 0; i < 2000; ++i) {
            view->Geometry().ScrollVertical(OScrollAction::PageForward);
            view->viewport()->render(&image);
        }
        const int last = view->Geometry().VerticalBar().lastPosition;
        for (int i = 0; i <= 2000; ++i) {
            view->Geometry().ScrollVertical(
                OScrollAction::Thumb, static_cast<int>(static_cast<long long>(last) * i / 2000));
            view->viewport()->render(&image);
        }
        for (int i = 0; i < 2000; ++i) {
            view->Geometry().ScrollVertical(OScrollAction::PageBack);
            view->viewport()->render(&image);
        }
        app.CloseAllDocuments();
    }
    std::filesystem::remove_all(dir);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %ld\n", size, usage.ru_maxrss); // KiB
    return 0;
}
