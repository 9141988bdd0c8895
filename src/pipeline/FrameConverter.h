#pragma once
// The per-frame conversion pipeline: automatic exposure, flat-field and
// defect filters, grey correction, software mirroring, demosaicing with
// white balance, then the tone adjustments. A function of the raw frame, the
// parameter blocks and the camera's own flips alone: it writes the output
// image of the colour mode and returns what its automatic stages measured,
// for the caller to apply to its blocks and the camera. Each step runs only
// when its parameter differs from neutral; the pipeline never fails and
// allocates nothing per frame (a missing buffer only skips its step).

#include <array>
#include <cstdint>

#include "imaging/CDibImage.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/RecursiveLock.h"

namespace nodrix::pipeline {

// The image buffers the pipeline reads and writes.
struct PipelineImages {
    imaging::CDibImage* raw8 = nullptr;
    imaging::CDibImage* raw16 = nullptr;
    imaging::CDibImage* rgb24 = nullptr;
    imaging::CDibImage* rgb32 = nullptr;
    imaging::CDibImage* rgb48 = nullptr;
    imaging::CDibImage* rgb64 = nullptr;
    imaging::CDibImage* scratch = nullptr;
    imaging::CDibImage* dark8 = nullptr;
    imaging::CDibImage* white8 = nullptr;
    imaging::CDibImage* dark16 = nullptr;
    imaging::CDibImage* white16 = nullptr;
    imaging::CDibImage* defectDark8 = nullptr;
    imaging::CDibImage* defectWhite8 = nullptr;
    imaging::CDibImage* defectDark16 = nullptr;
    imaging::CDibImage* defectWhite16 = nullptr;
    imaging::CDibImage* mark8 = nullptr;
    imaging::CDibImage* mark16 = nullptr;
};

// This camera's 16-bit frames carry 12-bit samples (0..4095).
constexpr int kCameraSampleBits16 = 12;

// Colour modes 1, 4 and 5 (16, 48 and 64 bits) start from a 16-bit raw
// frame, the others from an 8-bit one.
constexpr bool IsSixteenBitRaw(int colorMode) {
    return colorMode == 1 || colorMode == 4 || colorMode == 5;
}

// Everything one conversion reads. The blocks are read only: what the
// automatic stages measure comes back in the findings.
struct PipelineContext {
    PipelineImages images;
    const ImageParameters* imageParams = nullptr;
    const CameraParameters* cameraParams = nullptr;
    CaptureGeometry geometry;
    int colorMode = 0;  // 0..5: 8, 16, 24, 32, 48, 64 bits
    // Significant bits of the camera's 16-bit samples; the pipeline records
    // in the output image what its steps make of them.
    int cameraSampleBits16 = kCameraSampleBits16;
    bool maskFilter = false;
    bool dotFilter = false;
    // The directions the camera flips the frame itself; the software mirror
    // does the rest.
    bool hardwareMirrorH = false;
    bool hardwareMirrorV = false;
    // Whether there is a camera whose exposure or gain the automatic
    // exposure may ask to correct.
    bool exposureCorrectable = false;
    // Held while the mask planes are read; may be null.
    platform::RecursiveLock* maskLock = nullptr;
};

// What one conversion measured.
struct PipelineFindings {
    // The automatic exposure's factor for the camera's exposure (mode 1) or
    // gain (mode 2); mode 0 when neither is to change.
    int exposureMode = 0;
    double exposureFactor = 1.0;
    // The white balance measured: the red, green and blue gains, and whether
    // the one-shot balance restored from the settings is over (its flag and
    // two words cleared).
    bool whiteBalanceMeasured = false;
    bool whiteBalanceOneShotEnded = false;
    std::array<std::int32_t, 3> bayerGains{};
    // The grey gains and offsets measured, and the frames of automatic grey
    // gain left.
    bool greyGainsMeasured = false;
    std::array<std::int32_t, 4> greyGain{};
    std::array<std::int32_t, 4> greyOffset{};
    std::int32_t autoGreyGainLeft = 0;

    bool ImageMeasured() const { return whiteBalanceMeasured || greyGainsMeasured; }
    // Writes what was measured into the image block.
    void ApplyTo(ImageParameters& image) const;
};

// The raw frame buffer of a colour mode: raw16 for modes 1, 4, 5.
imaging::CDibImage* RawImageOf(const PipelineImages& images, int colorMode);
// The output image of a colour mode.
imaging::CDibImage* OutputImageOf(const PipelineImages& images, int colorMode);

// Puts image in the place of the colour mode's output. A grey mode converts
// its raw frame in place, so image then holds the raw frame too.
void SetOutputImage(PipelineImages& images, int colorMode, imaging::CDibImage* image);

// Runs the pipeline once on the raw frame of the context's colour mode into
// the output image of that mode.
PipelineFindings ConvertFrame(const PipelineContext& context);

// Whether ConvertFrame would leave a grey frame exactly as it came: a grey
// colour mode with no step enabled. Such a frame may go to the application
// without passing through the raw image.
bool ConvertsNothing(const PipelineContext& context);

}  // namespace nodrix::pipeline
