#pragma once

#include "platform/OTypes.h"

#include <optional>
#include <vector>

// A structural change of a file as data: the blocks to move and the size
// change around them. Pure: planning reads and writes nothing, so every
// rule is tested without a file.
//
// A change of [offset, offset + oldLength) into newLength bytes moves the
// file's tail by the difference. Growing, the size is reserved first and
// the tail moves last block first (its target overlaps it from above);
// shrinking, the tail moves first block first and the file is cut after.
struct OMoveStep {
    OOffset from = 0;
    OOffset to = 0;
    OOffset length = 0;
    bool backward = false; // last block first

    bool operator==(const OMoveStep&) const = default;
};

struct OMovePlan {
    OOffset oldSize = 0;
    OOffset newSize = 0;
    std::vector<OMoveStep> steps;

    bool Grows() const { return newSize > oldSize; }
    bool ChangesSize() const { return newSize != oldSize; }
};

enum class OPlanRefusal {
    SizeUnknown, // the file's size could not be read: planning on 0 would cut it
    OutOfRange,  // the region does not lie within the file
    TooLarge,    // the new size would pass 2^63 - 1
    FixedSize,   // a block device cannot change its size
};

struct OPlanResult {
    std::optional<OMovePlan> plan;
    OPlanRefusal refusal = OPlanRefusal::OutOfRange;
};

// size is the file's size, none when it could not be read; fixedSize says
// the file cannot change its size (a device).
OPlanResult PlanResize(std::optional<OOffset> size, bool fixedSize, OOffset offset,
                       OOffset oldLength, OOffset newLength);

// What undoes the part of a growing plan's step that has landed: the bytes
// from [from + length - moved, from + length), now also at the same place
// moved up, go back down, first block first; then the file is cut to the
// plan's old size.
OMoveStep UndoLanded(const OMoveStep& step, OOffset moved);
