#pragma once
// Mirroring done in software for cameras whose sensor cannot flip: the
// pixel order of every row and/or the row order of the raw frame is
// reversed, in place.

#include "imaging/CDibImage.h"

namespace nodrix::pipeline {

// Which reversals a frame needs, given the mirror settings and whether the
// camera flips in hardware.
struct MirrorPlan {
    bool reverseColumns = false;
    bool reverseRows = false;
};

MirrorPlan PlanSoftwareMirror(bool mirrorH, bool mirrorV, bool hardwareMirrorH,
                              bool hardwareMirrorV);

// Reverses the frame in place (any sample size).
void MirrorFrame(imaging::CDibImage& frame, const MirrorPlan& plan);

}  // namespace nodrix::pipeline
