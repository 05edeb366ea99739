#pragma once

#include "platform/OTypes.h"

#include <memory>

// The progress window of one long operation. Created when the operation
// starts and destroyed when it ends, however it ends; it shows only once the
// operation has lasted about half a second.
class OProgress {
public:
    virtual ~OProgress() = default;
    // A file offset or byte count between low and high, the operation's
    // progress: its distance from low is the bytes done of |high - low|.
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
// and is never cancelled. Positions run from low toward high: work that runs
// toward the file's start (a backward find) passes high < low. Byte counts
// run from 0 to the count.
std::unique_ptr<OProgress> CreateProgress(OOffset low, OOffset high, bool cancelEnabled);

// The scaling of 64-bit byte counts onto a 32-bit progress bar.
struct OProgressScale {
    unsigned shift = 0; // bits counts are shifted right
    int width = 0;      // |high - low| >> shift
    OProgressScale(OOffset low, OOffset high);
    // The bar's value for done bytes of the span.
    int Bar(OOffset done) const;
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
