#pragma once

class OFile;
class OMoveJournal;

// When the file just opened has the journal of a change that was
// interrupted, says how far it got and offers to finish it. Yes finishes
// it (the file then holds exactly the bytes the change was to give) and
// removes the journal; No, or a finish that fails, leaves the file as it is
// and keeps the journal, to be offered again. A damaged journal, or one that
// the file's length no longer fits, is refused with a message and left
// alone, never applied. Every open of a disk file goes through here.
void OfferToFinishMove(OFile& file);

// Finishes the change journal records, from its last checkpoint: the
// stashed bytes to their place, the rest of the moves, the zeros of an
// insert, the new length; then removes the journal. False after a message,
// the journal kept (on disk; the object may go).
bool FinishMove(OFile& file, OMoveJournal& journal);
