#pragma once

#include "res/OResourceIds.h"

#include <QIcon>

class QStyle;

// The image of a command's bar button: the desktop style's own where it has
// a fitting one (new, open, save), else the program's drawing, which scales
// without blur to any size. A null icon for a command that has neither; the
// button then shows its words.
QIcon CommandIcon(OCommandId id, const QStyle& style);
