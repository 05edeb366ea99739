#pragma once

#include "document/OMovePlan.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <span>

class OFile;

// What a running move tells its caller, block by block.
class OMoveObserver {
public:
    // Before each block, before the message pump: the step has moved
    // `moved` bytes (counted in its direction). A progress window and a view
    // of the file as it stands follow it here.
    virtual void Reached(const OMoveStep& step, OOffset moved) = 0;
    // After the pump: the user asked to stop. A recovering shrink runs on to
    // its end, since a gap left open would be a hole in the file.
    virtual bool CancelRequested() = 0;

protected:
    ~OMoveObserver() = default;
};

// What a running plan records so that a killed run can be finished.
class OMoveLog {
public:
    // Once per block, after its read and before its write, and once at the
    // end of each step (block empty, moved then the step's length): the
    // plan's steps before `step` are done, and of step `step` the first
    // `moved` bytes, counted in its direction, have landed. block holds the
    // bytes about to be written. False stops the run before the write, the
    // failure shown.
    virtual bool Reached(std::size_t step, OOffset moved, std::span<const OByte> block) = 0;

protected:
    ~OMoveLog() = default;
};

// Runs plans over one file through one block of memory, each step in its
// own direction (OMoveStep::backward). Every failure is shown where it
// happens (a message box) and Run returns false.
//
// Without recovery a failure or Cancel stops the plan where it is: the file
// keeps its old size (a grow whose first block did not land is cut back to
// it) and the tail may be partly moved. A plan of several steps (a rewrite
// of many regions) always stops where it is, the steps before kept. With
// recovery a plan of one step ends in one of two states, never in between:
// - growing: the plan's end, or (failure or Cancel) as it was: the blocks
//   that landed move back and the file is cut to its old size. Only when
//   even that fails is the tail left partly moved, with the failure shown;
// - shrinking: the plan's end, running on through Cancel, with a block
//   whose read or write failed tried once more (the result is still false:
//   the failure was shown). Only a block that fails twice leaves the tail
//   partly moved and the file uncut.
class OMoveExecutor {
public:
    OMoveExecutor(OFile& file, std::span<OByte> block, OMoveObserver& observer,
                  bool recover = false)
        : m_file(file), m_block(block), m_observer(observer), m_recover(recover) {}

    bool Run(const OMovePlan& plan) { return Resume(plan, 0, 0); }
    // Runs the rest of a plan of which a run that was stopped had done the
    // steps before `step` and `moved` bytes of that one (counted in its
    // direction). A resumed run that fails is unfinished.
    bool Resume(const OMovePlan& plan, std::size_t step, OOffset moved);
    // The last Run stopped on the user's Cancel and the file is as it was
    // (false when bringing it back failed: that is a failure, shown).
    bool Cancelled() const { return m_cancelled; }
    // The last Run failed and left the file neither as it was nor at the
    // plan's end: blocks of the tail landed and were not moved back, or a
    // failed write may have reached bytes of its own source not yet moved,
    // or the file was not cut.
    bool Unfinished() const { return m_unfinished; }
    // Told about every block of the plan's steps (not of a recovering
    // rollback, so only for runs without recovery: a rollback moves back
    // bytes the log counts as landed). Null: none. With a log, a step
    // shifted by less than the block moves in blocks of at most 1 MiB.
    void SetLog(OMoveLog* log) { m_log = m_recover ? nullptr : log; }

private:
    enum class Outcome { Done, Retried, Stopped, Broken };
    static constexpr std::size_t kNoStep = static_cast<std::size_t>(-1);

    Outcome MoveBackward(std::size_t index, const OMoveStep& step, OOffset& moved);
    Outcome MoveForward(std::size_t index, const OMoveStep& step, OOffset moved = 0);
    bool Logged(std::size_t index, OOffset moved, const OByte* data, std::size_t count);
    bool Cut(OOffset size);
    std::span<OByte> BlockOf(const OMoveStep& step) const;

    OFile& m_file;
    std::span<OByte> m_block;
    OMoveObserver& m_observer;
    bool m_recover;
    bool m_cancelled = false;
    bool m_unfinished = false;
    // A failed write may have reached bytes of its own source not yet moved.
    bool m_damaged = false;
    bool m_landed = false; // a block of the plan's steps landed in this run
    OMoveLog* m_log = nullptr;
};

// Copies length bytes from one file into another (or elsewhere in the
// same file, where the target does not overlap the source from above),
// first block first. A read that fails is a failure, never the end of the
// source; a source that ends early ends the copy as a success.
bool CopyBlocks(OFile& source, OOffset sourceOffset, OFile& target, OOffset targetOffset,
                OOffset length, std::span<OByte> block, OMoveObserver& observer);

// Says why a plan was refused, where that has not been said yet (an
// unreadable size was shown when it was read), and sets LastError(): EINVAL
// alone for a range outside the file, which the caller may say as it sees
// fit. Always false.
bool ShowRefusal(OFile& file, OPlanRefusal refusal);

// Reads exactly count bytes: fewer is an error, shown (the system's text,
// or "Read error" for a short read), never the end of the data.
bool ReadExactly(OFile& file, OOffset offset, OByte* buffer, std::size_t count);

// Writes count bytes; on a full disk asks "Disk full. Try again ?". A failed
// write leaves the file no longer than it was.
bool WriteBlock(const OByte* buffer, OFile& target, OOffset offset, std::size_t count);
