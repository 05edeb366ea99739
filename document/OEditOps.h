#pragma once

#include "platform/OTypes.h"

#include <cstddef>

class OFile;
class OTransferBuffer;

// Structural edits in place: the tail of the file moves through one bounded
// buffer in blocks, in the direction that never overwrites bytes not yet
// moved, with a progress window. Pending typed bytes must have been settled
// before. Every operation reports its own failure (a message box) and
// returns false. A failed move never cuts the file: it keeps its old size,
// or, growing, the size its moved blocks reached, with the tail possibly
// partly moved. Arguments out of range are refused with false before
// anything changes. Selection, markers and views are the caller's to adjust.

// Copies length bytes. messageId (0 for none) is the status text shown for
// copies above 1 MiB. A read that fails is a failure, never the end of the
// source; a source that ends early ends the copy as a success.
bool CopyRange(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
               OOffset targetOffset, OOffset length, unsigned messageId, bool cancelEnabled);
// Writes count bytes; on a full disk asks "Disk full. Try again ?". A failed
// write leaves the file no longer than it was.
bool WriteBlock(const OByte* buffer, OFile& target, OOffset offset, std::size_t count);
// Removes [offset, offset + length).
bool DeleteRange(OFile& file, OOffset offset, OOffset length);
// [offset, offset + oldLength) becomes newLength bytes long; its content is
// then undefined, the tail keeps its content. A growing file has its new
// length reserved on disk before anything moves.
bool ResizeRegion(OFile& file, OOffset offset, OOffset oldLength, OOffset newLength);
// Inserts count zero bytes at offset. Cancel or a failed write during the
// fill leaves the new length with part of the gap unfilled, says so in the
// status bar, and still returns true: the gap has been opened.
bool InsertZeros(OFile& file, OOffset offset, OOffset count);
