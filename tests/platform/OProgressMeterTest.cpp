#include "platform/OProgressMeter.h"

#include "platform/OProgressText.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = OProgressMeter::Clock;

constexpr OOffset kMiB = OOffset{1} << 20, kGiB = kMiB << 10;

// A meter on a clock that moves only when told.
struct Work {
    Clock::time_point now{};
    OProgressMeter meter;
    Work(OOffset from, OOffset to) : meter(from, to, [this] { return now; }) {}
    // Positions from `from` toward `to`, one every step, at the given speed.
    OOffset Move(OOffset from, bool up, OOffset bytesPerSecond, Clock::duration span,
                 Clock::duration step = 125ms) {
        OOffset position = from;
        for (Clock::duration t{}; t < span; t += step) {
            now += step;
            const OOffset delta = bytesPerSecond * step / 1ms / 1000;
            position += up ? delta : -delta;
            meter.SetPos(position);
        }
        return position;
    }
    std::string Texts() const { return DoneOfTotalText(meter) + " | " + RateText(meter); }
};

// Work in both directions, a still start, a position that turns back and a
// speed too low for an estimate: each line is what the window says.
TEST(ProgressMeter, TextsAlongTheWay) {
    {
        Work run(0, 0);
        EXPECT_EQ(run.Texts(), "0 B of 0 B | ");
        run.meter.SetPos(0);
        EXPECT_EQ(run.Texts(), "0 B of 0 B | ");
    }
    {
        Work run(0, 4 * kGiB);
        EXPECT_EQ(run.Texts(), "0 B of 4.0 GiB | ");
        // The first position starts the measurement; no speed for 250 ms.
        run.meter.SetPos(16 * kMiB);
        const OOffset p = run.Move(16 * kMiB, true, kGiB, 125ms);
        EXPECT_EQ(run.Texts(), "144 MiB of 4.0 GiB | ");
        run.Move(p, true, kGiB, 1000ms);
        EXPECT_EQ(run.Texts(), "1.1 GiB of 4.0 GiB | 1.0 GiB/s, about 3 s left");
    }
    {
        // A backward find over [1 GiB, 5 GiB) from 3 GiB: its bytes done count
        // from the area's end, and it is heading for the area's start.
        Work run(5 * kGiB, kGiB);
        run.meter.SetPos(3 * kGiB);
        EXPECT_EQ(run.Texts(), "2.0 GiB of 4.0 GiB | ");
        run.Move(3 * kGiB, false, 512 * kMiB, 1100ms);
        EXPECT_EQ(run.Texts(), "2.6 GiB of 4.0 GiB | 512 MiB/s, about 3 s left");
    }
    {
        // A replace: a forward pass to near the end, then a tail move back
        // down; the time left follows the way the position goes.
        Work run(0, 2 * kGiB);
        run.meter.SetPos(0);
        const OOffset end = run.Move(0, true, kGiB, 1875ms);
        EXPECT_EQ(run.Texts(), "1.9 GiB of 2.0 GiB | 1.0 GiB/s, about 1 s left");
        run.Move(end, false, kGiB, 500ms);
        EXPECT_EQ(run.Texts(), "1.4 GiB of 2.0 GiB | 1.0 GiB/s, about 2 s left");
    }
    {
        // Beyond its ends a position counts as the end.
        Work run(kGiB, 2 * kGiB);
        run.meter.SetPos(0);
        EXPECT_EQ(run.Texts(), "0 B of 1.0 GiB | ");
        run.meter.SetPos(3 * kGiB);
        EXPECT_EQ(run.Texts(), "1.0 GiB of 1.0 GiB | ");
    }
    {
        // A crawl over a whole disk: longer than anyone waits.
        Work run(0, kOffsetMax);
        run.meter.SetPos(0);
        run.Move(0, true, 1000, 1000ms);
        EXPECT_EQ(run.Texts(), "1000 B of 8.0 EiB | 1000 B/s, more than 100 d left");
    }
}

TEST(ProgressMeter, ShowsOnceTheWorkHasLastedHalfASecond) {
    Work run(0, kGiB);
    run.now += 499ms;
    EXPECT_FALSE(run.meter.ShowDue());
    run.now += 1ms;
    EXPECT_TRUE(run.meter.ShowDue());
    OProgressMeter steady(0, kGiB);
    EXPECT_FALSE(steady.ShowDue());
}

// Blocks that land unevenly (the disk's rhythm, a cache burst) at a steady
// average: after the first seconds the speed stays within 20% of the
// average, and the time left, read twice a second, never rises by a tenth.
TEST(ProgressMeter, SpeedAndTimeLeftStayCalmUnderJitter) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> gapMs(5, 75); // 40 ms on average
        constexpr OOffset kBlock = 16 * kMiB;            // so 400 MiB/s
        Work run(0, 64 * kGiB);
        run.meter.SetPos(0);
        OOffset position = 0;
        Clock::time_point nextReading = run.now + 3s;
        double lastLeft = -1;
        int readings = 0;
        while (run.now < Clock::time_point{} + 60s) {
            run.now += std::chrono::milliseconds(gapMs(random));
            position += kBlock;
            run.meter.SetPos(position);
            if (run.now < nextReading) continue;
            nextReading += 500ms;
            ++readings;
            EXPECT_NEAR(run.meter.Speed(), 400.0 * kMiB, 0.2 * 400 * kMiB);
            const double left = run.meter.SecondsLeft();
            if (lastLeft >= 0) {
                EXPECT_LT(left - lastLeft, 0.1 * lastLeft);
            }
            lastLeft = left;
        }
        EXPECT_GT(readings, 100);
    }
}

} // namespace
