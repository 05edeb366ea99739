#include "find/OMatcher.h"

#include "platform/OCodePage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define QUORVALIS_X86 1
#include <immintrin.h>
#endif

// The vector filter (after Muła's "SIMD-friendly substring search"):
// 1. Broadcast every byte value that folds to the pattern byte at probe A,
//    and likewise at probe B (two literal positions, normally the first and
//    last byte of the longest wildcard-free run).
// 2. For 32 (AVX2) or 16 (SSE2) candidate positions p at once, compare the
//    bytes at p + A and p + B with them; a candidate needs both.
// 3. Verify the surviving candidates in order (memcmp when every pattern
//    byte matches only itself, the translation table otherwise), so the first
//    (or, backwards, the last) match is the one returned.
// 4. Fewer candidates than a vector are checked one by one; no load reaches
//    past the last byte of the last candidate.

namespace {

OSimdLevel DetectLevel() {
#ifdef QUORVALIS_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? OSimdLevel::Avx2 : OSimdLevel::Sse2;
#else
    return OSimdLevel::ShiftTables;
#endif
}

OSimdLevel BestLevel() {
    static const OSimdLevel best = DetectLevel();
    return best;
}

OSimdLevel& CurrentLevel() {
    static OSimdLevel level = BestLevel();
    return level;
}

// Without match case: Windows-1252 upper case. In code page 437 a byte folds
// only when it and its upper case both exist exactly in Windows-1252; the best
// fits of the page conversions would otherwise fold box-drawing characters
// into '+' and Greek letters into Latin ones.
std::array<OByte, 256> FoldTable(bool matchCase, bool oem) {
    std::array<OByte, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const auto b = OByte(c);
        table[c] = b;
        if (matchCase) continue;
        if (!oem) {
            table[c] = AnsiUpper(b);
            continue;
        }
        const OByte ansi = OemToAnsi(b);
        if (AnsiToOem(ansi) != b) continue;
        const OByte upper = AnsiUpper(ansi);
        const OByte oemUpper = AnsiToOem(upper);
        if (OemToAnsi(oemUpper) == upper) table[c] = oemUpper;
    }
    return table;
}

struct OPlainVerify {
    const OByte* buffer;
    const OByte* pattern;
    std::size_t length;
    bool operator()(std::size_t p) const { return std::memcmp(buffer + p, pattern, length) == 0; }
};

struct OTableVerify {
    const OByte* buffer;
    const OByte* pattern;
    const bool* wildcard;
    const OByte* table;
    int length;
    bool operator()(std::size_t p) const {
        const OByte* at = buffer + p;
        for (int i = 0; i < length; ++i)
            if (!wildcard[i] && table[at[i]] != pattern[i]) return false;
        return true;
    }
};

#ifdef QUORVALIS_X86

struct OProbes {
    const OByte* a; // buffer + probe A: byte i is probe A of candidate i
    const OByte* b;
    const OByte* setA;
    const OByte* setB;
};

template <class Verify>
std::ptrdiff_t FirstHit(std::uint64_t mask, std::size_t base, const Verify& verify) {
    for (; mask != 0; mask &= mask - 1) {
        const std::size_t p = base + static_cast<std::size_t>(__builtin_ctzll(mask));
        if (verify(p)) return static_cast<std::ptrdiff_t>(p);
    }
    return -1;
}

template <class Verify>
std::ptrdiff_t LastHit(std::uint64_t mask, std::size_t base, const Verify& verify) {
    while (mask != 0) {
        const int bit = 63 - __builtin_clzll(mask);
        if (verify(base + static_cast<std::size_t>(bit)))
            return static_cast<std::ptrdiff_t>(base + static_cast<std::size_t>(bit));
        mask &= ~(std::uint64_t{1} << bit);
    }
    return -1;
}

std::uint64_t Bits(int movemask, int shift) {
    return std::uint64_t{static_cast<std::uint32_t>(movemask)} << shift;
}

template <int K>
inline __m128i Sse2Hits(const OByte* a, const OByte* b, const __m128i* va, const __m128i* vb) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    __m128i ea = _mm_cmpeq_epi8(x, va[0]);
    __m128i eb = _mm_cmpeq_epi8(y, vb[0]);
    for (int k = 1; k < K; ++k) {
        ea = _mm_or_si128(ea, _mm_cmpeq_epi8(x, va[k]));
        eb = _mm_or_si128(eb, _mm_cmpeq_epi8(y, vb[k]));
    }
    return _mm_and_si128(ea, eb);
}

template <int K> void Sse2Broadcast(const OProbes& s, __m128i* va, __m128i* vb) {
    for (int k = 0; k < K; ++k) {
        va[k] = _mm_set1_epi8(static_cast<char>(s.setA[k]));
        vb[k] = _mm_set1_epi8(static_cast<char>(s.setB[k]));
    }
}

// Hits of the 64 candidates at p, one bit each; 0 (the common case) after
// one test of all four vectors.
template <int K>
inline std::uint64_t Sse2Mask64(const OProbes& s, std::size_t p, const __m128i* va,
                                const __m128i* vb) {
    const __m128i h0 = Sse2Hits<K>(s.a + p, s.b + p, va, vb);
    const __m128i h1 = Sse2Hits<K>(s.a + p + 16, s.b + p + 16, va, vb);
    const __m128i h2 = Sse2Hits<K>(s.a + p + 32, s.b + p + 32, va, vb);
    const __m128i h3 = Sse2Hits<K>(s.a + p + 48, s.b + p + 48, va, vb);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3))) == 0) return 0;
    return Bits(_mm_movemask_epi8(h0), 0) | Bits(_mm_movemask_epi8(h1), 16) |
           Bits(_mm_movemask_epi8(h2), 32) | Bits(_mm_movemask_epi8(h3), 48);
}

// Candidates [p, stop).
template <int K, class Verify>
std::ptrdiff_t Sse2Forward(const OProbes& s, std::size_t p, std::size_t stop,
                           const Verify& verify) {
    __m128i va[K], vb[K];
    Sse2Broadcast<K>(s, va, vb);
    for (; p + 64 <= stop; p += 64) {
        const std::uint64_t mask = Sse2Mask64<K>(s, p, va, vb);
        if (mask == 0) continue;
        if (const std::ptrdiff_t hit = FirstHit(mask, p, verify); hit >= 0) return hit;
    }
    for (; p + 16 <= stop; p += 16) {
        const __m128i h = Sse2Hits<K>(s.a + p, s.b + p, va, vb);
        if (const std::ptrdiff_t hit = FirstHit(Bits(_mm_movemask_epi8(h), 0), p, verify); hit >= 0)
            return hit;
    }
    for (; p < stop; ++p)
        if (verify(p)) return static_cast<std::ptrdiff_t>(p);
    return -1;
}

// Candidates [0, top), the last first.
template <int K, class Verify>
std::ptrdiff_t Sse2Backward(const OProbes& s, std::size_t top, const Verify& verify) {
    __m128i va[K], vb[K];
    Sse2Broadcast<K>(s, va, vb);
    for (; top >= 64; top -= 64) {
        const std::size_t p = top - 64;
        const std::uint64_t mask = Sse2Mask64<K>(s, p, va, vb);
        if (mask == 0) continue;
        if (const std::ptrdiff_t hit = LastHit(mask, p, verify); hit >= 0) return hit;
    }
    for (; top >= 16; top -= 16) {
        const std::size_t p = top - 16;
        const __m128i h = Sse2Hits<K>(s.a + p, s.b + p, va, vb);
        if (const std::ptrdiff_t hit = LastHit(Bits(_mm_movemask_epi8(h), 0), p, verify); hit >= 0)
            return hit;
    }
    while (top > 0) {
        --top;
        if (verify(top)) return static_cast<std::ptrdiff_t>(top);
    }
    return -1;
}

#define QUORVALIS_AVX2 __attribute__((target("avx2"), always_inline)) inline

template <int K>
QUORVALIS_AVX2 __m256i Avx2Hits(const OByte* a, const OByte* b, const __m256i* va,
                                const __m256i* vb) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
    __m256i ea = _mm256_cmpeq_epi8(x, va[0]);
    __m256i eb = _mm256_cmpeq_epi8(y, vb[0]);
    for (int k = 1; k < K; ++k) {
        ea = _mm256_or_si256(ea, _mm256_cmpeq_epi8(x, va[k]));
        eb = _mm256_or_si256(eb, _mm256_cmpeq_epi8(y, vb[k]));
    }
    return _mm256_and_si256(ea, eb);
}

template <int K> QUORVALIS_AVX2 void Avx2Broadcast(const OProbes& s, __m256i* va, __m256i* vb) {
    for (int k = 0; k < K; ++k) {
        va[k] = _mm256_set1_epi8(static_cast<char>(s.setA[k]));
        vb[k] = _mm256_set1_epi8(static_cast<char>(s.setB[k]));
    }
}

template <int K>
QUORVALIS_AVX2 std::uint64_t Avx2Mask64(const OProbes& s, std::size_t p, const __m256i* va,
                                        const __m256i* vb) {
    const __m256i h0 = Avx2Hits<K>(s.a + p, s.b + p, va, vb);
    const __m256i h1 = Avx2Hits<K>(s.a + p + 32, s.b + p + 32, va, vb);
    const __m256i any = _mm256_or_si256(h0, h1);
    if (_mm256_testz_si256(any, any)) return 0;
    return Bits(_mm256_movemask_epi8(h0), 0) | Bits(_mm256_movemask_epi8(h1), 32);
}

template <int K, class Verify>
__attribute__((target("avx2"))) std::ptrdiff_t Avx2Forward(const OProbes& s, std::size_t p,
                                                           std::size_t stop, const Verify& verify) {
    __m256i va[K], vb[K];
    Avx2Broadcast<K>(s, va, vb);
    for (; p + 64 <= stop; p += 64) {
        const std::uint64_t mask = Avx2Mask64<K>(s, p, va, vb);
        if (mask == 0) continue;
        if (const std::ptrdiff_t hit = FirstHit(mask, p, verify); hit >= 0) return hit;
    }
    if (p + 32 <= stop) {
        const __m256i h = Avx2Hits<K>(s.a + p, s.b + p, va, vb);
        if (const std::ptrdiff_t hit = FirstHit(Bits(_mm256_movemask_epi8(h), 0), p, verify);
            hit >= 0)
            return hit;
        p += 32;
    }
    return Sse2Forward<K>(s, p, stop, verify);
}

template <int K, class Verify>
__attribute__((target("avx2"))) std::ptrdiff_t Avx2Backward(const OProbes& s, std::size_t top,
                                                            const Verify& verify) {
    __m256i va[K], vb[K];
    Avx2Broadcast<K>(s, va, vb);
    for (; top >= 64; top -= 64) {
        const std::size_t p = top - 64;
        const std::uint64_t mask = Avx2Mask64<K>(s, p, va, vb);
        if (mask == 0) continue;
        if (const std::ptrdiff_t hit = LastHit(mask, p, verify); hit >= 0) return hit;
    }
    if (top >= 32) {
        const std::size_t p = top - 32;
        const __m256i h = Avx2Hits<K>(s.a + p, s.b + p, va, vb);
        if (const std::ptrdiff_t hit = LastHit(Bits(_mm256_movemask_epi8(h), 0), p, verify);
            hit >= 0)
            return hit;
        top = p;
    }
    return Sse2Backward<K>(s, top, verify);
}

template <class Verify>
std::ptrdiff_t VectorForward(OSimdLevel level, int width, const OProbes& s, std::size_t from,
                             std::size_t stop, const Verify& verify) {
    if (level == OSimdLevel::Avx2) {
        if (width == 1) return Avx2Forward<1>(s, from, stop, verify);
        return Avx2Forward<2>(s, from, stop, verify);
    }
    if (width == 1) return Sse2Forward<1>(s, from, stop, verify);
    return Sse2Forward<2>(s, from, stop, verify);
}

template <class Verify>
std::ptrdiff_t VectorBackward(OSimdLevel level, int width, const OProbes& s, std::size_t top,
                              const Verify& verify) {
    if (level == OSimdLevel::Avx2) {
        if (width == 1) return Avx2Backward<1>(s, top, verify);
        return Avx2Backward<2>(s, top, verify);
    }
    if (width == 1) return Sse2Backward<1>(s, top, verify);
    return Sse2Backward<2>(s, top, verify);
}

#endif // QUORVALIS_X86

} // namespace

OSimdLevel OMatcher::SimdLevel() {
    return CurrentLevel();
}

void OMatcher::SetSimdLevelForTesting(OSimdLevel level) {
    CurrentLevel() = std::min(level, BestLevel());
}

bool OMatcher::Prepare(const OPattern& pattern, bool matchCase, bool oem) {
    // 1. Fold table, and how many byte values fold to each value.
    // 2. The folded pattern with its wildcard flags.
    // 3. The longest wildcard-free run, the first of equals; none: no pattern.
    // 4. Shift tables over the run, as the fallback scan.
    // 5. Probes and their byte sets for the vector filter.
    m_translate = FoldTable(matchCase, oem);
    std::array<int, 256> preimages{};
    m_folding = false;
    for (int c = 0; c < 256; ++c) {
        ++preimages[m_translate[c]];
        if (m_translate[c] != c) m_folding = true;
    }

    const int length = std::clamp(pattern.length, 0, OPattern::kMaxLength);
    m_pattern.fill(0);
    m_wildcard.fill(false);
    m_hasWildcards = false;
    m_exact = true;
    for (int i = 0; i < length; ++i) {
        m_wildcard[i] = pattern.wildcard[i];
        if (m_wildcard[i]) {
            m_hasWildcards = true;
            m_exact = false;
            continue;
        }
        m_pattern[i] = m_translate[pattern.bytes[i]];
        if (preimages[m_pattern[i]] != 1) m_exact = false;
    }

    m_runStart = 0;
    m_runLength = 0;
    for (int i = 0; i < length;) {
        if (m_wildcard[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < length && !m_wildcard[j])
            ++j;
        if (j - i > m_runLength) {
            m_runStart = i;
            m_runLength = j - i;
        }
        i = j;
    }
    if (m_runLength == 0) {
        m_length = 0;
        m_probeWidth = 0;
        return false;
    }
    m_length = length;

    const OByte* run = m_pattern.data() + m_runStart;
    m_forwardShift.fill(m_runLength);
    for (int j = 0; j <= m_runLength - 2; ++j)
        m_forwardShift[run[j]] = m_runLength - 1 - j;
    m_backwardShift.fill(m_runLength);
    for (int j = m_runLength - 1; j >= 1; --j)
        m_backwardShift[run[j]] = j;

    ChooseProbes();
    return true;
}

void OMatcher::ChooseProbes() {
    // 1. The run's first and last byte.
    // 2. When they are equal, the first run byte that differs from the last:
    //    zeros at both ends would pass every position of a zero-filled region.
    // 3. A one-byte run pairs with the literal byte farthest from it.
    // 4. The byte sets; a third value per byte, which no fold table here
    //    produces, would leave the scan to the shift tables.
    const int last = m_runStart + m_runLength - 1;
    m_probeA = m_runStart;
    m_probeB = last;
    for (int i = m_runStart + 1; i < last && m_pattern[m_probeA] == m_pattern[last]; ++i)
        m_probeA = i;
    if (m_pattern[m_probeA] == m_pattern[last]) m_probeA = m_runStart;
    if (m_runLength == 1) {
        int farthest = 0;
        for (int i = 0; i < m_length; ++i) {
            const int distance = i > m_probeA ? i - m_probeA : m_probeA - i;
            if (!m_wildcard[i] && distance > farthest) {
                farthest = distance;
                m_probeB = i;
            }
        }
    }

    const auto collect = [this](OByte value, std::array<OByte, 2>& set) {
        int n = 0;
        for (int c = 0; c < 256; ++c) {
            if (m_translate[c] != value) continue;
            if (n < 2) set[n] = OByte(c);
            ++n;
        }
        if (n == 1) set[1] = set[0];
        return n;
    };
    const int widest = std::max(collect(m_pattern[m_probeA], m_probeSetA),
                                collect(m_pattern[m_probeB], m_probeSetB));
    m_probeWidth = widest <= 2 ? widest : 0;
}

bool OMatcher::MatchesAt(const OByte* buffer) const {
    if (m_length == 0) return false;
    return OTableVerify{buffer, m_pattern.data(), m_wildcard.data(), m_translate.data(),
                        m_length}(0);
}

std::ptrdiff_t OMatcher::SearchForward(const OByte* buffer, std::size_t count,
                                       std::size_t from) const {
    const auto length = static_cast<std::size_t>(m_length);
    if (length == 0 || count < length || from > count - length) return -1;
    const OSimdLevel level = CurrentLevel();
    if (level == OSimdLevel::ShiftTables || m_probeWidth == 0)
        return ShiftForward(buffer, count, from);
#ifdef QUORVALIS_X86
    if (length == 1 && m_probeWidth == 1) {
        const void* hit = std::memchr(buffer + from, m_probeSetA[0], count - from);
        return hit ? static_cast<const OByte*>(hit) - buffer : -1;
    }
    const OProbes probes{buffer + m_probeA, buffer + m_probeB, m_probeSetA.data(),
                         m_probeSetB.data()};
    const std::size_t stop = count - length + 1;
    if (m_exact)
        return VectorForward(level, m_probeWidth, probes, from, stop,
                             OPlainVerify{buffer, m_pattern.data(), length});
    return VectorForward(
        level, m_probeWidth, probes, from, stop,
        OTableVerify{buffer, m_pattern.data(), m_wildcard.data(), m_translate.data(), m_length});
#else
    return ShiftForward(buffer, count, from);
#endif
}

std::ptrdiff_t OMatcher::SearchBackward(const OByte* buffer, std::size_t end) const {
    const auto length = static_cast<std::size_t>(m_length);
    if (length == 0 || end < length) return -1;
    const OSimdLevel level = CurrentLevel();
    if (level == OSimdLevel::ShiftTables || m_probeWidth == 0) return ShiftBackward(buffer, end);
#ifdef QUORVALIS_X86
    if (length == 1 && m_probeWidth == 1) {
        const void* hit = ::memrchr(buffer, m_probeSetA[0], end);
        return hit ? static_cast<const OByte*>(hit) - buffer : -1;
    }
    const OProbes probes{buffer + m_probeA, buffer + m_probeB, m_probeSetA.data(),
                         m_probeSetB.data()};
    const std::size_t top = end - length + 1;
    if (m_exact)
        return VectorBackward(level, m_probeWidth, probes, top,
                              OPlainVerify{buffer, m_pattern.data(), length});
    return VectorBackward(
        level, m_probeWidth, probes, top,
        OTableVerify{buffer, m_pattern.data(), m_wildcard.data(), m_translate.data(), m_length});
#else
    return ShiftBackward(buffer, end);
#endif
}

// Horspool over the run: a mismatch in the run shifts by the table entry of
// the buffer byte under the run's last byte; a run that matches inside a
// longer pattern is verified in full and then moves on by one.
std::ptrdiff_t OMatcher::ShiftForward(const OByte* buffer, std::size_t count,
                                      std::size_t from) const {
    const auto last = static_cast<std::ptrdiff_t>(count) - m_length;
    const OByte* run = m_pattern.data() + m_runStart;
    for (auto p = static_cast<std::ptrdiff_t>(from); p <= last;) {
        const OByte* window = buffer + p + m_runStart;
        int j = m_runLength - 1;
        while (j >= 0 && m_translate[window[j]] == run[j])
            --j;
        if (j >= 0) {
            p += m_forwardShift[m_translate[window[m_runLength - 1]]];
            continue;
        }
        if (m_runLength == m_length || MatchesAt(buffer + p)) return p;
        ++p;
    }
    return -1;
}

// The mirror image: the shift is read under the run's first byte.
std::ptrdiff_t OMatcher::ShiftBackward(const OByte* buffer, std::size_t end) const {
    const OByte* run = m_pattern.data() + m_runStart;
    for (auto p = static_cast<std::ptrdiff_t>(end) - m_length; p >= 0;) {
        const OByte* window = buffer + p + m_runStart;
        int j = m_runLength - 1;
        while (j >= 0 && m_translate[window[j]] == run[j])
            --j;
        if (j >= 0) {
            p -= m_backwardShift[m_translate[window[0]]];
            continue;
        }
        if (m_runLength == m_length || MatchesAt(buffer + p)) return p;
        --p;
    }
    return -1;
}
