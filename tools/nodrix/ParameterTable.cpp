#include "ParameterTable.h"

#include <cstdio>
#include <iterator>

#include "NodrixSdk.h"

namespace nodrix_tool {
namespace {

// One row per parameter: name, meaning, stored by the SDK, how it is reached
// (and its filter code), where its range comes from, the fixed range.
// clang-format off
const Parameter kParameters[] = {
    {{"exposure-ms", "exposure time in milliseconds", true},
     Kind::kExposureMs, 0, Range::kExposure, 0, 0},
    {{"exposure-s", "exposure time in seconds", true},
     Kind::kExposureS, 0, Range::kExposure, 0, 0},
    {{"gain", "analog gain", true},
     Kind::kFilter, NODRIX_FILTER_GLOBAL_GAIN, Range::kGain, 0, 0},
    {{"black-level", "sensor black level", true},
     Kind::kFilter, NODRIX_FILTER_BLACK_LEVEL, Range::kFixed, 0, 16383},
    {{"gain-mode", "0 high gain, 1 low gain", true},
     Kind::kFilter, NODRIX_FILTER_GAIN_MODE, Range::kFixed, 0, 1},
    {{"short-exposure", "short-exposure mode 0/1", false},
     Kind::kFilter, NODRIX_FILTER_SHORT_EXPOSURE, Range::kFixed, 0, 1},
    {{"mirror-h", "horizontal mirror 0/1", true},
     Kind::kMirrorH, 0, Range::kFixed, 0, 1},
    {{"mirror-v", "vertical mirror 0/1", true},
     Kind::kMirrorV, 0, Range::kFixed, 0, 1},
    {{"auto-exposure", "0 off, 1 and 2 automatic exposure modes", true},
     Kind::kAutoIris, 0, Range::kFixed, 0, 2},
    {{"bits", "output bits per pixel, 8 or 16", false},
     Kind::kBits, 0, Range::kFixed, 8, 16},
    {{"window", "capture window WIDTHxHEIGHT[+X+Y]", false},
     Kind::kWindow, 0, Range::kFixed, 0, 0},
    {{"wait-ms", "pause of the preview per frame, milliseconds", false},
     Kind::kWait, 0, Range::kFixed, 0, kNoLimit},
    {{"brightness", "brightness", true},
     Kind::kFilter, NODRIX_FILTER_BRIGHTNESS, Range::kFixed, -255, 255},
    {{"contrast", "contrast", true},
     Kind::kFilter, NODRIX_FILTER_CONTRAST, Range::kFixed, -127, 127},
    {{"gamma", "gamma in hundredths (100: linear)", true},
     Kind::kFilter, NODRIX_FILTER_GAMMA, Range::kFixed, 0, 200},
    {{"sharpness", "sharpness", true},
     Kind::kFilter, NODRIX_FILTER_SHARPNESS, Range::kFixed, 0, 30},
    {{"hue", "hue in degrees", true},
     Kind::kFilter, NODRIX_FILTER_HUE, Range::kFixed, -360, 360},
    {{"saturation", "saturation", true},
     Kind::kFilter, NODRIX_FILTER_SATURATION, Range::kFixed, -255, 255},
    {{"grey-mode", "grey mode 0, 1 or 2", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_MODE, Range::kFixed, 0, 2},
    {{"grey-gain-r", "grey gain, red site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_GAIN_R, Range::kFixed, 0, 255},
    {{"grey-gain-g1", "grey gain, first green site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_GAIN_G1, Range::kFixed, 0, 255},
    {{"grey-gain-g2", "grey gain, second green site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_GAIN_G2, Range::kFixed, 0, 255},
    {{"grey-gain-b", "grey gain, blue site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_GAIN_B, Range::kFixed, 0, 255},
    {{"grey-offset-r", "grey offset, red site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_OFFSET_R, Range::kFixed, -255, 255},
    {{"grey-offset-g1", "grey offset, first green site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_OFFSET_G1, Range::kFixed, -255, 255},
    {{"grey-offset-g2", "grey offset, second green site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_OFFSET_G2, Range::kFixed, -255, 255},
    {{"grey-offset-b", "grey offset, blue site", true},
     Kind::kFilter, NODRIX_FILTER_GRAY_OFFSET_B, Range::kFixed, -255, 255},
    {{"dot-filter", "defective-pixel filter 0/1", false},
     Kind::kFilter, NODRIX_FILTER_DOT_FILTER, Range::kFixed, 0, 1},
    {{"mask-filter", "flat-field (mask) correction 0/1", false},
     Kind::kFilter, NODRIX_FILTER_MASK_FILTER, Range::kFixed, 0, 1},
};
// clang-format on

}  // namespace

const Parameter* ParametersBegin() {
    return std::begin(kParameters);
}
const Parameter* ParametersEnd() {
    return std::end(kParameters);
}

const Parameter* FindParameter(const std::string& name) {
    for (const Parameter& p : kParameters) {
        if (name == p.info.name) return &p;
    }
    std::fprintf(stderr, "nodrix: unknown parameter '%s'; the parameters are: %s\n", name.c_str(),
                 ParameterNames().c_str());
    return nullptr;
}

}  // namespace nodrix_tool
