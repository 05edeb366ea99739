#include "platform/OPlatform.h"

#include "res/OStringTable.h"

#include <cstdio>
#include <cstdlib>

namespace {

OPlatformServices g_services;

bool TraceOn() {
    static const bool on = std::getenv("QUORVALIS_TRACE") != nullptr;
    return on;
}

const char* ButtonsName(OButtons buttons) {
    switch (buttons) {
    case OButtons::Ok:
        return "OK";
    case OButtons::OkCancel:
        return "OK/Cancel";
    case OButtons::YesNo:
        return "Yes/No";
    case OButtons::YesNoCancel:
        return "Yes/No/Cancel";
    }
    return "?";
}

const char* AnswerName(OAnswer answer) {
    switch (answer) {
    case OAnswer::Ok:
        return "OK";
    case OAnswer::Cancel:
        return "Cancel";
    case OAnswer::Yes:
        return "Yes";
    case OAnswer::No:
        return "No";
    }
    return "?";
}

// One line per event: embedded newlines would split it for a script.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\n')
            c = '|';
        else if (c == '\r' || c == '\t')
            c = ' ';
    }
    return line;
}

OAnswer DefaultAnswer(OButtons buttons) {
    switch (buttons) {
    case OButtons::Ok:
        return OAnswer::Ok;
    case OButtons::OkCancel:
        return OAnswer::Cancel;
    case OButtons::YesNo:
        return OAnswer::No;
    case OButtons::YesNoCancel:
        return OAnswer::Cancel;
    }
    return OAnswer::Cancel;
}

} // namespace

void SetPlatform(const OPlatformServices& services) {
    g_services = services;
}

const OPlatformServices& Platform() {
    return g_services;
}

OAnswer MessageBox(const std::string& text, OButtons buttons, OIcon icon) {
    OAnswer answer = g_services.messageBox ? g_services.messageBox->Show(text, buttons, icon)
                                           : DefaultAnswer(buttons);
    if (TraceOn()) {
        std::fprintf(stderr, "message: %s [%s] -> %s\n", OneLine(text).c_str(),
                     ButtonsName(buttons), AnswerName(answer));
    }
    return answer;
}

OAnswer MessageBoxId(OTextId stringId, OButtons buttons, OIcon icon) {
    return MessageBox(LoadString(stringId), buttons, icon);
}

void SetStatusText(const std::string& text) {
    if (g_services.statusBar) g_services.statusBar->SetText(text);
    if (TraceOn()) std::fprintf(stderr, "status: %s\n", OneLine(text).c_str());
}

std::string StatusBarText() {
    return g_services.statusBar ? g_services.statusBar->Text() : std::string();
}

void PumpMessages() {
    if (g_services.pump) g_services.pump->Pump();
}

std::optional<std::string> AskSaveFileName() {
    if (!g_services.fileDialogs) return std::nullopt;
    return g_services.fileDialogs->AskSaveFileName();
}
