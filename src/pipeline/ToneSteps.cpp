#include "pipeline/ToneSteps.h"

#include <cstring>

#include "imaging/ToneKernels.h"

namespace nodrix::pipeline {

namespace {

using imaging::PixelKernel;

// One adjustment in its four variants by output format.
struct ToneKernelSet {
    PixelKernel grey8;
    PixelKernel grey16;
    PixelKernel colour8;   // 24/32-bit
    PixelKernel colour16;  // 48/64-bit
};

constexpr ToneKernelSet kGamma{imaging::Gamma8, imaging::Gamma16, imaging::GammaColor8,
                               imaging::GammaColor16};
constexpr ToneKernelSet kContrast{imaging::Contrast8, imaging::Contrast16, imaging::ContrastColor8,
                                  imaging::ContrastColor16};
constexpr ToneKernelSet kSharpness{imaging::Sharpness8, imaging::Sharpness16,
                                   imaging::SharpnessColor8, imaging::SharpnessColor16};
constexpr ToneKernelSet kBrightness{imaging::Brightness8, imaging::Brightness16,
                                    imaging::BrightnessColor8, imaging::BrightnessColor16};

PixelKernel ForColorMode(const ToneKernelSet& set, int colorMode) {
    switch (colorMode) {
        case 0:
            return set.grey8;
        case 1:
            return set.grey16;
        case 2:
        case 3:
            return set.colour8;
        default:
            return set.colour16;
    }
}

void Adjust(imaging::CDibImage& output, const ToneKernelSet& set, int colorMode, int value) {
    output.Apply(ForColorMode(set, colorMode), output, nullptr, 0, 0, &value);
}

}  // namespace

void ApplyToneSteps(const ImageParameters& p, const PipelineImages& images, int colorMode,
                    imaging::CDibImage& output) {
    const int mode = colorMode;
    if (mode >= 2 && (p.hue != 0 || p.saturation != 0)) {
        imaging::HueSaturationParams params;
        params.hue = p.hue;
        params.lightness = 0;
        params.saturation = p.saturation;
        params.sampleBits = 16;
        output.Apply(mode <= 3 ? imaging::HueSaturationColor8 : imaging::HueSaturationColor16,
                     output, nullptr, 0, 0, &params);
        // The 16-bit variant writes its 8-bit results as the high bytes.
        if (mode >= 4) output.SetSignificantBits(16);
    }
    if (p.gamma != 100) Adjust(output, kGamma, mode, p.gamma);
    if (p.contrast != 0) Adjust(output, kContrast, mode, p.contrast);
    if (p.sharpness != 0) {
        // The kernel reads an untouched copy of the frame.
        imaging::CDibImage* scratch = images.scratch;
        // The output may be a view of packed rows while the copy has padded
        // ones, so the rows are copied one by one.
        if (scratch != nullptr && !scratch->Empty() && scratch->Width() == output.Width() &&
            scratch->Height() == output.Height() && scratch->Bits() == output.Bits()) {
            const std::size_t rowBytes =
                static_cast<std::size_t>(output.Width()) * output.BytesPerPixel();
            for (int row = 0; row < output.Height(); ++row) {
                std::memcpy(scratch->Row(row), output.Row(row), rowBytes);
            }
            int value = p.sharpness;
            output.Apply(ForColorMode(kSharpness, mode), *scratch, nullptr, 0, 0, &value);
        }
    }
    if (p.brightness != 0) Adjust(output, kBrightness, mode, p.brightness);
}

}  // namespace nodrix::pipeline
