#pragma once

#include "document/OMovePlan.h"
#include "platform/OTypes.h"

#include <optional>
#include <span>

// One region of a rewrite: [offset, offset + oldLength) of the file as it
// is becomes newLength bytes.
struct ORewriteRegion {
    OOffset offset = 0;
    OOffset oldLength = 0;
    OOffset newLength = 0;
};

// Many regions of a file changing their lengths at once, as one plan: every
// stretch of the file between two regions (and after the last) moves once,
// by the sum of the changes before it. Regions must be sorted by offset and
// must not overlap (they may touch); otherwise, or past the file's end, the
// plan is refused as OutOfRange. Stretches that stay put are not steps.
// Steps moving up come first, highest first, each last block first; then
// the steps moving down, lowest first, first block first. Run in that
// order, no step writes over a byte another has still to read. The file's
// content inside the regions is left to the caller.
//
// size is the file's size, none when it could not be read; fixedSize says
// the file cannot change its size (a device).
OPlanResult PlanRewrite(std::optional<OOffset> size, bool fixedSize,
                        std::span<const ORewriteRegion> regions);
