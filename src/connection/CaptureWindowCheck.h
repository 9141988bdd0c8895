#pragma once
// Whether a capture window fits the sensor and its subsampling
// mode can be delivered.

#include "pipeline/ParameterBlocks.h"

namespace nodrix {

inline bool CaptureWindowFits(const CaptureGeometry& g, int subSample) {
    const bool fits = g.width >= 0 && g.height >= 0 && g.horizontalStart >= 0 &&
                      g.verticalStart >= 0 && g.width <= kSensorWidth &&
                      g.horizontalStart <= kSensorWidth && g.height <= kSensorHeight &&
                      g.verticalStart <= kSensorHeight &&
                      g.horizontalStart + g.width <= kSensorWidth &&
                      g.verticalStart + g.height <= kSensorHeight;
    const bool subsampled = subSample == 1 || subSample == 2 || subSample == 3 ||
                            subSample == 17 || subSample == 18 || subSample == 19;
    return fits && !subsampled;
}

}  // namespace nodrix
