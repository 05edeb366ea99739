#pragma once

#include "platform/OTypes.h"

#include <cstddef>

// The block a search scans the file through, with a guard text behind the
// data: a write past the end shows up as a changed guard instead of passing
// unnoticed into the file.
class OWorkBuffer {
public:
    static constexpr std::size_t kFindSize = 524288;
    static constexpr std::size_t kReplaceSize = 16777216;
    static constexpr std::size_t kCountSize = 4194304;
    static constexpr std::size_t kMinimumSize = 65536;
    static constexpr std::size_t kGuardSize = 16;
    // The least a test limit leaves: room for two patterns of the longest
    // kind, so that every block still moves the scan on.
    static constexpr std::size_t kSmallestForTesting = 256;

    OWorkBuffer() = default;
    ~OWorkBuffer();
    OWorkBuffer(const OWorkBuffer&) = delete;
    OWorkBuffer& operator=(const OWorkBuffer&) = delete;

    // A block of size bytes: the one held when it is large enough, else a
    // new one (fresh set), halved after each failed allocation down to the
    // minimum. False after "Out of memory".
    bool Request(std::size_t size, bool& fresh);
    void Free();

    OByte* Data() const { return m_data; }
    std::size_t Capacity() const { return m_capacity; }
    bool GuardIntact() const;

    // Caps every block (0 restores the sizes above).
    static void SetLimitForTesting(std::size_t bytes);
    // The next count allocations fail.
    static void FailAllocationsForTesting(int count);
    void DamageGuardForTesting();

private:
    OByte* m_data = nullptr;
    std::size_t m_capacity = 0;
};
