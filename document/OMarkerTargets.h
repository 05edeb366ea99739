#pragma once

#include "platform/OTypes.h"

class ODoc;

// Where the marker jumps take the caret: the nearest begin after / before
// caret among the markers, the selection and the last-found range (wrapping
// round when asked), or -1 for nowhere. A marker the file no longer reaches
// (it became shorter underneath) takes the caret to the last byte, never
// past it. O(log n) in the number of markers.
OOffset NextMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap);
OOffset PrevMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap);

// (begin + end) / 2 rounded toward zero, exact for any two offsets: the sum
// itself may not fit in 64 bits.
OOffset MarkerMiddle(OOffset begin, OOffset end);
// offset pulled onto the bytes of a file of length bytes: 0 to length - 1,
// and 0 for an empty file.
OOffset ClampToFile(OOffset offset, OOffset length);
