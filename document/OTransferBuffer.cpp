#include "document/OTransferBuffer.h"

#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr std::size_t kMaxBlock = 16777216; // 16 MiB
constexpr std::size_t kMinHalved = 262145;  // just over 256 KiB

// One block kept between operations. Only the interface thread moves
// blocks, so it needs no lock.
struct OCachedBlock {
    OByte* data = nullptr;
    std::size_t size = 0;
    ~OCachedBlock() { std::free(data); }
};
OCachedBlock g_cached;
std::size_t g_limitForTesting = 0;
int g_failuresForTesting = 0;

OByte* Allocate(std::size_t bytes) {
    if (g_failuresForTesting > 0) {
        --g_failuresForTesting;
        return nullptr;
    }
    return static_cast<OByte*>(std::malloc(bytes));
}

} // namespace

// 1. Size: the length, or a quarter of the free memory when the length is 0
//    or larger; then at most 16 MiB (and the test limit).
// 2. Take the cached block when it is large enough.
// 3. Otherwise allocate, halving after each failure while the half stays
//    above 256 KiB; with no block at all, say "Out of memory".
OTransferBuffer::OTransferBuffer(OOffset length) {
    const std::uint64_t available = AvailableMemory(4);
    std::uint64_t wanted = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    // An unknown amount of free memory (0) must not make every move fail.
    if (available > 0 && (wanted == 0 || wanted > available)) wanted = available;
    if (wanted == 0 || wanted > kMaxBlock) wanted = kMaxBlock;
    std::size_t size = static_cast<std::size_t>(wanted);
    if (g_limitForTesting > 0) size = std::min(size, g_limitForTesting);

    if (g_cached.data && g_cached.size >= size && g_failuresForTesting == 0) {
        m_data = g_cached.data;
        m_capacity = g_cached.size;
        m_size = size;
        g_cached.data = nullptr;
        g_cached.size = 0;
        return;
    }
    for (;;) {
        m_data = Allocate(size);
        if (m_data) {
            m_capacity = m_size = size;
            return;
        }
        if (size / 2 < kMinHalved) break;
        size /= 2;
    }
    SetLastError(ENOMEM);
    MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
}

OTransferBuffer::~OTransferBuffer() {
    if (!m_data) return;
    // Keep the larger block: the next operation is most likely a big move.
    if (g_cached.data && g_cached.size >= m_capacity) {
        std::free(m_data);
        return;
    }
    std::free(g_cached.data);
    g_cached.data = m_data;
    g_cached.size = m_capacity;
}

void OTransferBuffer::SetLimitForTesting(std::size_t bytes) {
    g_limitForTesting = bytes;
}

void OTransferBuffer::FailAllocationsForTesting(int count) {
    g_failuresForTesting = count;
}
