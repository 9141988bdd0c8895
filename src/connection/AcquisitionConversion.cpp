// The acquisition's side of the per-frame conversion: hands the pipeline its
// buffers, its parameter blocks and the camera's own flips, then applies
// what the pipeline measured.
#include "connection/Acquisition.h"
#include "connection/FrameFindings.h"
#include "pipeline/FrameConverter.h"

namespace nodrix {

void Acquisition::Convert(imaging::CDibImage* output) {
    const CameraParameters camera = controls_.Parameters();
    pipeline::PipelineContext context = PipelineContextOf(camera);
    if (output != nullptr) pipeline::SetOutputImage(context.images, colorMode_, output);
    const pipeline::PipelineFindings found = pipeline::ConvertFrame(context);
    ApplyFrameFindings(found, imageParams_, controls_, liveDialogs_);
}

bool Acquisition::ConvertsNothing() {
    const CameraParameters camera = controls_.Parameters();
    return pipeline::ConvertsNothing(PipelineContextOf(camera));
}

pipeline::PipelineContext Acquisition::PipelineContextOf(const CameraParameters& camera) {
    pipeline::PipelineContext context;
    pipeline::PipelineImages& im = context.images;
    im.raw8 = images_[kRaw8].get();
    im.raw16 = images_[kRaw16].get();
    im.rgb24 = images_[kRgb24].get();
    im.rgb32 = images_[kRgb32].get();
    im.rgb48 = images_[kRgb48].get();
    im.rgb64 = images_[kRgb64].get();
    im.scratch = images_[kScratch].get();
    im.dark8 = masks_.Plane(kDark8);
    im.white8 = masks_.Plane(kWhite8);
    im.dark16 = masks_.Plane(kDark16);
    im.white16 = masks_.Plane(kWhite16);
    im.defectDark8 = masks_.Plane(kDefectDark8);
    im.defectWhite8 = masks_.Plane(kDefectWhite8);
    im.defectDark16 = masks_.Plane(kDefectDark16);
    im.defectWhite16 = masks_.Plane(kDefectWhite16);
    im.mark8 = masks_.Plane(kMark8);
    im.mark16 = masks_.Plane(kMark16);
    context.imageParams = &imageParams_;
    context.cameraParams = &camera;
    context.exposureCorrectable = core_ != nullptr;
    context.geometry = geometry_;
    context.colorMode = colorMode_;
    context.maskFilter = maskFilter_ != 0;
    context.dotFilter = dotFilter_ != 0;
    context.hardwareMirrorH = core_ && core_->HasMirrorH() != 0;
    context.hardwareMirrorV = core_ && core_->HasMirrorV() != 0;
    context.maskLock = &masks_.Lock();
    return context;
}

}  // namespace nodrix
