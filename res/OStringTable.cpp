#include "res/OStringTable.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>

namespace {

struct OStringEntry {
    unsigned id;
    const char* text;
};

// Sorted by id.
constexpr OStringEntry kStrings[] = {
    {101, "Quorvalis"},
    {102, "\nNew\nNew\n\n\nQuorvalis.Document\nQuorvalis Document"},
    {231, "Add marker"},
    {232, "Add offset marker"},
    {235, "Copy\nCopy"},
    {236, "Cut\nCut"},
    {237, "Delete\nDelete"},
    {238, "Marker edit"},
    {239, "Goto marker begin"},
    {240, "Goto marker end"},
    {241, "Goto marker middle"},
    {242, "Goto next marker"},
    {243, "Goto previous marker"},
    {245, "Paste\nPaste"},
    {246, "Paste here\nPaste here"},
    {247, "Marker remove"},
    {248, "Remove all markers"},
    {249, "Select all\nSelect all"},
    {261, "Offset at top"},
    {262, "Select all"},
    {263, "Begin of selection"},
    {264, "End of selection"},
    {265, "Unselect"},
    {266, "Record number"},
    {267, "Record offset"},
    {268, "Track offset"},
    {269, "Copy"},
    {270, "Cut"},
    {271, "Delete"},
    {272, "Paste"},
    {273, "Paste here"},
    {274, "Insert"},
    {275, "Read-only mode"},
    {276, "Undo"},
    {277, "Redo"},
    {281, "General options\nGeneral options"},
    {301, "Find/Replace\nFind/Replace"},
    {302, "Find next\nFind next"},
    {303, "Find prev\nFind prev"},
    {304, "Fit record\nFit record"},
    {305, "Font change\nFont change"},
    {306, "Goto\nGoto"},
    {307, "Hex pane enable/disable\nHex pane"},
    {308, "Offset pane enable/disable\nOffset pane"},
    {309, "Shift left\nShift left"},
    {310, "Shift right\nShift right"},
    {311, "Text pane enable/disable\nText pane"},
    {313, "Records width edit\nRecords width"},
    {314, "Records width +/-\nRecords width"},
    {315, "Hex base enable/disable\nHex base"},
    {318, "Insert empty bytes/records\nInsert empty bytes/records"},
    {319, "Tooltip under offset enable/disable\nTooltip under offset"},
    {320, "OEM characters enable/disable\nOEM characters"},
    {321, "Synchronous scrolling\nSynchronous scrolling"},
    {322, "Read-only mode enable/disable\nRead-only mode"},
    {363, "Undo the last change\nUndo"},
    {364, "Redo the change undone last\nRedo"},
    {40001, "Invalid digit"},
    {40002, "Number overflow"},
    {40003, "Offset negative"},
    {40004, "Offset over end"},
    {40006, "Disk full. Try again ?"},
    {40008, "Paste %I64d Mb ..."},
    {40009, "Copy %I64d Mb ..."},
    {40010, "Move %I64d Mb ..."},
    {40011, "Fit to width"},
    {40012, "Frame maximize"},
    {40013, "Frame toolbar at"},
    {40014, "Default record width"},
    {40015, "Recent files count (0-16)"},
    {40016, "Save files count (0-64)"},
    {40017, "Font"},
    {40018, "TempDir (blank = %TEMP%)"},
    {40019, "Backup file"},
    {40020, "Marker jump wrap"},
    {40021, "Find history save (0-32)"},
    {40022, "Read-only mode"},
    {40051, "Number out range"},
    {40052, "Backup failed, continue ?"},
    {40053, "Backup %I64d Mb to file '%s' ..."},
    {40054, "Backup of the bigfile take a lot time and space, continue ?"},
    {40055, "Out of memory"},
    {40056, "Really cancel ?"},
    {40057, "Size of selection: %s (%s)"},
    {40058, "Filesize getting error"},
    {40059, "Filesize is long for memory. Continue ?"},
    {40060, "Read error"},
    {40061, "Resize %I64d Mb ..."},
    {40062, "Processing '%s' ..."},
    {40063, "Pattern '%s' not found"},
    {40064, "Find canceled at %s"},
    {40065, "Total found: %u.  Total replaces: %u"},
    {40066, "Extra memory error"},
    {40067, "Total found: %u"},
    {40068, "Save changes to %s ?"},
    {40069, "Inserting %I64d bytes .."},
    {40070, "Operation aborted"},
    {40071, "MDI tabbar at"},
    {40100, "Usage:  Quorvalis [/Wn] filename\n      /Wn - record Width"},
    {40101, "%s: %s"},
    {40102, "Save changes to %s?"},
    {40104, "Insert stopped: %I64d bytes of the gap were not zeroed"},
    {40106, "An operation is running: wait until it ends"},
    {40110, "Too long to copy as text: %I64d bytes (at most 536870911)"},
    {40111, "Cannot put the text on the clipboard"},
    {40112, "%s is a device: its size cannot change"},
    {40113, "%s: %s\nIt is not written during this run."},
    {40114, "Please enter an integer between %I64d and %I64d."},
    {40115, "%s: a change of this file was interrupted with %s of %s bytes moved, so part "
            "of the file is out of place.\nFinish the change now? (No opens "
            "the file as it is and asks again next time.)"},
    {40116, "%s: the record of an interrupted change, %s, is damaged or was not written by this "
            "version of the program.\nIt was not applied; the file opens as it is."},
    {40117, "%s is %I64d bytes long, but the interrupted change recorded in %s can only have left "
            "it between %I64d and %I64d bytes: the file was changed since.\nThe record was not "
            "applied; the file opens as it is."},
    {40118, "%s: the interrupted change was not finished. Its record, %s, is kept, and finishing "
            "is offered again the next time the file is opened."},
    {40119, "%s: the change stopped with the bytes after it partly moved.\nIts record, %s, is "
            "kept: open the file again to finish the change."},
    {40120, "%s: an earlier change of this file was interrupted and is not finished.\nOpen the "
            "file again to finish it, or remove its record, %s."},
    {40121, "%s: the change cannot be recorded in %s (%s). Without the record, a crash while it "
            "runs would leave the file scrambled.\nMake the change anyway?"},
    {40122, "The interrupted change was finished"},
    {40123, "This change cannot be undone. Go on?"},
    {40124, "The file was changed by another program: the undo history is gone"},
    {40125, "Undo store limit (bytes, 0 = a quarter of the free space)"},
    {40126, "The replace run cannot be undone: the undo history was cleared"},
    {40127, "The removed bytes could not be kept for undo (%s). The change was made; it and the "
            "changes before it cannot be undone."},
    {57345, "Ready"},
    {57600, "Create a new document\nNew"},
    {57601, "Open an existing document\nOpen"},
    {57602, "Close the active document\nClose"},
    {57603, "Save the active document\nSave"},
    {57616, "Open this document"},
    {57648, "Open another window for the active document\nNew Window"},
    {57650, "Arrange windows so they overlap\nCascade Windows"},
    {57651, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {57652, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {57664, "Display program information, version number and copyright\nAbout"},
    {57665, "Quit the application; prompts to save documents\nExit"},
    {57680, "Switch to the next window pane\nNext Pane"},
    {57681, "Switch back to the previous window pane\nPrevious Pane"},
    {59392, "Show or hide the toolbar\nToolBar show/hide"},
    {59393, "Show or hide the status bar\nStatusBar show/hide"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const OStringEntry& a, const OStringEntry& b) {
                                 return a.id < b.id;
                             }),
              "the lookup needs the table sorted by id");

// The prompt and tooltip halves, split once on first use.
struct OSplit {
    std::string prompt;
    std::string tooltip;
};

} // namespace

const char* LoadString(OTextId id) {
    const auto number = static_cast<unsigned>(id);
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), number,
                                      [](const OStringEntry& e, unsigned v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != number) {
        // The recent-file commands share one prompt.
        if (number > static_cast<unsigned>(ids::ID_FILE_MRU_FIRST) &&
            number <= static_cast<unsigned>(ids::ID_FILE_MRU_LAST))
            return LoadString(ids::TextOf(ids::ID_FILE_MRU_FIRST));
        return "";
    }
    return it->text;
}

static const OSplit& SplitOf(OTextId id) {
    static std::map<OTextId, OSplit> cache;
    auto found = cache.find(id);
    if (found != cache.end()) return found->second;
    const std::string text = LoadString(id);
    OSplit split;
    const auto newline = text.find('\n');
    split.prompt = text.substr(0, newline);
    split.tooltip = newline == std::string::npos ? split.prompt : text.substr(newline + 1);
    return cache.emplace(id, std::move(split)).first->second;
}

const char* CommandPrompt(OCommandId id) {
    return SplitOf(ids::TextOf(id)).prompt.c_str();
}

const char* CommandTooltip(OCommandId id) {
    return SplitOf(ids::TextOf(id)).tooltip.c_str();
}
