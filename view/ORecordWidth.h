#pragma once

// The record width a request selects: a negative request keeps the current
// width, 0 or one above maxWidth selects maxWidth, below 2 becomes 2.
inline int ApplyRecordWidth(int requested, int current, int maxWidth) {
    if (requested < 0) return current;
    if (requested == 0 || requested > maxWidth) return maxWidth;
    if (requested < 2) return 2;
    return requested;
}
