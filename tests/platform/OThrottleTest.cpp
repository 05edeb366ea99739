#include "platform/OThrottle.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A clock that moves only when told.
struct FakeClock {
    OThrottle::Clock::time_point now{};
    OThrottle Throttle(OThrottle::Clock::duration interval) {
        return OThrottle(interval, [this] { return now; });
    }
};

// Asking does not start the interval; only running does. After Reset the
// next request is due at once.
TEST(Throttle, DueOnceAnIntervalAfterTheWorkEnded) {
    FakeClock clock;
    OThrottle throttle = clock.Throttle(40ms);
    // A block loop: every 3 ms a request; the work, when due, takes 25 ms
    // (longer than the gap between requests, as a slow repaint would).
    std::vector<int> ranAt;
    for (int block = 0; block < 100; ++block) {
        if (throttle.Due()) {
            ranAt.push_back(static_cast<int>((clock.now - OThrottle::Clock::time_point{}) / 1ms));
            clock.now += 25ms;
            throttle.Ran();
        }
        clock.now += 3ms;
    }
    // Runs start at 0, then at the first request 40 ms or more after each
    // run ended: 0 +25 end, 66 (the first request at or after 65), ...
    ASSERT_GE(ranAt.size(), 2u);
    EXPECT_EQ(ranAt[0], 0);
    for (std::size_t i = 1; i < ranAt.size(); ++i) {
        const int ended = ranAt[i - 1] + 25;
        EXPECT_GE(ranAt[i] - ended, 40);
        EXPECT_LT(ranAt[i] - ended, 40 + 3) << "a due request was skipped";
    }
    throttle.Ran();
    EXPECT_FALSE(throttle.Due());
    throttle.Reset();
    EXPECT_TRUE(throttle.Due());
}

} // namespace
