#pragma once

#include "res/OResourceIds.h"

#include <optional>
#include <string>

// The small set of services the core takes from the desktop. The shell
// installs real implementations; tests install a scripted one. All calls are
// made on the interface thread.

enum class OButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class OIcon { None, Stop, Question, Exclamation, Information };
enum class OAnswer { Ok, Cancel, Yes, No };

class OMessageBox {
public:
    virtual ~OMessageBox() = default;
    // Shows text and blocks until answered. Closing the box without a button
    // answers Cancel, or No when there is no Cancel button.
    virtual OAnswer Show(const std::string& text, OButtons buttons, OIcon icon) = 0;
};

class OStatusBar {
public:
    virtual ~OStatusBar() = default;
    virtual std::string Text() const = 0; // first pane
    virtual void SetText(const std::string& text) = 0;
};

class OMessagePump {
public:
    virtual ~OMessagePump() = default;
    // Dispatches every waiting event, so painting and a progress window's
    // Cancel keep working while long work runs on the interface thread.
    // Long work calls it once per block; an implementation may dispatch only
    // every few tens of milliseconds, but the first call after a progress
    // window opens dispatches, and a progress window's Cancelled() then
    // answers for what the last dispatch delivered.
    virtual void Pump() = 0;
};

class OFileDialogs {
public:
    virtual ~OFileDialogs() = default;
    // Asks for a file to save into, confirming overwrite of an existing one.
    // Empty when the user cancels.
    virtual std::optional<std::string> AskSaveFileName() = 0;
};

class OProgressFactory;
class OClipboard;

struct OPlatformServices {
    OMessageBox* messageBox = nullptr;
    OStatusBar* statusBar = nullptr;
    OMessagePump* pump = nullptr;
    OFileDialogs* fileDialogs = nullptr;
    OProgressFactory* progress = nullptr;
    OClipboard* clipboard = nullptr;
};

// Installs the services; members left null fall back to silent defaults
// (questions answer No or Cancel, nothing is shown).
void SetPlatform(const OPlatformServices& services);
const OPlatformServices& Platform();

// Entry points the core calls. When QUORVALIS_TRACE is set in the
// environment, each message box (text, buttons, answer) and each status text
// is also written as one line to standard error.
OAnswer MessageBox(const std::string& text, OButtons buttons, OIcon icon);
OAnswer MessageBoxId(OTextId stringId, OButtons buttons, OIcon icon);
void SetStatusText(const std::string& text);
std::string StatusBarText();
void PumpMessages();
std::optional<std::string> AskSaveFileName();
