#include "platform/OProgressText.h"

#include "platform/OFormat.h"
#include "platform/OProgressMeter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
constexpr int kLastUnit = 6;

} // namespace

std::string ByteSizeText(double bytes) {
    if (!(bytes > 0)) return "0 B";
    int unit = 0;
    double value = bytes;
    while (unit < kLastUnit && value >= 1024) {
        value /= 1024;
        ++unit;
    }
    // Bytes are whole; a fraction of a unit shows below ten of it.
    if (unit > 0 && value < 9.95) return Format("%.1f %s", value, kUnits[unit]);
    if (std::round(value) >= 1024 && unit < kLastUnit) return Format("1.0 %s", kUnits[unit + 1]);
    return Format("%.0f %s", value, kUnits[unit]);
}

std::string SpeedText(double bytesPerSecond) {
    if (!(bytesPerSecond > 0)) return {};
    return ByteSizeText(bytesPerSecond) + "/s";
}

std::string TimeLeftText(double seconds) {
    constexpr double kMinute = 60, kHour = 3600, kDay = 86400;
    if (!(seconds >= 0)) return {};
    if (seconds >= 100 * kDay) return "more than 100 d left";
    const double wholeSeconds = std::max(1.0, std::ceil(seconds));
    if (wholeSeconds < kMinute) return Format("about %.0f s left", wholeSeconds);
    const auto minutes = static_cast<long>(std::lround(seconds / kMinute));
    if (minutes < 60) return Format("about %ld min left", minutes);
    if (seconds < kDay - kMinute / 2) {
        if (minutes % 60 == 0) return Format("about %ld h left", minutes / 60);
        return Format("about %ld h %ld min left", minutes / 60, minutes % 60);
    }
    const auto hours = static_cast<long>(std::lround(seconds / kHour));
    if (hours % 24 == 0) return Format("about %ld d left", hours / 24);
    return Format("about %ld d %ld h left", hours / 24, hours % 24);
}

std::string DoneOfTotalText(const OProgressMeter& meter) {
    return ByteSizeText(static_cast<double>(meter.Done())) + " of " +
           ByteSizeText(static_cast<double>(meter.Total()));
}

std::string RateText(const OProgressMeter& meter) {
    const std::string speed = SpeedText(meter.Speed());
    const std::string left = TimeLeftText(meter.SecondsLeft());
    if (speed.empty() || left.empty()) return speed + left;
    return speed + ", " + left;
}
