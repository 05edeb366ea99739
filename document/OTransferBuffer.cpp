#include "document/OTransferBuffer.h"

#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kMinHalved = 262145; // just over 256 KiB
constexpr char kGuard[] = "EXTRAMEMEXTRAMEM";
static_assert(sizeof kGuard - 1 == OTransferBuffer::kGuardSize);

// One block kept between uses. Only the interface thread moves blocks, so
// it needs no lock.
struct OKeptBlock {
    OByte* data = nullptr;
    std::size_t capacity = 0;
    ~OKeptBlock() { std::free(data); }
};
OKeptBlock g_kept;
std::size_t g_limitForTesting = 0;
std::size_t g_requestLimitForTesting = 0;
int g_failuresForTesting = 0;

OByte* AllocateBytes(std::size_t bytes) {
    if (g_failuresForTesting > 0) {
        --g_failuresForTesting;
        return nullptr;
    }
    return static_cast<OByte*>(std::malloc(bytes));
}

} // namespace

// 1. Size: the length, or a quarter of the free memory when the length is 0
//    or larger; then at most 16 MiB (and the test limit).
// 2. Take the kept block when it is large enough, else allocate.
OTransferBuffer::OTransferBuffer(OOffset length) {
    const std::uint64_t available = AvailableMemory(4);
    std::uint64_t wanted = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    // An unknown amount of free memory (0) must not make every move fail.
    if (available > 0 && (wanted == 0 || wanted > available)) wanted = available;
    if (wanted == 0 || wanted > kMaxBlock) wanted = kMaxBlock;
    auto size = static_cast<std::size_t>(wanted);
    if (g_limitForTesting > 0) size = std::min(size, g_limitForTesting);
    if (Take(size) || Allocate(size, std::min(size, kMinHalved)))
        m_size = std::min(size, m_capacity);
}

OTransferBuffer::~OTransferBuffer() {
    Free();
}

bool OTransferBuffer::Request(std::size_t size, std::size_t minimum, bool& fresh) {
    if (g_requestLimitForTesting > 0) size = std::min(size, g_requestLimitForTesting);
    fresh = false;
    if (m_data && m_capacity >= size) {
        m_size = size;
        return true;
    }
    Free();
    fresh = true;
    if (!Take(size) && !Allocate(size, std::min(size, minimum))) return false;
    m_size = std::min(size, m_capacity);
    return true;
}

bool OTransferBuffer::Take(std::size_t size) {
    if (!g_kept.data || g_kept.capacity < size || g_failuresForTesting > 0) return false;
    m_data = g_kept.data;
    m_capacity = g_kept.capacity;
    g_kept = {};
    return true;
}

// Halves after each failure while the half stays at or above minimum; with
// no block at all, says "Out of memory".
bool OTransferBuffer::Allocate(std::size_t size, std::size_t minimum) {
    for (;;) {
        m_data = AllocateBytes(size + kGuardSize);
        if (m_data) {
            m_capacity = size;
            std::memcpy(m_data + size, kGuard, kGuardSize);
            return true;
        }
        if (size / 2 < minimum || size < 2) break;
        size /= 2;
    }
    SetLastError(ENOMEM);
    MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
    return false;
}

// Keeps the larger block: the next operation is most likely a big move.
void OTransferBuffer::Free() {
    if (m_data) {
        std::memcpy(m_data + m_capacity, kGuard, kGuardSize);
        if (g_kept.data && g_kept.capacity >= m_capacity) {
            std::free(m_data);
        } else {
            std::free(g_kept.data);
            g_kept.data = m_data;
            g_kept.capacity = m_capacity;
        }
    }
    m_data = nullptr;
    m_size = m_capacity = 0;
}

bool OTransferBuffer::GuardIntact() const {
    return m_data && std::memcmp(m_data + m_capacity, kGuard, kGuardSize) == 0;
}

void OTransferBuffer::SetLimitForTesting(std::size_t bytes) {
    g_limitForTesting = bytes;
}

void OTransferBuffer::SetRequestLimitForTesting(std::size_t bytes) {
    g_requestLimitForTesting = bytes;
}

void OTransferBuffer::FailAllocationsForTesting(int count) {
    g_failuresForTesting = count;
}

void OTransferBuffer::DamageGuardForTesting() {
    if (m_data) m_data[m_capacity + 3] ^= 0x20;
}
