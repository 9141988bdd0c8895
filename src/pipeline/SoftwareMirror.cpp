#include "pipeline/SoftwareMirror.h"

#include <algorithm>
#include <cstdint>

namespace nodrix::pipeline {

MirrorPlan PlanSoftwareMirror(bool mirrorH, bool mirrorV, bool hardwareMirrorH,
                              bool hardwareMirrorV) {
    return {mirrorH && !hardwareMirrorH, mirrorV && !hardwareMirrorV};
}

namespace {

void ReversePixels(std::uint8_t* row, int width, int bytesPerPixel) {
    std::uint8_t* left = row;
    std::uint8_t* right = row + static_cast<std::ptrdiff_t>(width - 1) * bytesPerPixel;
    for (; left < right; left += bytesPerPixel, right -= bytesPerPixel) {
        std::swap_ranges(left, left + bytesPerPixel, right);
    }
}

}  // namespace

void MirrorFrame(imaging::CDibImage& frame, const MirrorPlan& plan) {
    if (frame.Empty()) return;
    const int rowBytes = frame.Width() * frame.BytesPerPixel();
    if (plan.reverseColumns) {
        for (int y = 0; y < frame.Height(); ++y) {
            ReversePixels(frame.Row(y), frame.Width(), frame.BytesPerPixel());
        }
    }
    if (plan.reverseRows) {
        for (int top = 0, bottom = frame.Height() - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(frame.Row(top), frame.Row(top) + rowBytes, frame.Row(bottom));
        }
    }
}

}  // namespace nodrix::pipeline
