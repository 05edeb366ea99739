#pragma once

#include "platform/OTypes.h"

#include <string>

class OProgressMeter;

// The words of a progress window. Sizes are in binary units with three
// figures at most: "0 B", "512 B", "1.2 GiB", "312 MiB"; a value that
// rounds to 1024 of a unit is one of the next ("1.0 MiB").
std::string ByteSizeText(double bytes);
// "312 MiB/s"; empty when the speed is not known (0 or less).
std::string SpeedText(double bytesPerSecond);
// "about 12 s left", "about 3 min left", "about 2 h 5 min left",
// "about 3 d 4 h left", "more than 100 d left"; empty when not known
// (negative). Whole units only, so the text changes at most once a second.
std::string TimeLeftText(double seconds);

// "1.2 GiB of 4.0 GiB".
std::string DoneOfTotalText(const OProgressMeter& meter);
// "312 MiB/s, about 12 s left", or the part of it that is known.
std::string RateText(const OProgressMeter& meter);
