#pragma once
// What the connection does with a conversion's findings: the image block
// takes what the automatic white balance and grey gains measured, the camera
// the automatic exposure's correction (through the owner of the camera
// parameters), and the open dialogs hear of each.

#include "connection/CameraControls.h"
#include "pipeline/FrameConverter.h"
#include "settings/LiveDialogs.h"

namespace nodrix {

void ApplyFrameFindings(const pipeline::PipelineFindings& found, ImageParameters& image,
                        CameraControls& controls, settings::LiveDialogs& dialogs);

}  // namespace nodrix
