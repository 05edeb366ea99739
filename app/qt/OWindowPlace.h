#pragma once

class QWidget;
struct OSettings;

// The main window's place in the settings: its normal (not maximised)
// rectangle and whether it is maximised, so that a maximised window comes
// back maximised and un-maximises to where it was.
void StoreWindowPlace(const QWidget& window, OSettings& settings);
// Puts window where the settings say, or gives it a default size when they
// hold no place or one that no screen shows any more. Maximises it only when
// it is shown (ShowWindowAsPlaced).
void RestoreWindowPlace(QWidget& window, const OSettings& settings);
void ShowWindowAsPlaced(QWidget& window, const OSettings& settings);
