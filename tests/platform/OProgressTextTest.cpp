#include "platform/OProgressText.h"

#include "platform/OProgress.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>

namespace {

constexpr double kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024, kTiB = kGiB * 1024;

TEST(ProgressText, ByteSizes) {
    const std::pair<double, const char*> cases[] = {
        {-5, "0 B"},
        {0, "0 B"},
        {1023, "1023 B"},
        {1023.5, "1.0 KiB"}, // a speed rounds like a size
        {1.5 * kKiB, "1.5 KiB"},
        {10188, "9.9 KiB"}, // 9.949 KiB
        {10189, "10 KiB"},  // 9.950 KiB: not "10.0"
        {1023.4 * kKiB, "1023 KiB"},
        {1023.5 * kKiB, "1.0 MiB"},
        {1.2 * kGiB, "1.2 GiB"},
        {600 * kTiB, "600 TiB"},
        {static_cast<double>(OOffset{5} << 50), "5.0 PiB"},
        {static_cast<double>(kOffsetMax), "8.0 EiB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(ByteSizeText(bytes), text) << bytes;
}

TEST(ProgressText, SpeedsAndTimesLeft) {
    EXPECT_EQ(SpeedText(0), "");
    EXPECT_EQ(SpeedText(-1), "");
    EXPECT_EQ(SpeedText(std::nan("")), "");
    EXPECT_EQ(SpeedText(312 * kMiB), "312 MiB/s");
    const double kDay = 86400;
    const std::pair<double, const char*> cases[] = {
        {-1, ""},
        {std::nan(""), ""},
        {0, "about 1 s left"},
        {11.2, "about 12 s left"},
        {59.5, "about 1 min left"},
        {89, "about 1 min left"},
        {91, "about 2 min left"},
        {3569, "about 59 min left"},
        {3571, "about 1 h left"},
        {3600 + 5 * 60, "about 1 h 5 min left"},
        {23 * 3600 + 59 * 60, "about 23 h 59 min left"},
        {kDay - 1, "about 1 d left"},
        {3 * kDay + 4 * 3600, "about 3 d 4 h left"},
        {99 * kDay + 23.6 * 3600, "about 100 d left"},
        {100 * kDay, "more than 100 d left"},
        {std::numeric_limits<double>::infinity(), "more than 100 d left"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(TimeLeftText(seconds), text) << seconds;
}

// The bar's scale: past INT_MAX the counts shift, whichever way the span
// runs, and a count outside the span stays on the bar.
TEST(ProgressText, BarScale) {
    struct Case {
        OOffset low, high;
        unsigned shift;
        int width;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {0, INT_MAX, 0, INT_MAX},
        {OOffset{1} << 40, (OOffset{1} << 40) + INT_MAX, 0, INT_MAX},
        {0, OOffset{3} << 30, 1, 3 << 29},
        {OOffset{5} << 30, 0, 2, 5 << 28},
        {0, kOffsetMax, 32, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        const OProgressScale scale(c.low, c.high);
        EXPECT_EQ(scale.shift, c.shift);
        EXPECT_EQ(scale.width, c.width);
        EXPECT_EQ(scale.Bar(-1), 0);
        EXPECT_EQ(scale.Bar(c.low > c.high ? c.low - c.high : c.high - c.low), c.width);
        EXPECT_EQ(scale.Bar(kOffsetMax), c.width);
    }
}

} // namespace
