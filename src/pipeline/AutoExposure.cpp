#include "pipeline/AutoExposure.h"

#include <algorithm>
#include <cstdint>

namespace nodrix::pipeline {

namespace {

imaging::KernelRect Window(int width, int height, double left, double top, double right,
                           double bottom) {
    return {static_cast<int>(left * width), static_cast<int>(top * height),
            static_cast<int>(right * width), static_cast<int>(bottom * height)};
}

}  // namespace

std::array<imaging::KernelRect, kExposureWindowCount> ExposureWindows(int width, int height) {
    return {Window(width, height, 0.1, 0.1, 0.2, 0.2), Window(width, height, 0.1, 0.8, 0.2, 0.9),
            Window(width, height, 0.45, 0.45, 0.55, 0.55),
            Window(width, height, 0.8, 0.1, 0.9, 0.2), Window(width, height, 0.8, 0.8, 0.9, 0.9)};
}

double ExposureFactor(const std::array<int, kExposureWindowCount>& means) {
    // Counted in whole percent, so that five bright windows give exactly a
    // quarter rather than a hair below it.
    int percent = 100;
    for (int mean : means) {
        if (mean > 200) {
            percent -= 15;
        } else if (mean > 160) {
            percent -= 10;
        } else if (mean < 50) {
            percent += 10;
        } else if (mean < 100) {
            percent += 5;
        }
    }
    return percent / 100.0;
}

int CorrectedGain(int gain, double factor, int minimum, int maximum) {
    int value = static_cast<int>(std::max(gain, 4) * factor);
    if (value < minimum) value = minimum;
    if (value >= maximum) value = maximum;
    return value;
}

int CorrectedExposure(int exposure, double factor, int minimum, int maximum) {
    int value = static_cast<std::uint16_t>(static_cast<int>(exposure * factor));
    if (value == 0) value = 1;
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return value;
}

}  // namespace nodrix::pipeline
