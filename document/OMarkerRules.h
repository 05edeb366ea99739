#pragma once

#include "platform/OTypes.h"

class ODoc;

// The update rules of the marker commands, over a document, the caret of
// its active view and the length the views show. The command table asks
// them at idle time: none shows a message or changes anything, and each
// costs O(log n) in the number of markers.
bool HasMarkers(const ODoc& doc);
// The selection, the last-found range or a marker is not empty.
bool AnyRange(const ODoc& doc);
// The caret is on a byte and the selection is not empty or the last-found
// range holds the caret.
bool AddMarkerOK(const ODoc& doc, OOffset caret, OOffset length);
// The caret is on a byte that no one-byte marker holds yet.
bool AddOffsetMarkerOK(const ODoc& doc, OOffset caret, OOffset length);
// A jump to the next / previous marker has somewhere to go.
bool MarkerAfter(const ODoc& doc, OOffset caret, OOffset length, bool wrap);
bool MarkerBefore(const ODoc& doc, OOffset caret, OOffset length, bool wrap);

// Where Goto next / previous marker takes the caret: the nearest begin
// after / before it among the markers, the selection and the last-found
// range (wrapping round when asked), or -1 for nowhere. A marker the file
// no longer reaches (it became shorter underneath) takes the caret to the
// last byte, never past it.
OOffset NextMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap);
OOffset PrevMarkerTarget(const ODoc& doc, OOffset caret, OOffset length, bool wrap);

// (begin + end) / 2 rounded toward zero, exact for any two offsets: the sum
// itself may not fit in 64 bits.
OOffset MarkerMiddle(OOffset begin, OOffset end);
// offset pulled onto the bytes of a file of length bytes: 0 to length - 1,
// and 0 for an empty file.
OOffset ClampToFile(OOffset offset, OOffset length);
