#include "document/OMovePlan.h"

OPlanResult PlanResize(std::optional<OOffset> size, bool fixedSize, OOffset offset,
                       OOffset oldLength, OOffset newLength) {
    OPlanResult result;
    if (!size) {
        result.refusal = OPlanRefusal::SizeUnknown;
        return result;
    }
    const OOffset oldSize = *size;
    if (offset < 0 || oldLength < 0 || newLength < 0 || oldSize < 0 || offset > oldSize ||
        oldLength > oldSize - offset) {
        result.refusal = OPlanRefusal::OutOfRange;
        return result;
    }
    if (newLength - oldLength > kOffsetMax - oldSize) {
        result.refusal = OPlanRefusal::TooLarge;
        return result;
    }
    OMovePlan plan;
    plan.oldSize = oldSize;
    plan.newSize = oldSize + (newLength - oldLength);
    if (plan.ChangesSize() && fixedSize) {
        result.refusal = OPlanRefusal::FixedSize;
        return result;
    }
    const OOffset tail = oldSize - offset - oldLength;
    if (tail > 0 && newLength != oldLength)
        plan.steps.push_back({offset + oldLength, offset + newLength, tail, newLength > oldLength});
    result.plan = std::move(plan);
    return result;
}

OMoveStep UndoLanded(const OMoveStep& step, OOffset moved) {
    const OOffset begin = step.length - moved;
    return {step.to + begin, step.from + begin, moved, false};
}
