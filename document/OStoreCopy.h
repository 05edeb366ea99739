#pragma once

#include "document/OFile.h"
#include "platform/OTypes.h"

#include <atomic>
#include <cstdint>
#include <thread>

// Copies a change's bytes into the undo store on a thread of its own while
// the change runs. As the file's write fence it holds back only the writes
// that would reach bytes not yet copied, so a large delete keeps its bytes
// for undo in little more than the time of the delete alone. Made, waited
// on and finished on the interface thread; the thread reads and writes
// through descriptors of its own at explicit offsets.
class OStoreCopy final : public OWriteFence {
public:
    // Takes in and out (duplicates of the source and the store, closed here)
    // and starts copying [offset, offset + length) of in to out at target.
    OStoreCopy(int in, OOffset offset, int out, OOffset target, OOffset length);
    ~OStoreCopy();
    OStoreCopy(const OStoreCopy&) = delete;
    OStoreCopy& operator=(const OStoreCopy&) = delete;

    // Returns once [offset, end) of the source holds no byte still to copy,
    // or the copy has ended.
    void Wait(OOffset offset, OOffset end) override;
    // Asks the copy to end early; Finish then reports ECANCELED.
    void Stop() { m_stop = true; }
    // Waits for the end: 0 when every byte was copied, else the error.
    int Finish();

    // Copies in chunks of this many bytes (0 restores the normal 4 MiB), so
    // that a test's writes meet a copy still running.
    static void SetChunkForTesting(OOffset bytes);
    // The copy fails with error once it has copied this many bytes (-1: never).
    static void SetFailAfterForTesting(OOffset bytes, int error);

private:
    void Run();
    void Publish();

    int m_in;
    int m_out;
    OOffset m_offset;
    OOffset m_target;
    OOffset m_length;
    std::atomic<OOffset> m_done{0};
    std::atomic<int> m_error{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ended{false};
    // Bumped at every change of the above, so that a waiter never misses one.
    std::atomic<std::uint64_t> m_ticks{0};
    std::thread m_thread;
};
