#pragma once
// The defect map of a mask plane: 1 where the reference frame shows a pixel
// that cannot be right (too bright in the dark frame, too dark in the white
// frame), else 0. The dot filter replaces the pixels a map names.

#include "imaging/CDibImage.h"

namespace nodrix::pipeline {

enum class MaskKind { Dark, White };

// Limits on the mask plane's scale: a dark pixel above, or a white pixel
// below, is a defect.
inline constexpr int kDarkDefectAbove8 = 192;
inline constexpr int kWhiteDefectBelow8 = 64;
inline constexpr int kDarkDefectAbove16 = 3072;
inline constexpr int kWhiteDefectBelow16 = 1024;
// The map's two-pixel frame stays 0.
inline constexpr int kDefectMapBorder = 2;

// Rebuilds map from plane (same size and sample depth, 8 or 16 bits); the
// border is cleared. False, with map untouched, when the two do not match.
bool BuildDefectMap(const imaging::CDibImage& plane, MaskKind kind, imaging::CDibImage& map);

}  // namespace nodrix::pipeline
