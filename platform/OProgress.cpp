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
    const OOffset top = std::max({low, high, OOffset{0}});
    while ((top >> shift) > INT_MAX)
        ++shift;
    base = static_cast<int>(low >> shift);
    width = static_cast<int>((high >> shift) - base);
}

int OProgressScale::Position(OOffset position) const {
    return static_cast<int>((position >> shift) - base);
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
