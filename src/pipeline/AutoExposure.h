#pragma once
// Automatic exposure: five windows of the raw frame are measured and their
// mean levels vote for a correction factor of the exposure or gain.

#include <array>

#include "imaging/PixelKernel.h"

namespace nodrix::pipeline {

inline constexpr int kExposureWindowCount = 5;

// The measurement windows of a width x height frame: the four corners at
// 10-20 % / 80-90 % of each side and the centre at 45-55 %.
std::array<imaging::KernelRect, kExposureWindowCount> ExposureWindows(int width, int height);

// The factor the windows' mean levels (0..255) ask for: each bright window
// lowers it, each dark one raises it.
double ExposureFactor(const std::array<int, kExposureWindowCount>& means);

// Within (0.6, 1.2) the exposure is left as it is.
inline bool ExposureFactorIsNeutral(double factor) {
    return factor > 0.6 && factor < 1.2;
}

// The new gain code for the gain mode: trunc(max(gain, 4) * factor) brought
// into [minimum, maximum] (a value at or above the maximum becomes it).
int CorrectedGain(int gain, double factor, int minimum, int maximum);

// The new exposure (tenths of a millisecond) for the exposure mode:
// trunc(exposure * factor) taken to 16 bits, 1 instead of 0, then brought
// into [minimum, maximum].
int CorrectedExposure(int exposure, double factor, int minimum, int maximum);

}  // namespace nodrix::pipeline
