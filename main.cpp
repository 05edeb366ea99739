#include "app/OApp.h"
#include "app/OCommandLine.h"
#include "app/OProfile.h"
#include "app/OVersion.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "platform/OSystem.h"
#include "platform/qt/OQtPlatform.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // The arguments as the system gave them: file names are bytes, which a
    // round trip through QString would change when they are not UTF-8. Qt
    // sees none of them, so it takes no option of its own ("-style a.bin"
    // is the program's switch, and wrong).
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Help and version need no display. A full disk or a closed pipe is a
    // failure, not an answer.
    const auto answer = [](const std::string& text) {
        if (std::printf("%s\n", text.c_str()) >= 0 && std::fflush(stdout) == 0) return 0;
        std::fprintf(stderr, "quorvalis: cannot write to standard output\n");
        return 1;
    };
    switch (OCommandLine::AnswerWithoutWindow(args)) {
    case OCommandLine::Answer::Help:
        return answer(LoadString(ids::IDS_USAGE));
    case OCommandLine::Answer::Version:
        return answer(OCommandLine::VersionLine());
    case OCommandLine::Answer::None:
        break;
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvalis"));
    QApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion()));
    // The desktop entry's name: shells match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvalis"));
    // Drawn by the SVG icon engine; without it the window has the system's
    // default icon and nothing else changes.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvalis.svg")));

    OQtPlatform platform;
    OApp core;
    core.Startup(OProfile::ChoosePath(ExecutablePath(), ".ini"));

    OQtApp app(core, platform);
    int exitCode = 0;
    if (!app.Startup(args, exitCode)) return exitCode;
    return QApplication::exec();
}
