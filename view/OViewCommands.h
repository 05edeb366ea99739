#pragma once

#include "platform/OTypes.h"
#include "res/OResourceIds.h"

class OSelection;
struct OViewSettings;

// The decisions of the view's commands that need no window.

// Begin of selection: the begin goes to the caret; with the end set, the
// bytes from one to the other are selected, otherwise the begin stands alone.
void SelectionBeginAt(OSelection& selection, OOffset caret);
// End of selection, likewise.
void SelectionEndAt(OSelection& selection, OOffset caret);
// Toggles the pane of command (ID_PANE_OFFSET, ID_PANE_HEX or ID_PANE_TEXT);
// hiding one byte pane while the other is hidden shows the other.
void TogglePane(OViewSettings& settings, OCommandId command);
// The record width after Ctrl+numeric-pad + or -: one more or less within
// [2, maximum]; unchanged while the record fits the window.
int SteppedRecordWidth(const OViewSettings& settings, int width, int step);
// The point size the font dialog's choice gives the view: at most 20 points
// (the dialog's limit); 0 when it is too small to take (4 points or less).
int ChosenFontSize(int points);
