#include "settings/ExposureUnits.h"

#include <cmath>
#include <cstdio>

namespace nodrix::settings {

namespace {

constexpr double kPerSecond[4] = {1e9, 1e6, 1e3, 1.0};
constexpr const char* kNames[4] = {"ns", "μs", "ms", "sec"};

bool IsUnit(int unit) { return unit >= kNanoseconds && unit <= kSeconds; }

// Truncated towards zero, kept inside int.
int WholePart(double value) {
    if (!(value > -2147483648.0)) return -2147483647 - 1;
    if (!(value < 2147483647.0)) return 2147483647;
    return static_cast<int>(value);
}

// Unit conversions of decimal values land a rounding error away from whole
// numbers (0.00001 s is 9.999999999999999 us); such values are taken as
// the whole number they stand for.
double Settled(double value) {
    const double whole = std::round(value);
    return std::fabs(value - whole) < 1e-9 * std::fmax(1.0, std::fabs(value)) ? whole : value;
}

}  // namespace

const char* UnitName(int unit) { return IsUnit(unit) ? kNames[unit] : ""; }

int UnitFor(double seconds) {
    if (seconds > 1.0) return kSeconds;
    if (seconds >= 0.001) return kMilliseconds;
    if (seconds >= 0.000001) return kMicroseconds;
    return kNanoseconds;
}

double InUnit(double seconds, int unit) {
    return IsUnit(unit) ? Settled(seconds * kPerSecond[unit]) : seconds;
}

double SecondsFrom(double value, int unit) {
    return IsUnit(unit) ? value / kPerSecond[unit] : value;
}

std::string FormatInUnit(double value) {
    const double fraction = std::fabs(value - std::trunc(value));
    char text[64];
    if (fraction >= 0.001) {
        std::snprintf(text, sizeof text, "%.3f", value);
    } else if (fraction >= 0.000001) {
        std::snprintf(text, sizeof text, "%.6f", value);
    } else {
        std::snprintf(text, sizeof text, "%d", WholePart(value));
    }
    return text;
}

std::string RangeLabel(double minimumSeconds, double maximumSeconds) {
    const int low = UnitFor(minimumSeconds);
    const int high = UnitFor(maximumSeconds);
    char text[128];
    std::snprintf(text, sizeof text, "range: %d%s - %d%s",
                  WholePart(InUnit(minimumSeconds, low)), kNames[low],
                  WholePart(InUnit(maximumSeconds, high)), kNames[high]);
    return text;
}

std::string MillisecondsLabel(int tenths) {
    char text[64];
    std::snprintf(text, sizeof text, "=%.2fms", tenths / 10.0);
    return text;
}

}  // namespace nodrix::settings
