#pragma once

#include "app/OApp.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "platform/OScriptedPlatform.h"
#include "platform/qt/OQtPlatform.h"
#include "support/OTempDir.h"

#include <QMdiArea>
#include <string>
#include <vector>

// The whole program over files of a temporary directory, its .ini there too.
// The scripted platform is made after the desktop one: it answers the
// questions and records the messages.
struct OAppFixture {
    OQtPlatform qtPlatform;
    OScriptedPlatform platform;
    OTempDir dir;
    OApp core;
    OQtApp app{core, qtPlatform};

    int exitCode = -1; // of the last Start that ended the program

    OAppFixture() { core.Startup(dir.File("quorvalis.ini")); }
    // The command line's arguments, as the program gets them.
    bool Start(const std::vector<std::string>& args) { return app.Startup(args, exitCode); }
    OMainFrame& Frame() { return *app.MainFrame(); }
    // The document windows of the main frame.
    std::size_t Tabs() {
        return static_cast<std::size_t>(Frame().MdiArea()->subWindowList().size());
    }
};
