#include "pipeline/FrameConverter.h"

#include <algorithm>
#include <mutex>

#include "imaging/ConversionKernels.h"
#include "pipeline/AutoExposure.h"
#include "pipeline/BayerPhase.h"
#include "pipeline/DefectPixelFilter.h"
#include "pipeline/FlatFieldFilter.h"
#include "pipeline/GreyCorrection.h"
#include "pipeline/SoftwareMirror.h"
#include "pipeline/ToneSteps.h"

namespace nodrix::pipeline {

using imaging::CDibImage;

namespace {

bool Usable(const CDibImage* image) {
    return image != nullptr && !image->Empty();
}

// One conversion: the context, a working copy of the image block that the
// automatic stages measure into (later steps of the same frame use what they
// measured), and the findings.
struct Conversion {
    const PipelineContext& c;
    ImageParameters p;
    PipelineFindings found;
};

// --- Automatic exposure ------------------------------------------------------

void RunAutoExposure(Conversion& v, CDibImage& raw) {
    const int mode = v.c.cameraParams->autoIris;
    if ((mode != 1 && mode != 2) || !v.c.exposureCorrectable) return;
    const imaging::PixelKernel mean =
        raw.Bits() == 16 ? imaging::MeanOfRect16 : imaging::MeanOfRect8;
    std::array<int, kExposureWindowCount> means{};
    const auto windows = ExposureWindows(raw.Width(), raw.Height());
    int significantBits = raw.SignificantBits();
    for (int i = 0; i < kExposureWindowCount; ++i) {
        // The mean kernel writes nothing; the frame stands in as destination.
        means[i] =
            raw.Apply(mean, raw, &windows[i], windows[i].left, windows[i].top, &significantBits);
    }
    const double factor = ExposureFactor(means);
    if (ExposureFactorIsNeutral(factor)) return;
    v.found.exposureMode = mode;
    v.found.exposureFactor = factor;
}

// --- Mask and dot filters ----------------------------------------------------

void RunMaskFilters(const PipelineContext& c, CDibImage& raw) {
    if (!c.maskFilter && !c.dotFilter) return;
    std::unique_lock<platform::RecursiveLock> guard;
    if (c.maskLock != nullptr) guard = std::unique_lock<platform::RecursiveLock>(*c.maskLock);
    const PipelineImages& im = c.images;
    const bool sixteen = raw.Bits() == 16;
    if (c.maskFilter) {
        const int border = FlatFieldBorder(c.geometry.width, c.geometry.height);
        CDibImage* dark = sixteen ? im.dark16 : im.dark8;
        CDibImage* white = sixteen ? im.white16 : im.white8;
        if (Usable(dark) && Usable(white)) {
            if (sixteen) {
                ApplyFlatField16(raw, *dark, *white, c.geometry.horizontalStart,
                                 c.geometry.verticalStart, border);
                // The correction scales the samples to the full 16 bits.
                raw.SetSignificantBits(16);
            } else {
                ApplyFlatField8(raw, *dark, *white, c.geometry.horizontalStart,
                                c.geometry.verticalStart, border);
            }
        }
    }
    if (c.dotFilter) {
        CDibImage* mark = sixteen ? im.mark16 : im.mark8;
        CDibImage* dark = sixteen ? im.defectDark16 : im.defectDark8;
        CDibImage* white = sixteen ? im.defectWhite16 : im.defectWhite8;
        static const CDibImage kNoMap;
        if (Usable(mark)) {
            const CDibImage& darkMap = Usable(dark) ? *dark : kNoMap;
            const CDibImage& whiteMap = Usable(white) ? *white : kNoMap;
            if (sixteen) {
                ApplyDefectFilter16(raw, *mark, darkMap, whiteMap, kDefectThreshold16);
            } else {
                ApplyDefectFilter8(raw, *mark, darkMap, whiteMap, kDefectThreshold8);
            }
        }
    }
}

// --- Demosaicing ---------------------------------------------------------------

imaging::DemosaicParams DemosaicParamsOf(const PipelineContext& c, const ImageParameters& p) {
    imaging::DemosaicParams params;
    params.bayerMode =
        EffectiveBayerMode(p.bayerMode, c.cameraParams->mirrorV != 0, c.cameraParams->mirrorH != 0);
    params.redGain = p.bayerGainRed;
    params.greenGain = p.bayerGainGreen;
    params.blueGain = p.bayerGainBlue;
    return params;
}

void MeasureWhiteBalance(Conversion& v, CDibImage& raw, imaging::DemosaicParams& params) {
    ImageParameters& p = v.p;
    if (p.autoWhiteBalance == 0) return;
    imaging::DemosaicParams measured = params;
    raw.Apply(raw.Bits() == 16 ? imaging::WhiteBalanceStats16 : imaging::WhiteBalanceStats8, raw,
              nullptr, 0, 0, &measured);
    params.redGain = p.bayerGainRed = std::min(measured.redGain, 400);
    params.greenGain = p.bayerGainGreen = std::min(measured.greenGain, 400);
    params.blueGain = p.bayerGainBlue = std::min(measured.blueGain, 400);
    v.found.whiteBalanceMeasured = true;
    v.found.bayerGains = {p.bayerGainRed, p.bayerGainGreen, p.bayerGainBlue};
    if (p.whiteBalanceWord1 != 0 && p.whiteBalanceWord2 != 0) {
        p.autoWhiteBalance = p.whiteBalanceWord1 = p.whiteBalanceWord2 = 0;
        v.found.whiteBalanceOneShotEnded = true;
    }
}

// Demosaics raw into colour with the interior kernel, then the border.
void Demosaic(Conversion& v, CDibImage& raw, CDibImage& colour) {
    imaging::DemosaicParams params = DemosaicParamsOf(v.c, v.p);
    MeasureWhiteBalance(v, raw, params);
    colour.SetSignificantBits(raw.SignificantBits());
    if (raw.Bits() == 16) {
        colour.Apply(imaging::DemosaicInterior16, raw, nullptr, 0, 0, &params);
        colour.Apply(imaging::DemosaicBorder16, raw, nullptr, 0, 0, &params);
        return;
    }
    const imaging::PixelKernel interior =
        imaging::DemosaicInterior8For(colour.BytesPerPixel(), params);
    colour.Apply(interior, raw, nullptr, 0, 0, &params);
    colour.Apply(imaging::DemosaicBorder8, raw, nullptr, 0, 0, &params);
}

// --- Grey correction -----------------------------------------------------------

void RunGreyCorrection(Conversion& v, CDibImage& raw) {
    const PipelineContext& c = v.c;
    ImageParameters& p = v.p;
    if (p.greyMode == 1) {
        imaging::GreyGainOffsetParams params;
        params.bayerMode = p.bayerMode;
        std::copy(std::begin(p.greyGain), std::end(p.greyGain), params.gains);
        std::copy(std::begin(p.greyOffset), std::end(p.greyOffset), params.offsets);
        // Limited to the samples' significant range: 12 bits as the camera
        // sends them, 16 once the flat field has scaled them.
        params.depth = c.colorMode == 1 ? raw.SignificantBits() : 8;
        if (p.autoGreyGain != 0) {
            if (raw.Bits() == 8) raw.Apply(imaging::GreyBalanceStats8, raw, nullptr, 0, 0, &params);
            std::copy(std::begin(params.gains), std::end(params.gains), p.greyGain);
            std::copy(std::begin(params.offsets), std::end(params.offsets), p.greyOffset);
            --p.autoGreyGain;
            v.found.greyGainsMeasured = true;
            std::copy(std::begin(p.greyGain), std::end(p.greyGain), v.found.greyGain.begin());
            std::copy(std::begin(p.greyOffset), std::end(p.greyOffset), v.found.greyOffset.begin());
            v.found.autoGreyGainLeft = p.autoGreyGain;
        }
        const std::array<int, 4> gains{params.gains[0], params.gains[1], params.gains[2],
                                       params.gains[3]};
        const std::array<int, 4> offsets{params.offsets[0], params.offsets[1], params.offsets[2],
                                         params.offsets[3]};
        if (GreyCorrectionIsNeutral(gains, offsets)) return;
        raw.Apply(raw.Bits() == 16 ? imaging::GreyGainOffset16 : imaging::GreyGainOffset8, raw,
                  nullptr, 0, 0, &params);
    } else if (p.greyMode == 2) {
        // Demosaic and back to grey; the 16-bit output is left as it is.
        CDibImage* raw8 = c.images.raw8;
        CDibImage* rgb24 = c.images.rgb24;
        if (c.colorMode != 0 || !Usable(raw8) || !Usable(rgb24)) return;
        Demosaic(v, *raw8, *rgb24);
        raw8->Apply(imaging::ColorToGrey, *rgb24, nullptr, 0, 0, nullptr);
    }
}

}  // namespace

CDibImage* RawImageOf(const PipelineImages& images, int colorMode) {
    return IsSixteenBitRaw(colorMode) ? images.raw16 : images.raw8;
}

CDibImage* OutputImageOf(const PipelineImages& images, int colorMode) {
    switch (colorMode) {
        case 0:
            return images.raw8;
        case 1:
            return images.raw16;
        case 2:
            return images.rgb24;
        case 3:
            return images.rgb32;
        case 4:
            return images.rgb48;
        case 5:
            return images.rgb64;
        default:
            return nullptr;
    }
}

void SetOutputImage(PipelineImages& images, int colorMode, CDibImage* image) {
    CDibImage** const slots[6] = {&images.raw8,  &images.raw16, &images.rgb24,
                                  &images.rgb32, &images.rgb48, &images.rgb64};
    if (colorMode >= 0 && colorMode < 6) *slots[colorMode] = image;
}

void PipelineFindings::ApplyTo(ImageParameters& image) const {
    if (whiteBalanceMeasured) {
        image.bayerGainRed = bayerGains[0];
        image.bayerGainGreen = bayerGains[1];
        image.bayerGainBlue = bayerGains[2];
    }
    if (whiteBalanceOneShotEnded) {
        image.autoWhiteBalance = image.whiteBalanceWord1 = image.whiteBalanceWord2 = 0;
    }
    if (greyGainsMeasured) {
        std::copy(greyGain.begin(), greyGain.end(), std::begin(image.greyGain));
        std::copy(greyOffset.begin(), greyOffset.end(), std::begin(image.greyOffset));
        image.autoGreyGain = autoGreyGainLeft;
    }
}

PipelineFindings ConvertFrame(const PipelineContext& c) {
    if (c.imageParams == nullptr || c.cameraParams == nullptr) return {};
    Conversion v{c, *c.imageParams, {}};
    CDibImage* raw = RawImageOf(c.images, c.colorMode);
    if (!Usable(raw)) return {};
    raw->SetSignificantBits(raw->Bits() == 16 ? c.cameraSampleBits16 : 8);

    RunAutoExposure(v, *raw);
    RunMaskFilters(c, *raw);
    if (c.colorMode == 0 || c.colorMode == 1) RunGreyCorrection(v, *raw);

    MirrorFrame(*raw, PlanSoftwareMirror(c.cameraParams->mirrorH != 0, c.cameraParams->mirrorV != 0,
                                         c.hardwareMirrorH, c.hardwareMirrorV));

    CDibImage* output = OutputImageOf(c.images, c.colorMode);
    if (!Usable(output)) return v.found;
    if (output != raw) Demosaic(v, *raw, *output);
    ApplyToneSteps(v.p, c.images, c.colorMode, *output);
    return v.found;
}

bool ConvertsNothing(const PipelineContext& c) {
    if (c.imageParams == nullptr || c.cameraParams == nullptr) return true;
    if (c.colorMode != 0 && c.colorMode != 1) return false;
    const ImageParameters& p = *c.imageParams;
    const CameraParameters& camera = *c.cameraParams;
    if ((camera.autoIris == 1 || camera.autoIris == 2) && c.exposureCorrectable) return false;
    if (c.maskFilter || c.dotFilter) return false;
    if (p.greyMode == 1) {
        if (p.autoGreyGain != 0) return false;
        const std::array<int, 4> gains{p.greyGain[0], p.greyGain[1], p.greyGain[2], p.greyGain[3]};
        const std::array<int, 4> offsets{p.greyOffset[0], p.greyOffset[1], p.greyOffset[2],
                                         p.greyOffset[3]};
        if (!GreyCorrectionIsNeutral(gains, offsets)) return false;
    } else if (p.greyMode == 2 && c.colorMode == 0) {
        return false;
    }
    const MirrorPlan mirror = PlanSoftwareMirror(camera.mirrorH != 0, camera.mirrorV != 0,
                                                 c.hardwareMirrorH, c.hardwareMirrorV);
    if (mirror.reverseColumns || mirror.reverseRows) return false;
    return p.gamma == 100 && p.contrast == 0 && p.sharpness == 0 && p.brightness == 0;
}

}  // namespace nodrix::pipeline
