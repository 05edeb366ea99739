#include "document/ORewritePlan.h"

#include "document/ODiskFile.h"
#include "document/OMoveExecutor.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct OQuiet final : OMoveObserver {
    void Reached(const OMoveStep&, OOffset) override {}
    bool CancelRequested() override { return false; }
};

// Random regions of a file of size bytes, sorted, some touching, some empty.
std::vector<ORewriteRegion> RandomRegions(std::mt19937& rng, OOffset size) {
    std::vector<ORewriteRegion> regions;
    OOffset at = 0;
    for (int n = static_cast<int>(rng() % 9); n > 0 && at <= size; --n) {
        ORewriteRegion r;
        r.offset = at + static_cast<OOffset>(rng() % static_cast<unsigned>(size - at + 1)) / 2;
        r.oldLength = static_cast<OOffset>(rng() % static_cast<unsigned>(size - r.offset + 1)) / 3;
        r.newLength = static_cast<OOffset>(rng() % 14);
        regions.push_back(r);
        at = r.offset + r.oldLength;
    }
    return regions;
}

// Plans of random regions run in blocks of 1 to 40 bytes against a byte
// model: every byte between the regions lands where the model puts it.
// The regions' new content is the caller's; written afterwards, the whole
// file must be the model's.
TEST(RewritePlan, RunsToTheModelInAnyBlock) {
    std::mt19937 rng(TestSeed());
    OScriptedPlatform platform;
    OTempDir dir;
    for (int round = 0; round < 400; ++round) {
        const OBytes original = RandomBytes(rng() % 160, static_cast<unsigned>(rng()));
        const auto size = static_cast<OOffset>(original.size());
        const std::vector<ORewriteRegion> regions = RandomRegions(rng, size);
        OBytes expected;
        std::vector<std::pair<OOffset, OBytes>> contents;
        OOffset at = 0;
        for (const ORewriteRegion& r : regions) {
            expected.insert(expected.end(), original.begin() + at, original.begin() + r.offset);
            const OBytes content =
                RandomBytes(static_cast<std::size_t>(r.newLength), static_cast<unsigned>(rng()));
            contents.emplace_back(static_cast<OOffset>(expected.size()), content);
            expected.insert(expected.end(), content.begin(), content.end());
            at = r.offset + r.oldLength;
        }
        expected.insert(expected.end(), original.begin() + at, original.end());
        SCOPED_TRACE("round " + std::to_string(round));

        const OPlanResult planned = PlanRewrite(size, false, regions);
        ASSERT_TRUE(planned.plan);
        const OMovePlan& plan = *planned.plan;
        EXPECT_EQ(plan.newSize, static_cast<OOffset>(expected.size()));
        EXPECT_LE(plan.steps.size(), regions.size());
        for (const OMoveStep& step : plan.steps)
            EXPECT_EQ(step.backward, step.to > step.from);

        const std::string path = dir.Write("r.bin", original);
        ODiskFile file;
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        OBytes block(rng() % 40 + 1);
        OQuiet observer;
        OMoveExecutor executor(file, block, observer);
        ASSERT_TRUE(executor.Run(plan));
        for (const auto& [offset, content] : contents)
            ASSERT_TRUE(WriteBlock(content.data(), file, offset, content.size()));
        file.Close();
        ASSERT_EQ(ReadWholeFile(path), expected);
        EXPECT_TRUE(platform.Messages().empty());
    }
}

TEST(RewritePlan, RefusesWhatCannotBeRewritten) {
    struct Case {
        const char* name;
        std::optional<OOffset> size;
        bool fixedSize;
        std::vector<ORewriteRegion> regions;
        std::optional<OPlanRefusal> refusal;
    };
    const Case cases[] = {
        {"unknown size", std::nullopt, false, {{0, 1, 2}}, OPlanRefusal::SizeUnknown},
        {"unsorted", 100, false, {{50, 1, 2}, {10, 1, 2}}, OPlanRefusal::OutOfRange},
        {"overlapping", 100, false, {{10, 5, 2}, {14, 1, 2}}, OPlanRefusal::OutOfRange},
        {"touching", 100, false, {{10, 5, 2}, {15, 1, 2}}, std::nullopt},
        {"past the end", 100, false, {{10, 1, 2}, {95, 6, 0}}, OPlanRefusal::OutOfRange},
        {"negative", 100, false, {{10, -1, 2}}, OPlanRefusal::OutOfRange},
        {"a device, same size", 100, true, {{10, 2, 1}, {20, 1, 2}}, std::nullopt},
        {"a device, new size", 100, true, {{10, 2, 1}}, OPlanRefusal::FixedSize},
        {"past 2^63 - 1", kOffsetMax - 10, false, {{0, 0, 5}, {5, 0, 6}}, OPlanRefusal::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OPlanResult result = PlanRewrite(c.size, c.fixedSize, c.regions);
        EXPECT_EQ(result.plan.has_value(), !c.refusal);
        if (c.refusal) {
            EXPECT_EQ(result.refusal, *c.refusal);
        }
    }
}

} // namespace
