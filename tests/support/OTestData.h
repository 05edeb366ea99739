#pragma once

#include "platform/OTypes.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using OBytes = std::vector<OByte>;

// n bytes counting up from start, wrapping at 256.
inline OBytes Iota(std::size_t n, int start = 0) {
    OBytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<OByte>(start + static_cast<int>(i));
    return out;
}

inline OBytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    OBytes out(n);
    for (OByte& b : out)
        b = static_cast<OByte>(rng());
    return out;
}

inline OBytes BytesOf(std::string_view text) {
    return OBytes(text.begin(), text.end());
}

// A new seed each run, or QUORVALIS_SEED's to replay one. Printed and
// recorded, so a failing randomised test says how to repeat it.
inline unsigned TestSeed() {
    const char* fixed = std::getenv("QUORVALIS_SEED");
    const unsigned seed =
        fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
    std::printf("seed %u (QUORVALIS_SEED)\n", seed);
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
}
