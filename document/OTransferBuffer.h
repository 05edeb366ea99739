#pragma once

#include "platform/OTypes.h"

#include <cstddef>

// The one kind of buffer the program moves and scans blocks of a file
// through. One block is kept process-wide between uses: a fresh 16 MiB
// block costs thousands of page faults every time. A guard text lies behind
// every block, so a write past its end shows up instead of passing
// unnoticed into a file. Only the interface thread uses buffers.
class OTransferBuffer {
public:
    static constexpr std::size_t kMaxBlock = 16777216; // 16 MiB
    static constexpr std::size_t kGuardSize = 16;

    // Holds nothing until Request.
    OTransferBuffer() = default;
    // A block for moving length bytes: never larger than the length, 16 MiB
    // or a quarter of the available memory; after a failed allocation halved
    // down to no less than 262,145 bytes. Without a block (shown as "Out of
    // memory") Valid() is false and every move through it fails before
    // changing anything.
    explicit OTransferBuffer(OOffset length);
    // Gives the block back to be kept.
    ~OTransferBuffer();
    OTransferBuffer(const OTransferBuffer&) = delete;
    OTransferBuffer& operator=(const OTransferBuffer&) = delete;

    // Holds at least size bytes: the block held or the kept one when large
    // enough (fresh false when it was the one held), else a new one (fresh),
    // halved after each failed allocation down to minimum. False after "Out
    // of memory".
    bool Request(std::size_t size, std::size_t minimum, bool& fresh);
    // Gives the block back to be kept.
    void Free();

    bool Valid() const { return m_data != nullptr; }
    OByte* Data() const { return m_data; }
    // What a move or a scan uses: at most the size asked for.
    std::size_t Size() const { return m_size; }
    bool GuardIntact() const;

    // Caps every move's block, and separately every requested block, at
    // bytes (0 restores the normal limit), so that a test of a few hundred
    // bytes still moves and scans many blocks.
    static void SetLimitForTesting(std::size_t bytes);
    static void SetRequestLimitForTesting(std::size_t bytes);
    // The next count allocations fail (and the kept block is passed over),
    // so that the "Out of memory" path can be tested.
    static void FailAllocationsForTesting(int count);
    void DamageGuardForTesting();

private:
    bool Take(std::size_t size);
    bool Allocate(std::size_t size, std::size_t minimum);

    OByte* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0; // allocated, less the guard
};
