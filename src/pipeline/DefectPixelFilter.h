#pragma once
// The defect-pixel (dot) filter: pixels that the defect maps name, or that
// stand out from their four neighbours by the threshold or more, are
// replaced by the mean of the nearest good pixels left, right, above and
// below.

#include "imaging/CDibImage.h"

namespace nodrix::pipeline {

inline constexpr int kDefectThreshold8 = 30;
inline constexpr int kDefectThreshold16 = 480;

// frame: the raw frame, corrected in place. mark: the working map (same
// sample size as the frame, at least as many samples; afterwards it holds
// 1 at each marked pixel, addressed like the frame). defectDark and
// defectWhite: maps holding 1 for a defective pixel, addressed at the
// pixel's own sample offset in the frame buffer. Maps too small for the
// frame are not consulted; a mark map too small skips the filter.
void ApplyDefectFilter8(imaging::CDibImage& frame, imaging::CDibImage& mark,
                        const imaging::CDibImage& defectDark, const imaging::CDibImage& defectWhite,
                        int threshold);
void ApplyDefectFilter16(imaging::CDibImage& frame, imaging::CDibImage& mark,
                         const imaging::CDibImage& defectDark,
                         const imaging::CDibImage& defectWhite, int threshold);

}  // namespace nodrix::pipeline
