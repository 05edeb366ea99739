#include "document/OMovePlan.h"

#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct PlanCase {
    const char* name;
    std::optional<OOffset> size;
    bool fixedSize;
    OOffset offset, oldLength, newLength;
    std::optional<OPlanRefusal> refusal;
    OOffset newSize;
    std::vector<OMoveStep> steps;
};

TEST(MovePlan, ResizeTable) {
    constexpr OOffset kMax = kOffsetMax;
    const PlanCase cases[] = {
        {"delete inside", 100, false, 10, 20, 0, {}, 80, {{30, 10, 70, false}}},
        {"delete the tail", 100, false, 90, 10, 0, {}, 90, {}},
        {"insert", 100, false, 10, 0, 5, {}, 105, {{10, 15, 90, true}}},
        {"insert at the end", 100, false, 100, 0, 5, {}, 105, {}},
        {"grow past the tail", 100, false, 95, 1, 50, {}, 149, {{96, 145, 4, true}}},
        {"same length", 100, false, 10, 5, 5, {}, 100, {}},
        {"empty file", 0, false, 0, 0, 3, {}, 3, {}},
        {"unknown size", std::nullopt, false, 0, 1, 0, OPlanRefusal::SizeUnknown, 0, {}},
        {"offset past the end", 100, false, 101, 0, 1, OPlanRefusal::OutOfRange, 0, {}},
        {"region past the end", 100, false, 90, 11, 0, OPlanRefusal::OutOfRange, 0, {}},
        {"negative offset", 100, false, -1, 1, 0, OPlanRefusal::OutOfRange, 0, {}},
        {"negative length", 100, false, 0, 1, -1, OPlanRefusal::OutOfRange, 0, {}},
        {"past 2^63 - 1", kMax - 10, false, 0, 0, 11, OPlanRefusal::TooLarge, 0, {}},
        {"up to 2^63 - 1", kMax - 10, false, kMax - 10, 0, 10, {}, kMax, {}},
        {"a device shrinking", 100, true, 0, 1, 0, OPlanRefusal::FixedSize, 0, {}},
        {"a device in place", 100, true, 0, 4, 4, {}, 100, {}},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const OPlanResult result =
            PlanResize(c.size, c.fixedSize, c.offset, c.oldLength, c.newLength);
        if (c.refusal) {
            EXPECT_FALSE(result.plan);
            EXPECT_EQ(result.refusal, *c.refusal);
            continue;
        }
        ASSERT_TRUE(result.plan);
        EXPECT_EQ(result.plan->oldSize, *c.size);
        EXPECT_EQ(result.plan->newSize, c.newSize);
        EXPECT_EQ(result.plan->steps, c.steps);
    }
}

TEST(MovePlan, UndoLandedMovesTheTopBackDown) {
    // The top 8 of 30 bytes moved from [10, 40) to [15, 45): [37, 45) goes to [32, 40).
    EXPECT_EQ(UndoLanded({10, 15, 30, true}, 8), (OMoveStep{37, 32, 8, false}));
    EXPECT_EQ(UndoLanded({10, 15, 30, true}, 0).length, 0);
}

// Regression: read as 0, an unknown size made a grow at offset 0 cut the
// file to the grown length and report success.
TEST(MovePlan, AnUnreadableSizeRefusesEveryChangeBeforeAByteMoves) {
    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    ODiskFile file{io};
    const std::vector<OByte> original(300, OByte{0x5A});
    const std::string path = dir.Write("data.bin", original);
    ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
    io.failFStatErrno = EIO;
    EXPECT_FALSE(ResizeRegion(file, 0, 0, 5) || InsertZeros(file, 0, 5) ||
                 DeleteRange(file, 0, 5) || ResizeRegion(file, 10, 20, 3));
    io.failFStatErrno = 0;
    EXPECT_EQ(ReadWholeFile(path), original);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>(4, "Filesize getting error"));
}

} // namespace
