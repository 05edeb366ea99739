#pragma once

#include <cstddef>
#include <cstdint>

// Offsets and sizes are signed 64-bit everywhere: files of any size are the
// point, and a negative offset is meaningful (a top row that begins before the
// file start).
using OOffset = std::int64_t;
using OByte = std::uint8_t;

inline constexpr OOffset kOffsetMax = INT64_MAX;
