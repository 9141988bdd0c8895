// Exports: the generic parameter pair and the named parameter functions,
// each of which calls the pair with its fixed code.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_SetFilterValue(int handle, int code, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetFilterValue(code, value) : 0;
}

int NODRIX_CALL Nodrix_GetFilterValue(int handle, int code, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetFilterValue(code, ok) : 0;
}

#define NODRIX_NAMED_PARAMETER(Name, code)                          \
    int NODRIX_CALL Nodrix_Set##Name(int handle, int value) {       \
        return Nodrix_SetFilterValue(handle, code, value);          \
    }                                                               \
    int NODRIX_CALL Nodrix_Get##Name(int handle, int* ok) {         \
        return Nodrix_GetFilterValue(handle, code, ok);             \
    }

NODRIX_NAMED_PARAMETER(Brightness, NODRIX_FILTER_BRIGHTNESS)
NODRIX_NAMED_PARAMETER(Contrast, NODRIX_FILTER_CONTRAST)
NODRIX_NAMED_PARAMETER(Hue, NODRIX_FILTER_HUE)
NODRIX_NAMED_PARAMETER(Saturation, NODRIX_FILTER_SATURATION)
NODRIX_NAMED_PARAMETER(Sharpness, NODRIX_FILTER_SHARPNESS)
NODRIX_NAMED_PARAMETER(BayerGainRGB, NODRIX_FILTER_BAYER_GAIN_RGB)
NODRIX_NAMED_PARAMETER(BayerGainRed, NODRIX_FILTER_BAYER_GAIN_RED)
NODRIX_NAMED_PARAMETER(BayerGainGreen, NODRIX_FILTER_BAYER_GAIN_GREEN)
NODRIX_NAMED_PARAMETER(BayerGainBlue, NODRIX_FILTER_BAYER_GAIN_BLUE)
NODRIX_NAMED_PARAMETER(BayerGainAuto, NODRIX_FILTER_BAYER_GAIN_AUTO)
NODRIX_NAMED_PARAMETER(Gamma, NODRIX_FILTER_GAMMA)
NODRIX_NAMED_PARAMETER(BayerMode, NODRIX_FILTER_BAYER_MODE)
NODRIX_NAMED_PARAMETER(GlobalGain, NODRIX_FILTER_GLOBAL_GAIN)
NODRIX_NAMED_PARAMETER(ColorGainRed, NODRIX_FILTER_COLOR_GAIN_RED)
NODRIX_NAMED_PARAMETER(ColorGainGreen1, NODRIX_FILTER_COLOR_GAIN_GREEN1)
NODRIX_NAMED_PARAMETER(ColorGainGreen2, NODRIX_FILTER_COLOR_GAIN_GREEN2)
NODRIX_NAMED_PARAMETER(ColorGainBlue, NODRIX_FILTER_COLOR_GAIN_BLUE)
NODRIX_NAMED_PARAMETER(ExposureTime, NODRIX_FILTER_EXPOSURE_TIME)
NODRIX_NAMED_PARAMETER(GrayMode, NODRIX_FILTER_GRAY_MODE)
NODRIX_NAMED_PARAMETER(GrayGainR, NODRIX_FILTER_GRAY_GAIN_R)
NODRIX_NAMED_PARAMETER(GrayGainG1, NODRIX_FILTER_GRAY_GAIN_G1)
NODRIX_NAMED_PARAMETER(GrayGainG2, NODRIX_FILTER_GRAY_GAIN_G2)
NODRIX_NAMED_PARAMETER(GrayGainB, NODRIX_FILTER_GRAY_GAIN_B)
NODRIX_NAMED_PARAMETER(GrayOffsetR, NODRIX_FILTER_GRAY_OFFSET_R)
NODRIX_NAMED_PARAMETER(GrayOffsetG1, NODRIX_FILTER_GRAY_OFFSET_G1)
NODRIX_NAMED_PARAMETER(GrayOffsetG2, NODRIX_FILTER_GRAY_OFFSET_G2)
NODRIX_NAMED_PARAMETER(GrayOffsetB, NODRIX_FILTER_GRAY_OFFSET_B)
NODRIX_NAMED_PARAMETER(Peltier, NODRIX_FILTER_PELTIER)
NODRIX_NAMED_PARAMETER(DotFilter, NODRIX_FILTER_DOT_FILTER)
NODRIX_NAMED_PARAMETER(MaskFilter, NODRIX_FILTER_MASK_FILTER)

#undef NODRIX_NAMED_PARAMETER

int NODRIX_CALL Nodrix_GetTemperature(int handle, int* ok) {
    return Nodrix_GetFilterValue(handle, NODRIX_FILTER_TEMPERATURE, ok);
}

}  // extern "C"
