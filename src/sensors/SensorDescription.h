#pragma once
// The record of sizes, window, limits and current values that every sensor
// driver fills in its constructor and keeps current. The camera core reads
// the fields directly and writes the window back after a window change.
//
// A "group" is five fields: minimum, maximum, current, default and a
// supported flag (nonzero when the sensor has the feature).

#include <cstdint>

namespace nodrix {

struct SensorDescription {
    // Full pixel array delivered by the sensor.
    std::int32_t maxWidth;
    std::int32_t maxHeight;
    // Window applied by ApplyDefaults.
    std::int32_t defaultX;
    std::int32_t defaultY;
    std::int32_t defaultWidth;
    std::int32_t defaultHeight;
    // 1 when x/width (y/height) may differ from the full array.
    std::int32_t horizontalWindowing;
    std::int32_t verticalWindowing;
    // Current readout window.
    std::int32_t windowX;
    std::int32_t windowY;
    std::int32_t windowWidth;
    std::int32_t windowHeight;
    // Sensor clocks per line.
    std::int32_t lineLength;
    // Line count of a frame for the current window, as the driver computes it.
    std::int32_t frameLines;
    // Fifth argument of the last SetWindow, and the one some drivers' defaults use.
    std::int32_t windowMode;
    std::int32_t defaultWindowMode;

    // Analog gain code.
    std::int32_t gainMin;
    std::int32_t gainMax;
    std::int32_t gainCurrent;
    std::int32_t gainDefault;
    std::int32_t gainSupported;

    // Exposure in sensor lines.
    std::int32_t exposureLinesMin;
    std::int32_t exposureLinesMax;
    std::int32_t exposureLinesCurrent;
    std::int32_t exposureLinesDefault;
    std::int32_t exposureLinesSupported;

    // Per-colour sensor gains; the red group's limits are the ones shared by
    // all four colour gains.
    std::int32_t redGainMin;
    std::int32_t redGainMax;
    std::int32_t redGainCurrent;
    std::int32_t redGainDefault;
    std::int32_t redGainSupported;

    std::int32_t green1GainMin;
    std::int32_t green1GainMax;
    std::int32_t green1GainCurrent;
    std::int32_t green1GainDefault;
    std::int32_t green1GainSupported;

    std::int32_t green2GainMin;
    std::int32_t green2GainMax;
    std::int32_t green2GainCurrent;
    std::int32_t green2GainDefault;
    std::int32_t green2GainSupported;

    std::int32_t blueGainMin;
    std::int32_t blueGainMax;
    std::int32_t blueGainCurrent;
    std::int32_t blueGainDefault;
    std::int32_t blueGainSupported;

    // Exposure in units of 0.1 ms (no supported flag).
    std::int32_t exposureTenthsMin;
    std::int32_t exposureTenthsMax;
    std::int32_t exposureTenthsCurrent;
    std::int32_t exposureTenthsDefault;

    // Sensor black level.
    std::int32_t blackLevelMin;
    std::int32_t blackLevelMax;
    std::int32_t blackLevelCurrent;
    std::int32_t blackLevelDefault;
    std::int32_t blackLevelSupported;

    // Coarse analog gain step (an index into a label table).
    std::int32_t gainStepMin;
    std::int32_t gainStepMax;
    std::int32_t gainStepCurrent;
    std::int32_t gainStepDefault;
    std::int32_t gainStepSupported;

    // Exposure in seconds.
    double exposureSecondsMin;
    double exposureSecondsMax;
    double exposureSecondsCurrent;
    double exposureSecondsDefault;
    std::int32_t exposureSecondsSupported;

    // Exposure time reported while the short-exposure mode is on.
    double shortExposureSeconds;
    std::int32_t shortExposureMode;

    // Vertical and horizontal flip.
    std::int32_t mirrorVCurrent;
    std::int32_t mirrorVDefault;
    std::int32_t mirrorVSupported;
    std::int32_t mirrorHCurrent;
    std::int32_t mirrorHDefault;
    std::int32_t mirrorHSupported;

    // 8 or 16: sample width on the USB link.
    std::int32_t bitsPerPixel;
    // Sensor clock in kHz.
    std::int32_t pixelClockKHz;
    // 1 to 4: with 2 and 4 the core reverses the pixels of every row; 3 and 4
    // invert the row-order rule the core applies for 1 and 2.
    std::int32_t orientationCode;
};

}  // namespace nodrix
