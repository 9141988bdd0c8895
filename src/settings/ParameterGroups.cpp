#include "settings/ParameterGroups.h"

#include <array>
#include <cstdint>

#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace nodrix::settings {

namespace {

struct NamedField {
    const char* name;
    std::int32_t* field;
};

template <std::size_t N>
void ReadAll(const platform::SettingsKey& key, const std::array<NamedField, N>& fields) {
    for (const NamedField& f : fields) ReadInt(key, f.name, f.field);
}

template <std::size_t N>
bool WriteAll(platform::SettingsKey& key, const std::array<NamedField, N>& fields) {
    bool all = true;
    for (const NamedField& f : fields) all = WriteInt(key, f.name, *f.field) && all;
    return all;
}

// The stored values of each group, in the order they are written.
std::array<NamedField, 11> CameraFields(CameraParameters& p) {
    return {{{"Global", &p.globalGain},
             {"ColorG1", &p.green1Gain},
             {"ColorR", &p.redGain},
             {"ColorB", &p.blueGain},
             {"ColorG2", &p.green2Gain},
             {"Exposure", &p.exposure},
             {"V_Mirror", &p.mirrorV},
             {"H_Mirror", &p.mirrorH},
             {"AutoIris", &p.autoIris},
             {"GainMode", &p.gainMode},
             {"BlackLevel", &p.blackLevel}}};
}

std::array<NamedField, 10> FilterFields(ImageParameters& p) {
    return {{{"Brightness", &p.brightness},
             {"Contrast", &p.contrast},
             {"Hue", &p.hue},
             {"Saturation", &p.saturation},
             {"Sharpness", &p.sharpness},
             {"R_Gain", &p.bayerGainRed},
             {"G_Gain", &p.bayerGainGreen},
             {"B_Gain", &p.bayerGainBlue},
             {"Gamma", &p.gamma},
             {"BayerMode", &p.bayerMode}}};
}

std::array<NamedField, 9> GreyFields(ImageParameters& p) {
    return {{{"Mode", &p.greyMode},
             {"GainR1", &p.greyGain[0]},
             {"GainG1", &p.greyGain[1]},
             {"GainG2", &p.greyGain[2]},
             {"GainB1", &p.greyGain[3]},
             {"OffsetR1", &p.greyOffset[0]},
             {"OffsetG1", &p.greyOffset[1]},
             {"OffsetG2", &p.greyOffset[2]},
             {"OffsetB1", &p.greyOffset[3]}}};
}

}  // namespace

bool LoadCameraGroup(int camera, CameraParameters& params) {
    platform::SettingsKey key;
    if (!key.Open(CameraGroupKey(camera, "Gain"), platform::KeyAccess::Read)) return false;
    ReadAll(key, CameraFields(params));
    ReadDouble(key, "ExposureEx", &params.exposureSeconds);
    return true;
}

bool SaveCameraGroup(int camera, const CameraParameters& params) {
    platform::SettingsKey key;
    if (!key.Create(CameraGroupKey(camera, "Gain"))) return false;
    CameraParameters copy = params;
    const bool ints = WriteAll(key, CameraFields(copy));
    return WriteDouble(key, "ExposureEx", copy.exposureSeconds) && ints;
}

void SetFilterDefaults(ImageParameters& p) {
    p.brightness = p.contrast = p.hue = p.saturation = p.sharpness = 0;
    p.bayerGainRed = p.bayerGainGreen = p.bayerGainBlue = 100;
    p.gamma = 100;
    p.bayerMode = 3;
    p.autoWhiteBalance = p.whiteBalanceWord1 = p.whiteBalanceWord2 = p.autoGreyGain = 0;
    for (std::int32_t& word : p.reserved) word = 0;
}

void SetGreyDefaults(ImageParameters& p) {
    p.greyMode = 0;
    for (int i = 0; i < 4; ++i) p.greyGain[i] = p.greyOffset[i] = 128;
}

bool LoadFilterGroup(int camera, ImageParameters& params) {
    platform::SettingsKey key;
    if (!key.Open(CameraGroupKey(camera, "Filter"), platform::KeyAccess::Read)) {
        SetFilterDefaults(params);
        return false;
    }
    ReadAll(key, FilterFields(params));
    return true;
}

bool SaveFilterGroup(int camera, const ImageParameters& params) {
    platform::SettingsKey key;
    if (!key.Create(CameraGroupKey(camera, "Filter"))) return false;
    ImageParameters copy = params;
    return WriteAll(key, FilterFields(copy));
}

bool LoadGreyGroup(int camera, ImageParameters& params) {
    platform::SettingsKey key;
    if (!key.Open(CameraGroupKey(camera, "Gray"), platform::KeyAccess::Read)) {
        SetGreyDefaults(params);
        return false;
    }
    ReadAll(key, GreyFields(params));
    return true;
}

bool SaveGreyGroup(int camera, const ImageParameters& params) {
    platform::SettingsKey root;
    if (!root.Create(kRootKey)) return false;
    if (!platform::SettingsKeyExists(CameraKey(camera))) return false;
    platform::SettingsKey key;
    if (!key.Create(CameraGroupKey(camera, "Gray"))) return false;
    ImageParameters copy = params;
    return WriteAll(key, GreyFields(copy));
}

}  // namespace nodrix::settings
