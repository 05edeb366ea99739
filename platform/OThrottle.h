#pragma once

#include <chrono>
#include <functional>

// Paces work that a long operation asks for once per block (pumping the
// message queue, repainting a progress bar), so that it costs per unit of
// time instead of per block: the work is due when an interval has passed
// since it last ran, measured from the end of that run, so slow work never
// crowds out the operation it serves. The first request, and the first after
// Reset(), is due at once.
class OThrottle {
public:
    using Clock = std::chrono::steady_clock;
    // now: the time source, the steady clock unless a test gives its own.
    explicit OThrottle(Clock::duration interval, std::function<Clock::time_point()> now = {});

    bool Due() const;
    // The work has just run; the next is due one interval from now.
    void Ran();
    // The next request is due at once (a new operation starts).
    void Reset() { m_ran = false; }

private:
    Clock::duration m_interval;
    std::function<Clock::time_point()> m_now;
    Clock::time_point m_last{};
    bool m_ran = false;
};
