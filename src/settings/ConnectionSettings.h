#pragma once
// The per-camera connection values (colour mode, subsampling, wait time,
// clock) and the capture geometry with its size presets.

#include <cstdint>

#include "pipeline/ParameterBlocks.h"

namespace nodrix::settings {

// Which output formats the camera offers; decides the default colour mode
// and the correction of a stored one.
struct OutputFormats {
    bool eightBit = true;
    bool sixteenBit = true;
    bool color = true;
};

struct ConnectionValues {
    std::int32_t colorMode = 0;
    std::int32_t subSample = 0;
    std::int32_t waitTime = 10;
    std::int32_t clock = 0;
};

// Reads the values of Camera_NN. Values that are missing or out of range
// leave their field unchanged. False (nothing changed) when the key is
// missing.
bool LoadConnectionValues(int device, ConnectionValues& values);

// The colour mode a camera with these formats can deliver instead of mode.
std::int32_t CorrectColorMode(std::int32_t mode, const OutputFormats& formats);

// Reads the current preset of Camera_NN into geometry. On first use (no
// root key) creates the root key, Camera_NN with its connection values and
// Size_00 with the full frame, and returns false with geometry unchanged.
// A missing key or value, or a preset that does not fit the sensor, also
// returns false with geometry unchanged.
bool LoadCaptureGeometry(int device, CaptureGeometry& geometry, const OutputFormats& formats,
                         const ConnectionValues& defaults);

// Looks for the first preset directly under the root key whose width and
// height match. rootMissing tells a missing root key from a missing preset.
bool FindRootPreset(int width, int height, CaptureGeometry& geometry, bool* rootMissing);

// Whether the capture window lies inside the sensor.
bool WindowFitsSensor(const CaptureGeometry& geometry);

}  // namespace nodrix::settings
