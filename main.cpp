#include "app/OApp.h"
#include "app/OProfile.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "platform/OSystem.h"
#include "platform/qt/OQtPlatform.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // Help needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s\n", LoadString(ids::IDS_USAGE));
            return 0;
        }
    }
    // The arguments as the system gave them: file names are bytes, which a
    // round trip through QString would change when they are not UTF-8. Qt
    // sees none of them, so it takes no option of its own ("-style a.bin"
    // is the program's switch, and wrong).
    const std::vector<std::string> args(argv + 1, argv + argc);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvalis"));

    OQtPlatform platform;
    OApp core;
    core.Startup(OProfile::ChoosePath(ExecutablePath(), ".ini"));

    OQtApp app(core, platform);
    int exitCode = 0;
    if (!app.Startup(args, exitCode)) return exitCode;
    return QApplication::exec();
}
