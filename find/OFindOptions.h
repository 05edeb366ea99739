#pragma once

// The options of the Find/Replace dialog, kept per document between commands.
struct OFindOptions {
    bool matchCase = false;
    bool fromBeginEnd = false; // start at the area's begin (down) or end (up), not the caret
    bool replace = false;
    bool countOnly = false;
    bool down = true;
    bool selectionOnly = false;
};
