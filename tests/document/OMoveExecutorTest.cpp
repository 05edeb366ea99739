#include "document/OMoveExecutor.h"

#include "document/ODiskFile.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

using Bytes = OBytes;

// Cancel after a given number of blocks, and count them.
struct CancelAt final : OMoveObserver {
    int cancelAt = 0; // 0: never
    int blocks = 0;
    void Reached(const OMoveStep&, OOffset) override { ++blocks; }
    bool CancelRequested() override { return cancelAt != 0 && blocks >= cancelAt; }
};

// A recovering run leaves the plan's end or, after a Cancel or one failed
// read or write, the file as it was; Cancelled() only in the second case
// and only when the file really is as it was. Growing and shrinking plans,
// blocks of 3 to 40 bytes, every stop position.
TEST(MoveExecutor, ARecoveringRunEndsAtThePlanOrWhereItBegan) {
    std::mt19937 rng(TestSeed());
    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    for (int round = 0; round < 300; ++round) {
        const Bytes original = RandomBytes(rng() % 200 + 1, static_cast<unsigned>(rng()));
        const auto size = static_cast<OOffset>(original.size());
        const OOffset offset = static_cast<OOffset>(rng() % original.size());
        const OOffset oldLength = static_cast<OOffset>(rng() % (size - offset + 1));
        // Growths shorter than a block make a block land on its own source.
        const OOffset newLength = rng() % 2 ? static_cast<OOffset>(rng() % 60)
                                            : oldLength + static_cast<OOffset>(rng() % 4);
        Bytes expected = original;
        expected.erase(expected.begin() + offset, expected.begin() + offset + oldLength);
        expected.insert(expected.begin() + offset, static_cast<std::size_t>(newLength), 0);

        const std::string path = dir.Write("f.bin", original);
        ODiskFile file(io);
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        const OPlanResult planned = PlanResize(size, false, offset, oldLength, newLength);
        ASSERT_TRUE(planned.plan);
        Bytes block(rng() % 38 + 3);
        CancelAt observer;
        const int fault = static_cast<int>(rng() % 3);
        const int at = static_cast<int>(rng() % 12 + 1);
        if (fault == 0) observer.cancelAt = at;
        if (fault == 1) io.failReadAt = io.reads + at;
        if (fault == 2) io.failWriteAt = io.writes + at, io.writeErrno = EIO;
        platform.Clear();
        OMoveExecutor executor(file, block, observer, true);
        const bool ok = executor.Run(*planned.plan);
        io.failReadAt = io.failWriteAt = 0;
        file.Close();
        const Bytes result = ReadWholeFile(path);
        SCOPED_TRACE("round " + std::to_string(round) + " fault " + std::to_string(fault) + " at " +
                     std::to_string(at));
        // Every region byte is zero in expected; the executor leaves them
        // undefined, so compare around the region only.
        Bytes shown = result;
        if (shown.size() == expected.size())
            std::fill_n(shown.begin() + offset, newLength, OByte{0});
        if (ok) {
            EXPECT_EQ(shown, expected);
            EXPECT_FALSE(executor.Cancelled());
            EXPECT_TRUE(platform.Messages().empty());
        } else if (executor.Cancelled()) {
            EXPECT_TRUE(planned.plan->Grows()); // a shrink runs on through Cancel
            EXPECT_EQ(result, original);
        } else {
            // A shrink finishes after a single fault; a grow moves back.
            EXPECT_EQ(planned.plan->Grows() ? result : shown,
                      planned.plan->Grows() ? original : expected);
            EXPECT_FALSE(platform.Messages().empty());
        }
    }
}

} // namespace
