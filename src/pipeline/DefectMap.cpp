#include "pipeline/DefectMap.h"

#include <cstdint>
#include <cstring>

#include "pipeline/FrameView.h"

namespace nodrix::pipeline {

namespace {

template <typename Sample>
void Build(const FrameView<const Sample>& plane, const FrameView<Sample>& map, MaskKind kind,
           int darkAbove, int whiteBelow) {
    for (int y = 0; y < map.height; ++y) std::memset(map.Row(y), 0, sizeof(Sample) * map.width);
    for (int y = kDefectMapBorder; y < plane.height - kDefectMapBorder; ++y) {
        const Sample* in = plane.Row(y);
        Sample* out = map.Row(y);
        for (int x = kDefectMapBorder; x < plane.width - kDefectMapBorder; ++x) {
            const bool defect = kind == MaskKind::Dark ? in[x] > darkAbove : in[x] < whiteBelow;
            out[x] = defect ? 1 : 0;
        }
    }
}

template <typename Sample>
bool BuildOf(const imaging::CDibImage& plane, MaskKind kind, imaging::CDibImage& map, int darkAbove,
             int whiteBelow) {
    const auto in = ViewOf<Sample>(plane);
    const auto out = ViewOf<Sample>(map);
    if (in.Empty() || out.Empty() || in.width != out.width || in.height != out.height) {
        return false;
    }
    Build(in, out, kind, darkAbove, whiteBelow);
    return true;
}

}  // namespace

bool BuildDefectMap(const imaging::CDibImage& plane, MaskKind kind, imaging::CDibImage& map) {
    if (plane.Bits() == 8) {
        return BuildOf<std::uint8_t>(plane, kind, map, kDarkDefectAbove8, kWhiteDefectBelow8);
    }
    if (plane.Bits() == 16) {
        return BuildOf<std::uint16_t>(plane, kind, map, kDarkDefectAbove16, kWhiteDefectBelow16);
    }
    return false;
}

}  // namespace nodrix::pipeline
