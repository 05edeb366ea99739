#pragma once

#include "platform/OTypes.h"

#include <cstddef>

class OFile;

// The search over a document, as the document sees it: the search engine
// lives above the document and implements this. While a replace run holds
// replaced bytes in its buffer, not yet in the file, every view shows them.
class ODocSearch {
public:
    virtual ~ODocSearch() = default;

    // The text pane changed code page: a prepared pattern no longer fits,
    // so find next and find previous are off until the next search.
    virtual void CodePageChanged() = 0;
    // True while a replace run holds bytes the file does not have yet.
    virtual bool Attached() const = 0;
    // The length the views show while attached.
    virtual OOffset ViewLength(OFile& file) const = 0;
    // -1 when [offset, offset + count) reads as the file itself; otherwise
    // the bytes the views see there and how many.
    virtual std::ptrdiff_t ReadThrough(OFile& file, OOffset offset, OByte* out,
                                       std::size_t count) const = 0;
};
