#pragma once
// The parameter blocks and the capture geometry a connection keeps, plain
// data shared by the connection and the settings that store them. The
// blocks are contiguous runs of 32-bit words (the image dialog restores the
// image block whole on cancel, and the settings store them word by word).

#include <cstdint>

#include "catalogue/CameraCatalogue.h"

namespace nodrix {

// Software image parameters (filter codes 1-12 and 19-28).
struct ImageParameters {
    std::int32_t brightness = 0;
    std::int32_t contrast = 0;
    std::int32_t hue = 0;
    std::int32_t saturation = 0;
    std::int32_t sharpness = 0;
    std::int32_t bayerGainRed = 0;
    std::int32_t bayerGainGreen = 0;
    std::int32_t bayerGainBlue = 0;
    std::int32_t gamma = 0;
    std::int32_t bayerMode = 0;
    std::int32_t unstored = 0;  // kept for the block's layout; never saved
    std::int32_t greyMode = 0;
    std::int32_t greyGain[4] = {0, 0, 0, 0};    // red, green1, green2, blue
    std::int32_t greyOffset[4] = {0, 0, 0, 0};  // red, green1, green2, blue
    // The nine words after the grey offsets.
    std::int32_t autoWhiteBalance = 0;
    std::int32_t whiteBalanceWord1 = 0;  // no setter; restored state only
    std::int32_t whiteBalanceWord2 = 0;
    std::int32_t autoGreyGain = 0;
    std::int32_t reserved[5] = {0, 0, 0, 0, 0};
};
static_assert(sizeof(ImageParameters) == 29 * 4, "image parameter block is 29 words");

// Camera parameters, forwarded to the camera core and reapplied on
// preparation and camera selection.
struct CameraParameters {
    std::int32_t globalGain = 0;
    std::int32_t green1Gain = 0;
    std::int32_t redGain = 0;
    std::int32_t blueGain = 0;
    std::int32_t green2Gain = 0;
    std::int32_t exposure = 0;  // tenths of a millisecond
    std::int32_t mirrorV = 0;
    std::int32_t mirrorH = 0;
    std::int32_t autoIris = 0;       // 0 off, 1 exposure, 2 gain
    std::int32_t blackLevel = 0;     // option 106
    std::int32_t peltier = 0;        // option 100
    std::int32_t shortExposure = 0;  // option 105
    std::int32_t gainMode = 0;       // option 104
    double exposureSeconds = 0.0;

    bool operator==(const CameraParameters&) const = default;
};

// The capture window in registry order ("TH", "TV", "EH", "EV", "EHS",
// "EVS", "Buf").
struct CaptureGeometry {
    std::int32_t horizontalTotal = catalogue::kConnectionSensor.width;
    std::int32_t verticalTotal = catalogue::kConnectionSensor.height;
    std::int32_t width = catalogue::kConnectionSensor.width;
    std::int32_t height = catalogue::kConnectionSensor.height;
    std::int32_t horizontalStart = 0;
    std::int32_t verticalStart = 0;
    std::int32_t bufferCount = 4;
};

// The sensor's full frame, also the size of the mask planes.
inline constexpr int kSensorWidth = catalogue::kConnectionSensor.width;
inline constexpr int kSensorHeight = catalogue::kConnectionSensor.height;

// Bits per pixel of colour modes 0-5.
inline constexpr int kColorModeBits[6] = {8, 16, 24, 32, 48, 64};

}  // namespace nodrix
