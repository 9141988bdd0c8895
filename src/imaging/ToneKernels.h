#pragma once
// Tone and colour adjustments of the finished frame: brightness, contrast,
// gamma, sharpness, hue and saturation. Each exists for 8-bit grey, 16-bit
// grey, 24/32-bit colour and 48/64-bit colour (hue and saturation for colour
// only: grey pixels have no hue). The parameter is a pointer to the int
// value, except for hue and saturation (HueSaturationParams). Colour variants
// treat the three colour samples alike and leave the fourth alone.

#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging {

// Brightness -255..255: a factor of 1 - |v|/255 below 0 and 1 + 10v/255
// above; samples are multiplied and truncated.
NODRIX_PIXEL_KERNEL(Brightness8);
NODRIX_PIXEL_KERNEL(Brightness16);
NODRIX_PIXEL_KERNEL(BrightnessColor8);
NODRIX_PIXEL_KERNEL(BrightnessColor16);

// Contrast -127..127: a linear stretch about the ends of the range.
NODRIX_PIXEL_KERNEL(Contrast8);
NODRIX_PIXEL_KERNEL(Contrast16);
NODRIX_PIXEL_KERNEL(ContrastColor8);
NODRIX_PIXEL_KERNEL(ContrastColor16);

// Gamma 0..200 (percent): sample = max * (sample / max)^(100 / gamma).
NODRIX_PIXEL_KERNEL(Gamma8);
NODRIX_PIXEL_KERNEL(Gamma16);
NODRIX_PIXEL_KERNEL(GammaColor8);
NODRIX_PIXEL_KERNEL(GammaColor16);

// Sharpness 0..30 (tenths): an unsharp mask against the 4 x 4 box mean.
// The destination is the image to sharpen; the source a copy of it (a
// separate image: the kernel refuses to work in place). The two outer rows
// and columns keep the destination's values.
NODRIX_PIXEL_KERNEL(Sharpness8);
NODRIX_PIXEL_KERNEL(Sharpness16);
NODRIX_PIXEL_KERNEL(SharpnessColor8);
NODRIX_PIXEL_KERNEL(SharpnessColor16);

// Hue rotation and saturation in an integer hexcone model, on the high
// bytes of the samples. HueSaturationParams.
NODRIX_PIXEL_KERNEL(HueSaturationColor8);
NODRIX_PIXEL_KERNEL(HueSaturationColor16);

// The rotation of a hue in degrees as the hexcone sector 0..5 and the offset
// 0..254 within it.
void HueRotation(int hue, int& sector, int& offset);

// The brightness factor of a value, in single precision.
float BrightnessFactor(int value);

// The tables of the curves, as the kernels use them (built once per value
// and thread, then reused while the value stays).
const std::uint8_t* BrightnessTable8(int value);
const std::uint16_t* BrightnessTable16(int value);
const std::uint8_t* ContrastTable8(int value);
const std::uint16_t* ContrastTable16(int value);
const std::uint8_t* GammaTable8(int value);
const std::uint16_t* GammaTable16(int value);

// The 16-bit contrast curve computed as its line rather than looked up:
// the curve and the vectorised run that gives exactly the table's entries
// for every sample (checked once per value and thread): the single-precision
// product with the nearest of a few single-precision slopes where one does,
// else the double-precision product of the table's own formula. Null when
// neither does; the table is looked up then.
struct ComputedCurve16 {
    rows::Curve16 curve;
    rows::Run16Fn run = nullptr;
};
const ComputedCurve16* ContrastLine16(int value);

}  // namespace nodrix::imaging
