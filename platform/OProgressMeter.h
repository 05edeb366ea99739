#pragma once

#include "platform/OTypes.h"

#include <chrono>
#include <functional>

// What a progress window shows of one long operation, from the positions it
// reports and a clock: the bytes done of the total, the speed, the time left,
// and whether the window should show yet. Plain numbers; OProgressText words
// them.
//
// Positions are file offsets or byte counts that run from `from` toward `to`;
// to < from for work that runs toward the start of the file (a backward
// find). Done is the distance from `from`, so it grows in both directions.
// A position may move back against the direction (a replace moves a tail
// down between its forward passes): done then shrinks, and the time left is
// the time to the end it is moving toward.
class OProgressMeter {
public:
    using Clock = std::chrono::steady_clock;
    // A window for shorter work would flash and vanish: it shows nothing.
    static constexpr Clock::duration kShowAfter = std::chrono::milliseconds(500);

    // now: the time source, the steady clock unless a test gives its own.
    // The operation starts when the meter is made.
    OProgressMeter(OOffset from, OOffset to, std::function<Clock::time_point()> now = {});

    // Reads the clock once.
    void SetPos(OOffset position);

    OOffset Total() const { return m_total; }
    // Within [0, Total()]; 0 before the first position.
    OOffset Done() const;
    // Bytes per second, smoothed over the last few seconds so the texts stay
    // calm; 0 until a first interval has been measured.
    double Speed() const { return m_speed; }
    // Seconds until the position reaches the end it moves toward; negative
    // while the speed is unknown or 0.
    double SecondsLeft() const;
    // The operation has lasted kShowAfter. Reads the clock.
    bool ShowDue() const;

private:
    std::function<Clock::time_point()> m_now;
    Clock::time_point m_start;
    OOffset m_from;
    OOffset m_total;
    bool m_down; // to < from
    bool m_positioned = false;
    OOffset m_position = 0;
    // The speed is sampled once per kSampleEvery, over the bytes travelled
    // since the last sample, both directions counted.
    Clock::time_point m_firstTime{};
    Clock::time_point m_sampleTime{};
    OOffset m_samplePosition = 0;
    OOffset m_travelled = 0;
    double m_speed = 0;
    bool m_towardTo = true;
};
