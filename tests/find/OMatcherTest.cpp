#include "find/OMatcher.h"

#include "find/OPattern.h"
#include "platform/OCodePage.h"
#include "support/OTestData.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

OPattern Parse(std::string_view text) {
    const std::vector<OByte> bytes(text.begin(), text.end());
    return ParsePattern(bytes);
}

// Every match from the first to the last, restarting one byte further.
std::vector<std::ptrdiff_t> AllForward(const OMatcher& m, const std::vector<OByte>& buffer,
                                       std::size_t from = 0) {
    std::vector<std::ptrdiff_t> found;
    for (std::ptrdiff_t p; (p = m.SearchForward(buffer.data(), buffer.size(), from)) >= 0;
         from = static_cast<std::size_t>(p) + 1)
        found.push_back(p);
    return found;
}

// Every match from the last down, each search ending one byte before the
// previous match's end.
std::vector<std::ptrdiff_t> AllBackward(const OMatcher& m, const std::vector<OByte>& buffer,
                                        std::size_t end) {
    std::vector<std::ptrdiff_t> found;
    for (std::ptrdiff_t p; (p = m.SearchBackward(buffer.data(), end)) >= 0;
         end = static_cast<std::size_t>(p) + static_cast<std::size_t>(m.Length()) - 1)
        found.push_back(p);
    return found;
}

// The fold written out again: 1252 upper case, and in code page 437 only
// between bytes whose trip through 1252 is exact.
OByte ReferenceFold(OByte b, bool matchCase, bool oem) {
    if (matchCase) return b;
    if (!oem) return AnsiUpper(b);
    const OByte ansi = OemToAnsi(b);
    const OByte upper = AnsiUpper(ansi);
    if (AnsiToOem(ansi) != b || OemToAnsi(AnsiToOem(upper)) != upper) return b;
    return AnsiToOem(upper);
}

// Runs a test body once per scanning level the processor has.
class OMatcherLevels : public ::testing::TestWithParam<OSimdLevel> {
protected:
    void SetUp() override {
        OMatcher::SetSimdLevelForTesting(GetParam());
        if (OMatcher::SimdLevel() != GetParam()) GTEST_SKIP() << "level not available here";
    }
    void TearDown() override { OMatcher::SetSimdLevelForTesting(OSimdLevel::Avx2); }
};

std::string LevelName(const ::testing::TestParamInfo<OSimdLevel>& info) {
    const char* names[] = {"ShiftTables", "Sse2", "Avx2"};
    return names[static_cast<int>(info.param)];
}

} // namespace

TEST(OMatcher, FoldTablesAreSound) {
    for (const bool oem : {false, true}) {
        for (const bool matchCase : {false, true}) {
            OMatcher m;
            ASSERT_TRUE(m.Prepare(Parse("x"), matchCase, oem));
            std::vector<int> preimages(256);
            for (int c = 0; c < 256; ++c) {
                const OByte t = m.Translate(OByte(c));
                EXPECT_EQ(t, ReferenceFold(OByte(c), matchCase, oem)) << c;
                EXPECT_EQ(m.Translate(t), t) << "not idempotent at " << c;
                ++preimages[t];
            }
            for (int c = 0; c < 256; ++c)
                EXPECT_LE(preimages[c], 2) << c;
        }
    }
    // The Windows-1252 fold is AnsiUpper's, tested with the code pages. In
    // code page 437 é (82) meets É (90) and ü (81) Ü (9A), while à, α and the
    // box corners, whose best fits are plain letters or '+', stay themselves.
    const std::pair<int, int> oem[] = {{0x82, 0x90}, {0x81, 0x9A}, {0x84, 0x8E},
                                       {0x85, 0x85}, {0xE0, 0xE0}, {0xDA, 0xDA}};
    OMatcher m;
    ASSERT_TRUE(m.Prepare(Parse("x"), false, true));
    for (const auto& [from, to] : oem)
        EXPECT_EQ(m.Translate(OByte(from)), to) << from;
}

// Forward and backward searches against a naive scan over random buffers of
// few distinct bytes, so that matches, near misses and overlaps are common.
TEST_P(OMatcherLevels, RandomisedAgainstNaiveScan) {
    const unsigned seed = TestSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const auto below = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };

    // Case pairs of both pages, and bytes without a partner.
    const OByte pool[] = {'a', 'A', 'b', 'B', 0x00, 0xE9, 0xC9, 0x82, 0x90, 0x9A, 0x8A, 0xFF, 0x9F};
    for (int round = 0; round < 3000; ++round) {
        const bool matchCase = rng() % 2 == 0;
        const bool oem = rng() % 2 == 0;
        std::vector<OByte> alphabet;
        const std::size_t letters = 1 + below(4);
        for (std::size_t i = 0; i < letters; ++i)
            alphabet.push_back(pool[below(std::size(pool))]);

        OPattern pattern;
        // Mostly short patterns; some up to the longest, 127 bytes, some
        // nearly all wildcards.
        const std::size_t longest = rng() % 16 == 0 ? 127 : rng() % 4 == 0 ? 40 : 6;
        pattern.length = static_cast<int>(1 + below(longest));
        const std::size_t wildChance = rng() % 3 == 0 ? 0 : below(8);
        for (int i = 0; i < pattern.length; ++i) {
            pattern.bytes[i] = alphabet[below(alphabet.size())];
            pattern.wildcard[i] = wildChance > 0 && below(8) < wildChance;
        }
        OMatcher m;
        if (!m.Prepare(pattern, matchCase, oem)) {
            EXPECT_TRUE(pattern.AllWildcards());
            continue;
        }
        ASSERT_EQ(m.Length(), pattern.length);

        const auto length = static_cast<std::size_t>(pattern.length);
        const std::size_t size = rng() % 8 == 0 ? below(2000) : below(200);
        std::vector<OByte> buffer(size);
        for (auto& b : buffer)
            b = alphabet[below(alphabet.size())];
        // A few planted copies with the case of some letters changed.
        for (int copies = static_cast<int>(below(3)); copies > 0 && size >= length; --copies) {
            const std::size_t at = below(size - length + 1);
            for (int i = 0; i < pattern.length; ++i)
                if (!pattern.wildcard[i]) buffer[at + i] = pattern.bytes[i];
        }

        const auto matchesAt = [&](std::size_t p) {
            for (int i = 0; i < pattern.length; ++i) {
                if (pattern.wildcard[i]) continue;
                if (ReferenceFold(buffer[p + i], matchCase, oem) !=
                    ReferenceFold(pattern.bytes[i], matchCase, oem))
                    return false;
            }
            return true;
        };
        std::vector<std::ptrdiff_t> expected;
        for (std::size_t p = 0; p + length <= size; ++p)
            if (matchesAt(p)) expected.push_back(static_cast<std::ptrdiff_t>(p));

        const std::size_t from = below(size + 2);
        const std::size_t end = below(size + 1);
        std::vector<std::ptrdiff_t> forward, backward;
        for (const auto p : expected) {
            if (static_cast<std::size_t>(p) >= from) forward.push_back(p);
            if (static_cast<std::size_t>(p) + length <= end) backward.insert(backward.begin(), p);
        }
        const std::string what =
            "round " + std::to_string(round) + " length " + std::to_string(length) + " size " +
            std::to_string(size) + " from " + std::to_string(from) + " end " + std::to_string(end) +
            " matchCase " + std::to_string(matchCase) + " oem " + std::to_string(oem);
        ASSERT_EQ(AllForward(m, buffer, from), forward) << what;
        ASSERT_EQ(AllBackward(m, buffer, end), backward) << what;
        for (std::size_t p = 0; p + length <= size; p += 1 + below(8))
            ASSERT_EQ(m.MatchesAt(buffer.data() + p), matchesAt(p)) << what << " at " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, OMatcherLevels,
                         ::testing::Values(OSimdLevel::Avx2, OSimdLevel::Sse2,
                                           OSimdLevel::ShiftTables),
                         LevelName);
