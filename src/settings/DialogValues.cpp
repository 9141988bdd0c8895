#include "settings/DialogValues.h"

#include "platform/SettingsStore.h"
#include "settings/SettingsValues.h"

namespace nodrix::settings {

namespace {

struct PresetField {
    const char* name;
    std::int32_t CaptureGeometry::*field;
};

constexpr PresetField kPresetFields[7] = {
    {"TH", &CaptureGeometry::horizontalTotal}, {"TV", &CaptureGeometry::verticalTotal},
    {"EH", &CaptureGeometry::width},           {"EV", &CaptureGeometry::height},
    {"EHS", &CaptureGeometry::horizontalStart}, {"EVS", &CaptureGeometry::verticalStart},
    {"Buf", &CaptureGeometry::bufferCount}};

// A preset counts only when its key holds all seven values.
bool ReadPreset(int camera, int index, CaptureGeometry& preset) {
    platform::SettingsKey key;
    if (!key.Open(CameraPresetKey(camera, index), platform::KeyAccess::Read)) return false;
    CaptureGeometry read = preset;
    for (const PresetField& f : kPresetFields) {
        if (!ReadInt(key, f.name, &(read.*f.field))) return false;
    }
    preset = read;
    return true;
}

bool WritePreset(int camera, int index, const CaptureGeometry& preset) {
    platform::SettingsKey key;
    if (!key.Create(CameraPresetKey(camera, index))) return false;
    bool all = true;
    for (const PresetField& f : kPresetFields) all = WriteInt(key, f.name, preset.*f.field) && all;
    return all;
}

}  // namespace

bool LoadDialogValues(int camera, DialogValues& values) {
    platform::SettingsKey root;
    platform::SettingsKey key;
    if (!root.Open(kRootKey, platform::KeyAccess::Read) ||
        !key.Open(CameraKey(camera), platform::KeyAccess::Read)) {
        return false;
    }
    int count = 0;
    while (count < kMaxPresets && ReadPreset(camera, count, values.presets[count])) ++count;
    values.presetCount = count;
    ReadInt(key, "Size", &values.sizeIndex);
    ReadInt(key, "Color", &values.colorMode);
    ReadInt(key, "SubSample", &values.subSample);
    ReadInt(key, "WaitTime", &values.waitTime);
    ReadInt(key, "Clock", &values.clock);
    return true;
}

bool SaveDialogValues(int camera, const DialogValues& values) {
    platform::SettingsKey root;
    platform::SettingsKey key;
    if (!root.Create(kRootKey) || !key.Create(CameraKey(camera))) return false;
    for (int k = 0; k < values.presetCount && k < kMaxPresets; ++k) {
        if (!WritePreset(camera, k, values.presets[k])) break;
    }
    bool all = WriteInt(key, "Size", values.sizeIndex);
    all = WriteInt(key, "Color", values.colorMode) && all;
    all = WriteInt(key, "SubSample", values.subSample) && all;
    all = WriteInt(key, "WaitTime", values.waitTime) && all;
    all = WriteInt(key, "Clock", values.clock) && all;
    return all;
}

}  // namespace nodrix::settings
