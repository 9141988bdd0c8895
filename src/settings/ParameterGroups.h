#pragma once
// The camera group ("Gain"), the filter group ("Filter") and the grey group
// ("Gray") of one camera.

#include "pipeline/ParameterBlocks.h"

namespace nodrix::settings {

// Reads the camera group. False when its key is missing; the caller then
// takes the camera's own defaults.
bool LoadCameraGroup(int camera, CameraParameters& params);
bool SaveCameraGroup(int camera, const CameraParameters& params);

// Read the groups; when a key is missing the group's defaults are set and
// false is returned.
bool LoadFilterGroup(int camera, ImageParameters& params);
bool LoadGreyGroup(int camera, ImageParameters& params);
void SetFilterDefaults(ImageParameters& params);
void SetGreyDefaults(ImageParameters& params);

bool SaveFilterGroup(int camera, const ImageParameters& params);
// Writes only into an existing Camera_NN (the camera and filter saves,
// which create it, run first).
bool SaveGreyGroup(int camera, const ImageParameters& params);

}  // namespace nodrix::settings
