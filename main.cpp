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

int main(int argc, char* argv[]) {
    // Help needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s\n", LoadString(ids::IDS_USAGE));
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvalis"));

    OQtPlatform platform;
    OApp core;
    core.Startup(OProfile::ChoosePath(ExecutablePath(), ".ini"));

    // Qt has taken its own options out of the arguments by now.
    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());

    OQtApp app(core, platform);
    int exitCode = 0;
    if (!app.Startup(args, exitCode)) return exitCode;
    return QApplication::exec();
}
