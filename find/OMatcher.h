#pragma once

#include "find/OPattern.h"

#include <array>
#include <cstddef>

// The scanning code a matcher runs: the vector filters, or the shift tables
// alone.
enum class OSimdLevel { ShiftTables, Sse2, Avx2 };

// Finds one prepared pattern in memory blocks, in both directions. Case
// folding uses the Windows-1252 upper-case table, applied in the code page
// the pattern bytes are in (code page 437 when oem is set: a byte is taken
// to Windows-1252, folded, and taken back, where both trips are exact, so
// that only true case pairs meet). A wildcard matches any byte.
//
// Literal patterns are scanned with a vectorised filter on the first and
// last byte of the longest wildcard-free run (AVX2 where the processor has
// it, SSE2 otherwise), candidates verified in full; the shift tables over
// that run serve the cases the filter does not.
class OMatcher {
public:
    // False when the pattern has no byte other than wildcards (or is empty);
    // the matcher then finds nothing and Length() is 0.
    bool Prepare(const OPattern& pattern, bool matchCase, bool oem);
    int Length() const { return m_length; }

    // The first match p with from <= p and p + Length() <= count, or -1.
    std::ptrdiff_t SearchForward(const OByte* buffer, std::size_t count,
                                 std::size_t from = 0) const;
    // The last match p with p + Length() <= end, or -1.
    std::ptrdiff_t SearchBackward(const OByte* buffer, std::size_t end) const;
    // Whether the pattern matches at buffer (Length() bytes readable).
    bool MatchesAt(const OByte* buffer) const;

    // The byte a file byte is compared as.
    OByte Translate(OByte b) const { return m_translate[b]; }

    // The level every matcher uses, detected once. Tests force a lower one to
    // compare the paths; a level the processor lacks gives the best it has.
    static OSimdLevel SimdLevel();
    static void SetSimdLevelForTesting(OSimdLevel level);

private:
    std::ptrdiff_t ShiftForward(const OByte* buffer, std::size_t count, std::size_t from) const;
    std::ptrdiff_t ShiftBackward(const OByte* buffer, std::size_t end) const;
    void ChooseProbes();

    std::array<OByte, 256> m_translate{};
    std::array<int, 256> m_forwardShift{};
    std::array<int, 256> m_backwardShift{};
    std::array<OByte, OPattern::kMaxLength + 1> m_pattern{}; // folded
    std::array<bool, OPattern::kMaxLength + 1> m_wildcard{};
    int m_length = 0;
    int m_runStart = 0;
    int m_runLength = 0;
    bool m_folding = false; // the translation is not the identity
    bool m_hasWildcards = false;
    bool m_exact = false; // no wildcard and every pattern byte matches only itself
    // The vector filter compares two literal positions of the pattern with
    // the file bytes that fold to them: 1 or 2 values each (a single value
    // repeated), 0 when there are more and the shift tables scan.
    int m_probeA = 0;
    int m_probeB = 0;
    int m_probeWidth = 0;
    std::array<OByte, 2> m_probeSetA{};
    std::array<OByte, 2> m_probeSetB{};
};
