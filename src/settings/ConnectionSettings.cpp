#include "settings/ConnectionSettings.h"

#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace nodrix::settings {

namespace {

constexpr const char* kPresetNames[7] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};

std::int32_t* PresetField(CaptureGeometry& g, int index) {
    std::int32_t* fields[7] = {&g.horizontalTotal, &g.verticalTotal, &g.width,
                               &g.height,          &g.horizontalStart, &g.verticalStart,
                               &g.bufferCount};
    return fields[index];
}

// All seven values, or false with geometry unchanged.
bool ReadPreset(const std::string& path, CaptureGeometry& geometry) {
    platform::SettingsKey key;
    if (!key.Open(path, platform::KeyAccess::Read)) return false;
    CaptureGeometry read = geometry;
    for (int i = 0; i < 7; ++i) {
        if (!ReadInt(key, kPresetNames[i], PresetField(read, i))) return false;
    }
    geometry = read;
    return true;
}

bool WritePreset(const std::string& path, const CaptureGeometry& geometry) {
    platform::SettingsKey key;
    if (!key.Create(path)) return false;
    CaptureGeometry copy = geometry;
    bool all = true;
    for (int i = 0; i < 7; ++i) all = WriteInt(key, kPresetNames[i], *PresetField(copy, i)) && all;
    return all;
}

// The colour mode a first start stores: 24-bit colour, else what the
// camera has (16-bit grey preferred over 8-bit).
std::int32_t DefaultColorMode(const OutputFormats& formats) {
    if (formats.color) return 2;
    std::int32_t mode = 2;
    if (formats.eightBit) mode = 0;
    if (formats.sixteenBit) mode = 1;
    return mode;
}

void CreateDefaults(int device, const OutputFormats& formats, const ConnectionValues& defaults) {
    platform::SettingsKey root;
    root.Create(kRootKey);
    platform::SettingsKey camera;
    if (!camera.Create(CameraKey(device))) return;
    WritePreset(CameraPresetKey(device, 0), CaptureGeometry{});
    WriteInt(camera, "Size", 0);
    WriteInt(camera, "Color", DefaultColorMode(formats));
    WriteInt(camera, "SubSample", 0);
    WriteInt(camera, "WaitTime", defaults.waitTime);
    WriteInt(camera, "Clock", 0);
}

}  // namespace

bool WindowFitsSensor(const CaptureGeometry& g) {
    if (g.width <= 0 || g.height <= 0 || g.horizontalStart < 0 || g.verticalStart < 0) {
        return false;
    }
    return g.width <= kSensorWidth && g.horizontalStart <= kSensorWidth &&
           g.height <= kSensorHeight && g.verticalStart <= kSensorHeight &&
           g.horizontalStart + g.width <= kSensorWidth &&
           g.verticalStart + g.height <= kSensorHeight;
}

bool LoadConnectionValues(int device, ConnectionValues& values) {
    platform::SettingsKey key;
    if (!key.Open(CameraKey(device), platform::KeyAccess::Read)) return false;
    std::int32_t v = 0;
    if (ReadInt(key, "Color", &v) && v >= 0 && v <= 5) values.colorMode = v;
    // Only "no subsampling" is offered; anything else would make every
    // acquisition fail.
    if (ReadInt(key, "SubSample", &v) && v == 0) values.subSample = v;
    if (ReadInt(key, "WaitTime", &v) && v >= 0) values.waitTime = v;
    if (ReadInt(key, "Clock", &v)) values.clock = v;
    return true;
}

std::int32_t CorrectColorMode(std::int32_t mode, const OutputFormats& f) {
    if (!f.eightBit && (mode == 0 || mode == 3)) mode = f.sixteenBit ? 1 : 2;
    if (!f.color && mode == 2) mode = f.sixteenBit ? 1 : 0;
    if (!f.sixteenBit && mode == 1) mode = f.color ? 2 : 0;
    return mode;
}

bool LoadCaptureGeometry(int device, CaptureGeometry& geometry, const OutputFormats& formats,
                         const ConnectionValues& defaults) {
    if (!platform::SettingsKeyExists(kRootKey)) {
        CreateDefaults(device, formats, defaults);
        return false;
    }
    platform::SettingsKey camera;
    if (!camera.Open(CameraKey(device), platform::KeyAccess::Read)) return false;
    std::int32_t index = 0;
    if (!ReadInt(camera, "Size", &index) || index < 0 || index >= kMaxPresets) return false;
    CaptureGeometry preset = geometry;
    if (!ReadPreset(CameraPresetKey(device, index), preset)) return false;
    // A hand-edited preset outside the sensor keeps the current window.
    if (!WindowFitsSensor(preset)) return false;
    geometry = preset;
    return true;
}

bool FindRootPreset(int width, int height, CaptureGeometry& geometry, bool* rootMissing) {
    *rootMissing = !platform::SettingsKeyExists(kRootKey);
    if (*rootMissing) return false;
    for (int index = 0; index < kMaxPresets; ++index) {
        CaptureGeometry preset;
        if (!ReadPreset(RootPresetKey(index), preset)) break;
        if (preset.width == width && preset.height == height) {
            geometry = preset;
            return true;
        }
    }
    return false;
}

}  // namespace nodrix::settings
