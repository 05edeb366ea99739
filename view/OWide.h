#pragma once

#include "platform/OTypes.h"

#include <cstdint>

// Offset arithmetic that cannot overflow. Offsets plus a phase, rows times a
// width, or a row's start plus its columns can pass 2^63 for a file near the
// limit: such sums are taken at 128 bits and brought back by Narrow, which
// saturates at the ends of OOffset.
__extension__ typedef __int128 OWide;

inline OOffset Narrow(OWide value) {
    if (value > INT64_MAX) return INT64_MAX;
    if (value < INT64_MIN) return INT64_MIN;
    return static_cast<OOffset>(value);
}

// Division and remainder rounding towards minus infinity, for b > 0.
inline OWide FloorDiv(OWide a, OWide b) {
    OWide q = a / b;
    if (a % b != 0 && ((a < 0) != (b < 0))) --q;
    return q;
}

inline OWide FloorMod(OWide a, OWide b) {
    return a - FloorDiv(a, b) * b;
}
