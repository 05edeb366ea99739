#pragma once

#include "res/OResourceIds.h"

#include <string>

// A status-bar message that can be taken back: long operations show their
// progress text and restore the previous text when they end, while short
// notices are left standing.
class OStatusText {
public:
    OStatusText(); // remembers the current text
    OStatusText(const OStatusText&) = delete;
    OStatusText& operator=(const OStatusText&) = delete;

    // Formats a string-table text printf-style and shows it.
    void Show(OTextId stringId, ...);
    void ShowText(const std::string& text);
    // Puts the remembered text back if Show changed the pane.
    void Restore();

private:
    std::string m_saved;
    bool m_changed = false;
};

// Shows a string-table message at once and leaves it standing.
void ShowStatus(OTextId stringId, ...);
