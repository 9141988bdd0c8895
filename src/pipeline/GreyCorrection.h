#pragma once
// When the per-channel grey correction can be skipped.

#include <array>

namespace nodrix::pipeline {

// Gains of 128 are neutral; with them, offsets that are all 0 change
// nothing, and offsets that are all 128 are the defaults a fresh camera
// starts with, which users expect to leave the frame as it came.
inline bool GreyCorrectionIsNeutral(const std::array<int, 4>& gains,
                                    const std::array<int, 4>& offsets) {
    for (int gain : gains) {
        if (gain != 128) return false;
    }
    const bool allZero = offsets[0] == 0 && offsets[1] == 0 && offsets[2] == 0 && offsets[3] == 0;
    const bool allDefault =
        offsets[0] == 128 && offsets[1] == 128 && offsets[2] == 128 && offsets[3] == 128;
    return allZero || allDefault;
}

}  // namespace nodrix::pipeline
