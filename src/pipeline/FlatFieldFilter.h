#pragma once
// Flat-field correction: every pixel is rescaled between its dark and white
// reference, taken from the full-sensor mask frames at the pixel's position
// on the sensor.

#include "imaging/CDibImage.h"

namespace nodrix::pipeline {

// The frame border the correction leaves alone: two pixels when the window
// spans the sensor's full width or height, else none.
int FlatFieldBorder(int captureWidth, int captureHeight);

// 8-bit: where dark != white, p = (p - dark) * 256 / (white - dark), clamped
// to 0..255. (horizontalStart, verticalStart) is the window's place on the
// sensor. Pixels whose reference lies outside the mask frames are left alone.
void ApplyFlatField8(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                     const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                     int border);

// 16-bit: where dark < white, p = (p - dark) * 4096 / (white - dark) in 64-bit
// arithmetic, clamped to 0..4095, then scaled by 16.
void ApplyFlatField16(imaging::CDibImage& frame, const imaging::CDibImage& dark,
                      const imaging::CDibImage& white, int horizontalStart, int verticalStart,
                      int border);

}  // namespace nodrix::pipeline
