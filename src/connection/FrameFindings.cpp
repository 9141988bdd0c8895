#include "connection/FrameFindings.h"

namespace nodrix {

void ApplyFrameFindings(const pipeline::PipelineFindings& found, ImageParameters& image,
                        CameraControls& controls, settings::LiveDialogs& dialogs) {
    if (found.exposureMode == 2) {
        dialogs.GainCorrected(controls.CorrectGain(found.exposureFactor));
    } else if (found.exposureMode == 1) {
        dialogs.ExposureCorrected(controls.CorrectExposure(found.exposureFactor));
    }
    if (!found.ImageMeasured()) return;
    found.ApplyTo(image);
    // Once per measuring stage, as the dialog expects a refresh for each.
    if (found.greyGainsMeasured) dialogs.ImageParametersMeasured();
    if (found.whiteBalanceMeasured) dialogs.ImageParametersMeasured();
}

}  // namespace nodrix
