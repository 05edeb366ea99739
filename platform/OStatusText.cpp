#include "platform/OStatusText.h"

#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "res/OStringTable.h"

#include <cstdarg>

OStatusText::OStatusText() : m_saved(StatusBarText()) {}

void OStatusText::Show(OTextId stringId, ...) {
    va_list args;
    va_start(args, stringId);
    std::string text = FormatV(LoadString(stringId), args);
    va_end(args);
    ShowText(text);
}

void OStatusText::ShowText(const std::string& text) {
    SetStatusText(text);
    m_changed = true;
}

void OStatusText::Restore() {
    if (!m_changed) return;
    SetStatusText(m_saved);
    m_changed = false;
}

void ShowStatus(OTextId stringId, ...) {
    va_list args;
    va_start(args, stringId);
    std::string text = FormatV(LoadString(stringId), args);
    va_end(args);
    SetStatusText(text);
}
