#include "find/OWorkBuffer.h"

#include "platform/OPlatform.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kGuard[] = "EXTRAMEMEXTRAMEM";
static_assert(sizeof kGuard - 1 == OWorkBuffer::kGuardSize);

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

OWorkBuffer::~OWorkBuffer() {
    Free();
}

bool OWorkBuffer::Request(std::size_t size, bool& fresh) {
    if (g_limitForTesting > 0) size = std::min(size, g_limitForTesting);
    fresh = false;
    if (m_data && m_capacity >= size) return true;
    Free();
    fresh = true;
    const std::size_t minimum = std::min(size, kMinimumSize);
    for (;;) {
        m_data = Allocate(size + kGuardSize);
        if (m_data) {
            m_capacity = size;
            std::memcpy(m_data + size, kGuard, kGuardSize);
            return true;
        }
        if (size / 2 < minimum) break;
        size /= 2;
    }
    MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
    return false;
}

void OWorkBuffer::Free() {
    std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
}

bool OWorkBuffer::GuardIntact() const {
    return m_data && std::memcmp(m_data + m_capacity, kGuard, kGuardSize) == 0;
}

void OWorkBuffer::SetLimitForTesting(std::size_t bytes) {
    g_limitForTesting = bytes == 0 ? 0 : std::max(bytes, kSmallestForTesting);
}

void OWorkBuffer::FailAllocationsForTesting(int count) {
    g_failuresForTesting = count;
}

void OWorkBuffer::DamageGuardForTesting() {
    if (m_data) m_data[m_capacity + 3] ^= 0x20;
}
