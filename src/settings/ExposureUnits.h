#pragma once
// The units the analog dialog shows an exposure in seconds with, and the
// texts it writes for it.

#include <string>

namespace nodrix::settings {

enum ExposureUnit { kNanoseconds = 0, kMicroseconds = 1, kMilliseconds = 2, kSeconds = 3 };

// "ns", "μs", "ms", "sec".
const char* UnitName(int unit);
// The unit a value reads best in: sec above 1 s, ms from 1 ms, μs from 1 μs,
// else ns.
int UnitFor(double seconds);
double InUnit(double seconds, int unit);
double SecondsFrom(double value, int unit);
// Three decimals when the fraction reaches a thousandth, six when it
// reaches a millionth, else the whole number.
std::string FormatInUnit(double value);
// "range: 10μs - 2sec": both ends in their own unit, truncated.
std::string RangeLabel(double minimumSeconds, double maximumSeconds);
// "=12.50ms" for an exposure in tenths of a millisecond.
std::string MillisecondsLabel(int tenths);

}  // namespace nodrix::settings
