#pragma once
// What the camera dialog keeps in the settings store: the size presets of
// one camera with the index of the current one, and the connection values.

#include <array>
#include <cstdint>

#include "pipeline/ParameterBlocks.h"
#include "settings/SettingsKeys.h"

namespace nodrix::settings {

struct DialogValues {
    // Every preset starts as the full frame with four buffers.
    std::array<CaptureGeometry, kMaxPresets> presets{};
    int presetCount = 0;
    std::int32_t sizeIndex = 0;
    std::int32_t colorMode = 2;
    std::int32_t subSample = 0;
    std::int32_t waitTime = 1;
    std::int32_t clock = 0;
};

// Reads Camera_NN: its presets Size_00, Size_01, ... up to the first one
// missing, then "Size", "Color", "SubSample", "WaitTime" and "Clock" (a
// missing value leaves its field). False, with values unchanged, when the
// camera's key is missing.
bool LoadDialogValues(int camera, DialogValues& values);

// Writes the presets the dialog holds (stopping at the first key that
// cannot be created) and the five values into Camera_NN.
bool SaveDialogValues(int camera, const DialogValues& values);

}  // namespace nodrix::settings
