#include "platform/OProgress.h"

#include "platform/OPlatform.h"

#include <algorithm>
#include <climits>

namespace {

class ONoProgress final : public OProgress {
public:
    void SetPos(OOffset) override {}
    bool Cancelled() const override { return false; }
};

int g_longOperations = 0;

} // namespace

std::unique_ptr<OProgress> CreateProgress(OOffset low, OOffset high, bool cancelEnabled) {
    if (OProgressFactory* factory = Platform().progress)
        return factory->Create(low, high, cancelEnabled);
    return std::make_unique<ONoProgress>();
}

OProgressScale::OProgressScale(OOffset low, OOffset high) {
    const OOffset span = std::max<OOffset>(low > high ? low - high : high - low, 0);
    while ((span >> shift) > INT_MAX)
        ++shift;
    width = static_cast<int>(span >> shift);
}

int OProgressScale::Bar(OOffset done) const {
    return static_cast<int>(std::clamp<OOffset>(done, 0, OOffset{width} << shift) >> shift);
}

OLongOperation::OLongOperation() {
    ++g_longOperations;
}

OLongOperation::~OLongOperation() {
    --g_longOperations;
}

bool LongOperationRunning() {
    return g_longOperations > 0;
}
