#pragma once

#include "platform/OTypes.h"

#include <memory>

// The progress window of one long operation over [low, high]. Created when
// the operation starts and destroyed when it ends, however it ends.
class OProgress {
public:
    virtual ~OProgress() = default;
    virtual void SetPos(OOffset position) = 0;
    // The user confirmed Cancel; the running loop stops at its next pass.
    virtual bool Cancelled() const = 0;
};

class OProgressFactory {
public:
    virtual ~OProgressFactory() = default;
    virtual std::unique_ptr<OProgress> Create(OOffset low, OOffset high, bool cancelEnabled) = 0;
};

// A progress window from the installed factory, or one that shows nothing
// and is never cancelled.
std::unique_ptr<OProgress> CreateProgress(OOffset low, OOffset high, bool cancelEnabled);

// The scaling of 64-bit positions onto a 32-bit progress bar.
struct OProgressScale {
    unsigned shift = 0; // bits positions are shifted right
    int base = 0;       // low >> shift
    int width = 0;      // (high >> shift) - base
    OProgressScale(OOffset low, OOffset high);
    int Position(OOffset position) const;
};

// Marks a long operation (a block move, a backup, a search) for its
// lifetime. While one runs, pumped messages may paint and scroll, but
// nothing may change, close or save a document or quit: the shell refuses
// such commands while LongOperationRunning().
class OLongOperation {
public:
    OLongOperation();
    ~OLongOperation();
    OLongOperation(const OLongOperation&) = delete;
    OLongOperation& operator=(const OLongOperation&) = delete;
};
bool LongOperationRunning();
