#pragma once
// The finishing adjustments of the output image, in their fixed order:
// hue/saturation (colour only), gamma, contrast, sharpness, brightness.

#include "pipeline/FrameConverter.h"

namespace nodrix::pipeline {

// The output image of the colour mode, with the image block's tone values;
// the sharpness step reads a copy of it in the scratch image.
void ApplyToneSteps(const ImageParameters& image, const PipelineImages& images, int colorMode,
                    imaging::CDibImage& output);

}  // namespace nodrix::pipeline
