#pragma once
// Where the library keeps its settings: one root key under the current
// user, one subkey per camera ("Camera_00", ...), size presets "Size_00",
// ... and the groups "Gain", "Filter" and "Gray" of each camera.

#include <cstdio>
#include <string>

namespace nodrix::settings {

inline constexpr const char* kRootKey = "Software\\Velmor\\NodrixT520U3T2Sdk";
// Presets are numbered consecutively; at most this many are read.
inline constexpr int kMaxPresets = 100;

inline std::string Numbered(const char* format, int number) {
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

inline std::string CameraKey(int camera) {
    return std::string(kRootKey) + "\\" + Numbered("Camera_%02d", camera);
}
inline std::string CameraGroupKey(int camera, const char* group) {
    return CameraKey(camera) + "\\" + group;
}
inline std::string CameraPresetKey(int camera, int preset) {
    return CameraKey(camera) + "\\" + Numbered("Size_%02d", preset);
}
inline std::string RootPresetKey(int preset) {
    return std::string(kRootKey) + "\\" + Numbered("Size_%02d", preset);
}

}  // namespace nodrix::settings
