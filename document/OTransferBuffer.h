#pragma once

#include "platform/OTypes.h"

#include <cstddef>

// The one buffer a block move runs through: never larger than the length
// moved, 16 MiB, or a quarter of the available memory; after a failed
// allocation halved down to no less than 262,145 bytes. The block is kept
// after use for the next operation: a fresh 16 MiB block costs thousands of
// page faults every time. Without a block (shown as "Out of memory")
// Valid() is false and every move through it fails before changing anything.
class OTransferBuffer {
public:
    explicit OTransferBuffer(OOffset length);
    ~OTransferBuffer();
    OTransferBuffer(const OTransferBuffer&) = delete;
    OTransferBuffer& operator=(const OTransferBuffer&) = delete;

    bool Valid() const { return m_data != nullptr; }
    OByte* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

    // Caps every buffer at bytes (0 restores the normal limit), so that a
    // test of a few hundred bytes still moves many blocks.
    static void SetLimitForTesting(std::size_t bytes);
    // The next count allocations fail (and the kept block is passed over),
    // so that the "Out of memory" path can be tested.
    static void FailAllocationsForTesting(int count);

private:
    OByte* m_data = nullptr;
    std::size_t m_size = 0;     // what the moves use
    std::size_t m_capacity = 0; // what was allocated, kept for the next one
};
