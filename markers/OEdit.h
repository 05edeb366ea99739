#pragma once

#include "platform/OTypes.h"

// One structural change of a file, as everything over the file adapts to
// it: at offset, removed bytes gave way to inserted bytes. An insertion
// removes nothing; a deletion inserts nothing; a paste over a range does
// both. A run of replacements is one edit over the span they cover.
struct OEdit {
    OOffset offset = 0;
    OOffset removed = 0;
    OOffset inserted = 0;

    OOffset Delta() const { return inserted - removed; }
    bool operator==(const OEdit&) const = default;
};
