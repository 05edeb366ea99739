#pragma once

#include "platform/OTypes.h"

#include <string>

class ODoc;
class OPaneLayout;
class ORecordView;

// The texts of a view's tooltip: what lies under the pointer. Each is empty
// where no tip applies. Numbers are MessageHex texts; lines are separated
// by "\n" with none at the end.

// Over the gutter: the Labels of the selection, the last-found range and
// the markers, in list order, that meet the record [recordStart,
// recordStart + recordWidth).
std::string GutterTipText(ODoc& doc, OOffset recordStart, int recordWidth);

// Over the offset pane: the length in hex and decimal and the count of
// whole records (the phase plays no part).
std::string LengthTipText(OOffset fileLength, int recordWidth);

// Over the byte at offset, 0 <= offset <= fileLength: its offset, its
// column in its record ("Left"), then the up to 8 bytes from there as
// little-endian integers of 1, 2, 4 and 8 bytes and as time stamps. Each
// line needs all its bytes inside the file, so at the end of the file only
// the first two lines remain. Empty when the bytes cannot be read: a tip
// without values would look like the end of the file.
std::string ValueTipText(ODoc& doc, const ORecordView& geometry, OOffset offset,
                         OOffset fileLength);

// The tip at a point of the view in client pixels, by the pane under it.
// Byte cells give their text only with valueTips (the "tooltip under
// offset" setting), and only from the file start to the append position.
// Reads the length quietly: a tooltip never opens a message box.
std::string TipTextAt(ODoc& doc, const OPaneLayout& layout, const ORecordView& geometry,
                      bool valueTips, int x, int y);
