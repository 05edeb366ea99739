#include "platform/OProgressMeter.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using Seconds = std::chrono::duration<double>;

// Samples closer than this measure the block rhythm, not the speed.
constexpr OProgressMeter::Clock::duration kSampleEvery = std::chrono::milliseconds(250);
// The smoothing's time constant. Blocks landing at a jittery pace (the
// test's model: 40 ms apart on average, anywhere from 5 to 75) moved the
// time left by up to 21% from one half-second reading to the next at 1 s,
// 11% at 3 s, 7% at 5 s (200 runs); a lasting change of speed still shows within a
// few seconds.
constexpr double kSmoothingSeconds = 5.0;

OOffset Distance(OOffset a, OOffset b) {
    return a > b ? a - b : b - a;
}

} // namespace

OProgressMeter::OProgressMeter(OOffset from, OOffset to, std::function<Clock::time_point()> now)
    : m_now(now ? std::move(now) : [] { return Clock::now(); }), m_start(m_now()), m_from(from),
      m_total(Distance(from, to)), m_down(to < from) {}

void OProgressMeter::SetPos(OOffset position) {
    const Clock::time_point now = m_now();
    if (!m_positioned) {
        m_positioned = true;
        m_position = m_samplePosition = position;
        m_sampleTime = m_firstTime = now;
        return;
    }
    m_travelled += Distance(position, m_position);
    m_position = position;
    const Clock::duration elapsed = now - m_sampleTime;
    if (elapsed < kSampleEvery) return;
    const double seconds = Seconds(elapsed).count();
    const double sample = static_cast<double>(m_travelled) / seconds;
    // Over the first seconds the smoothing would lean on the first, noisy
    // samples: until then the speed is the average since the first position.
    const double sinceFirst = Seconds(now - m_firstTime).count();
    const double weight =
        std::max(1 - std::exp(-seconds / kSmoothingSeconds), seconds / sinceFirst);
    m_speed += weight * (sample - m_speed);
    if (position != m_samplePosition) m_towardTo = (position < m_samplePosition) == m_down;
    m_samplePosition = position;
    m_sampleTime = now;
    m_travelled = 0;
}

OOffset OProgressMeter::Done() const {
    if (!m_positioned) return 0;
    const OOffset signedDone = m_down ? m_from - m_position : m_position - m_from;
    return std::clamp<OOffset>(signedDone, 0, m_total);
}

double OProgressMeter::SecondsLeft() const {
    if (m_speed <= 0) return -1;
    const OOffset remaining = m_towardTo ? m_total - Done() : Done();
    return static_cast<double>(remaining) / m_speed;
}

bool OProgressMeter::ShowDue() const {
    return m_now() - m_start >= kShowAfter;
}
