#pragma once

#include "res/OResourceIds.h"

// The numbered string table: every text the program shows comes from here.
// Returns "" for an id without a text; the pointer stays valid forever.
const char* LoadString(OTextId id);

// The status-bar prompt of a command (its text before "\n") and its tooltip
// (the text after it, or the prompt when there is none).
const char* CommandPrompt(OCommandId id);
const char* CommandTooltip(OCommandId id);
