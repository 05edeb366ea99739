#pragma once

#include "platform/OIniFile.h"
#include "platform/OTypes.h"
#include "view/OViewSettings.h"

#include <string>
#include <vector>

// The per-file state remembered for the most recently closed files: how each
// was shown and its markers, most recent first. Read from the save file at
// start-up, changed in memory while the program runs, written back at exit.
//
// Every operation takes the current length limit (the save files count
// setting, at most kMaxCount); a limit below 1 turns the list off: the
// operation does nothing. Paths match exactly, byte for byte, as the file
// system compares them.
class OSaveFiles {
public:
    static constexpr int kMaxCount = 64;

    struct Entry {
        OOffset fileLength = 0; // the physical size when the file was closed
        std::string fileName;
        OViewSettings viewState; // only its per-file values mean anything
        std::vector<std::string> markers;
    };

    // Replaces the list by the sections "Save0" ... "Save<count - 1>" of sav.
    // A section counts when it has a Filename and a Filelength above 0; a
    // file name already taken by an earlier (more recent) section is skipped.
    // Each view state starts from current and takes the per-file keys found;
    // a negative or unreadable top offset reads as -1 for the view to settle,
    // and a missing or empty font name keeps the current one.
    void LoadSaveFiles(const OIniFile& sav, const OViewSettings& current, int count);
    // Puts the state of a file being closed at the front, replacing any entry
    // for the same path and dropping the oldest entries past count. An empty
    // path (a document never saved) is not remembered.
    void StoreState(const std::string& path, OOffset fileLength, const OViewSettings& viewState,
                    std::vector<std::string> markers, int count);
    // The entry for path moved to the front, or nullptr when there is none.
    // The pointer holds until the list next changes.
    const Entry* RestoreState(const std::string& path, int count);
    // Replaces the whole content of sav (pointed at the save file) by the
    // list: section "Save<i>" for the entry at position i, leaving out entries
    // of length 0 or less and those whose name the file cannot hold as it is
    // (line breaks, NULs, blanks at either end); their numbers stay unused.
    // When nothing is left to write the file is removed. Returns whether the
    // file was written; with count below 1 neither sav nor the file is
    // touched and the result is true.
    bool WriteSaveFiles(OIniFile& sav, int count);

    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry>::iterator Find(const std::string& path);

    std::vector<Entry> m_entries;
};
