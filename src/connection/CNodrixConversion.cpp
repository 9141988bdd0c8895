// The connection's side of the per-frame conversion: hands the pipeline its
// buffers, parameter blocks, camera and the owner of the camera parameters.
#include "connection/CNodrix.h"
#include "connection/pipeline/FrameConverter.h"

namespace nodrix {

void CNodrix::Convert() {
    const CameraParameters camera = controls_.Parameters();
    pipeline::PipelineContext context = PipelineContextOf(camera);
    pipeline::ConvertFrame(context);
}

bool CNodrix::ConvertsNothing() {
    const CameraParameters camera = controls_.Parameters();
    return pipeline::ConvertsNothing(PipelineContextOf(camera));
}

pipeline::PipelineContext CNodrix::PipelineContextOf(const CameraParameters& camera) {
    pipeline::PipelineContext context;
    pipeline::PipelineImages& im = context.images;
    im.raw8 = images_[kRaw8].get();
    im.raw16 = images_[kRaw16].get();
    im.rgb24 = images_[kRgb24].get();
    im.rgb32 = images_[kRgb32].get();
    im.rgb48 = images_[kRgb48].get();
    im.rgb64 = images_[kRgb64].get();
    im.scratch = images_[kScratch].get();
    im.dark8 = images_[kDark8].get();
    im.white8 = images_[kWhite8].get();
    im.dark16 = images_[kDark16].get();
    im.white16 = images_[kWhite16].get();
    im.defectDark8 = images_[kDefectDark8].get();
    im.defectWhite8 = images_[kDefectWhite8].get();
    im.defectDark16 = images_[kDefectDark16].get();
    im.defectWhite16 = images_[kDefectWhite16].get();
    im.mark8 = images_[kMark8].get();
    im.mark16 = images_[kMark16].get();
    context.imageParams = &imageParams_;
    context.cameraParams = &camera;
    context.controls = &controls_;
    context.geometry = geometry_;
    context.colorMode = colorMode_;
    context.maskFilter = maskFilter_ != 0;
    context.dotFilter = dotFilter_ != 0;
    context.core = core_.get();
    context.maskLock = &maskLock_;
    context.dialogs = &liveDialogs_;
    return context;
}

}  // namespace nodrix
