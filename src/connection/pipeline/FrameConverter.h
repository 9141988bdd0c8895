#pragma once
// The per-frame conversion pipeline: automatic exposure, flat-field and
// defect filters, grey correction, software mirroring, demosaicing with
// white balance, then the tone adjustments. Each step runs only when its
// parameter differs from neutral; the pipeline never fails and allocates
// nothing per frame (a missing buffer only skips its step).

#include <array>

#include "imaging/CDibImage.h"
#include "platform/RecursiveLock.h"
#include "settings/ParameterBlocks.h"

namespace nodrix {
class CameraControls;
class CNodrixU3T2Base;
}
namespace nodrix::settings {
class LiveDialogs;
}

namespace nodrix::pipeline {

// The connection's image buffers the pipeline reads and writes.
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

// Everything one conversion needs from the connection. The image block is
// written back by the automatic white balance and grey gains; the camera
// block is a copy taken for this conversion, and the automatic exposure
// goes through the owner of the camera parameters.
struct PipelineContext {
    PipelineImages images;
    ImageParameters* imageParams = nullptr;
    const CameraParameters* cameraParams = nullptr;
    CaptureGeometry geometry;
    int colorMode = 0;  // 0..5: 8, 16, 24, 32, 48, 64 bits
    // Significant bits of the camera's 16-bit samples; the pipeline records
    // in the output image what its steps make of them.
    int cameraSampleBits16 = kCameraSampleBits16;
    bool maskFilter = false;
    bool dotFilter = false;
    CNodrixU3T2Base* core = nullptr;     // null: no hardware flips
    CameraControls* controls = nullptr;  // null: no automatic exposure
    platform::RecursiveLock* maskLock = nullptr;
    // Open dialogs told of the automatic stages' changes; may be null.
    settings::LiveDialogs* dialogs = nullptr;
};

// The raw frame buffer of a colour mode: raw16 for modes 1, 4, 5.
imaging::CDibImage* RawImageOf(const PipelineImages& images, int colorMode);
// The output image of a colour mode.
imaging::CDibImage* OutputImageOf(const PipelineImages& images, int colorMode);

// Runs the pipeline once on the raw frame of the context's colour mode.
void ConvertFrame(PipelineContext& context);

// Whether ConvertFrame would leave a grey frame exactly as it came: a grey
// colour mode with no step enabled. Such a frame may go to the application
// without passing through the raw image.
bool ConvertsNothing(const PipelineContext& context);

}  // namespace nodrix::pipeline
