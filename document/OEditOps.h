#pragma once

#include "document/OMoveExecutor.h"
#include "platform/OTypes.h"
#include "res/OResourceIds.h"

#include <cstddef>
#include <span>

class OFile;
struct ORewriteRegion;
class OTransferBuffer;

// Structural edits in place, each planned (OMovePlan) and run by the block
// executor (OMoveExecutor) behind a progress window. Pending typed bytes
// must have been settled before. Every operation reports its own failure (a
// message box) and returns false; what a failure leaves is the executor's
// contract (a failed grow moves back, a shrink finishes what it can).
// Arguments out of range are refused with false before anything changes,
// as is a change of a device's size or one whose size cannot be read.
// A change that moves a disk file's tail is journaled first (OMoveJournal),
// so that a kill half way can be finished on the next open; a failure that
// leaves the tail partly moved keeps the journal and says so.
// Selection, markers and views are the caller's to adjust.

// Copies length bytes to another file, or within one file where the target
// does not overlap the source from above (refused). messageId (IDS_NONE for none)
// is the status text shown for copies above 1 MiB. A read that fails is a
// failure, never the end of the source; a source that ends early ends the
// copy as a success.
bool CopyRange(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
               OOffset targetOffset, OOffset length, OTextId messageId, bool cancelEnabled);
// Removes [offset, offset + length).
bool DeleteRange(OFile& file, OOffset offset, OOffset length);
// [offset, offset + oldLength) becomes newLength bytes long; its content is
// then undefined, the tail keeps its content. A growing file has its new
// length reserved on disk before anything moves.
bool ResizeRegion(OFile& file, OOffset offset, OOffset oldLength, OOffset newLength);
// Every region [offset, offset + oldLength) becomes newLength bytes long in
// one pass over the file (regions sorted, not overlapping); their content is
// then undefined, the bytes between them keep theirs.
bool RewriteRegions(OFile& file, std::span<const ORewriteRegion> regions);
// Inserts count zero bytes at offset. Cancel or a failed write during the
// fill leaves the new length with part of the gap unfilled, says so in the
// status bar, and still returns true: the gap has been opened.
bool InsertZeros(OFile& file, OOffset offset, OOffset count);
