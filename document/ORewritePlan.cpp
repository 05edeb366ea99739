#include "document/ORewritePlan.h"

#include <algorithm>

// Why the order is safe. Destinations are disjoint and in file order, as the
// stretches are. An up-moving stretch's destination ends at or below the
// destination start of every later stretch; a later one moving down has its
// destination below its own source, so every later source lies above, and
// the destination begins above the stretch's own source start, so above
// every earlier source: taken highest first, an up-move writes over no
// source still to read but its own, which last block first never
// overtakes. Once all of them are done, a down-moving stretch's destination
// ends below its own source end, so below every later source, and lowest
// first, first block first, it writes over no byte still to read either.
//
// 1. Walk the regions: each stretch gets the shift of the regions before it.
// 2. Steps: the up-moving ones in descending order, then the down-moving
//    ones in ascending order.
OPlanResult PlanRewrite(std::optional<OOffset> size, bool fixedSize,
                        std::span<const ORewriteRegion> regions) {
    OPlanResult result;
    if (!size) {
        result.refusal = OPlanRefusal::SizeUnknown;
        return result;
    }
    const OOffset oldSize = *size;
    if (oldSize < 0) {
        result.refusal = OPlanRefusal::OutOfRange;
        return result;
    }
    OMovePlan plan;
    plan.oldSize = oldSize;
    std::vector<OMoveStep> down;
    OOffset position = 0; // where the stretch before the next region begins
    OOffset shift = 0;
    auto stretch = [&](OOffset end) {
        if (end > position && shift != 0) {
            const OMoveStep step{position, position + shift, end - position, shift > 0};
            (shift > 0 ? plan.steps : down).push_back(step);
        }
    };
    for (const ORewriteRegion& r : regions) {
        if (r.offset < position || r.oldLength < 0 || r.newLength < 0 || r.offset > oldSize ||
            r.oldLength > oldSize - r.offset) {
            result.refusal = OPlanRefusal::OutOfRange;
            return result;
        }
        stretch(r.offset);
        // The region's new end, r.offset + shift + newLength, must stay
        // within the offsets; r.offset + shift is at least 0.
        if (r.newLength > kOffsetMax - (r.offset + shift)) {
            result.refusal = OPlanRefusal::TooLarge;
            return result;
        }
        shift = r.offset + shift + r.newLength - (r.offset + r.oldLength);
        position = r.offset + r.oldLength;
    }
    stretch(oldSize);
    if (shift > kOffsetMax - oldSize) {
        result.refusal = OPlanRefusal::TooLarge;
        return result;
    }
    plan.newSize = oldSize + shift;
    if (plan.ChangesSize() && fixedSize) {
        result.refusal = OPlanRefusal::FixedSize;
        return result;
    }
    std::reverse(plan.steps.begin(), plan.steps.end());
    plan.steps.insert(plan.steps.end(), down.begin(), down.end());
    result.plan = std::move(plan);
    return result;
}
