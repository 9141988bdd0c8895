#pragma once
// The finishing adjustments of the output image, in their fixed order:
// hue/saturation (colour only), gamma, contrast, sharpness, brightness.

#include "connection/pipeline/FrameConverter.h"

namespace nodrix::pipeline {

void ApplyToneSteps(PipelineContext& context, imaging::CDibImage& output);

}  // namespace nodrix::pipeline
