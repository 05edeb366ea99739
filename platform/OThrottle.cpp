#include "platform/OThrottle.h"

#include <utility>

OThrottle::OThrottle(Clock::duration interval, std::function<Clock::time_point()> now)
    : m_interval(interval), m_now(now ? std::move(now) : [] { return Clock::now(); }) {}

bool OThrottle::Due() const {
    return !m_ran || m_now() - m_last >= m_interval;
}

void OThrottle::Ran() {
    m_last = m_now();
    m_ran = true;
}
