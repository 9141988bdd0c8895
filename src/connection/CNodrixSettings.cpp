// Where the connection reads and writes its settings: the connection values
// and capture geometry of its device number, the camera, filter and grey
// groups of the selected camera, the size presets and the configuration
// file.
#include "connection/CNodrix.h"
#include "platform/SettingsStore.h"
#include "settings/ConfigFile.h"
#include "settings/ConnectionSettings.h"
#include "settings/ParameterGroups.h"
#include "settings/SettingsKeys.h"

namespace nodrix {

namespace {
settings::OutputFormats FormatsOf(CNodrixU3T2Base* core) {
    settings::OutputFormats formats;
    if (core != nullptr) {
        formats.eightBit = core->Supports8BitOutput() != 0;
        formats.sixteenBit = core->Supports16BitOutput() != 0;
        formats.color = core->SupportsColorOutput() != 0;
    }
    return formats;
}
}  // namespace

bool CNodrix::LoadCaptureGeometry() {
    const bool firstStart = !platform::SettingsKeyExists(settings::kRootKey);
    settings::ConnectionValues defaults;
    defaults.waitTime = kFirstStartWaitTimeMs;
    settings::LoadCaptureGeometry(deviceNumber_, geometry_, FormatsOf(core_.get()), defaults);
    return firstStart;
}

void CNodrix::LoadImageGroups(int cameraIndex) {
    settings::LoadFilterGroup(cameraIndex, imageParams_);
    settings::LoadGreyGroup(cameraIndex, imageParams_);
}

void CNodrix::LoadCameraGroup(int cameraIndex) {
    CameraParameters stored = controls_.Parameters();
    if (settings::LoadCameraGroup(cameraIndex, stored)) {
        controls_.Replace(stored);
    } else {
        controls_.ResetToCameraDefaults();
    }
}

void CNodrix::SaveGroups(int cameraIndex) {
    // A connection that never opened a camera holds no camera's settings;
    // saving its zeros would overwrite what the camera stored before.
    if (!cameraOpened_) return;
    // An application that asked for it leaves the stored settings as they
    // were: what it tried out does not become every later program's start.
    if (!saveOnRelease_.load()) return;
    settings::SaveCameraGroup(cameraIndex, controls_.Parameters());
    settings::SaveFilterGroup(cameraIndex, imageParams_);
    settings::SaveGreyGroup(cameraIndex, imageParams_);
}

void CNodrix::LoadConnectionValues() {
    settings::ConnectionValues values{colorMode_, subSample_, waitTimeMs_, clock_};
    if (settings::LoadConnectionValues(deviceNumber_, values)) {
        colorMode_ = values.colorMode;
        subSample_ = values.subSample;
        waitTimeMs_ = values.waitTime;
        clock_ = values.clock;
    }
    CorrectColorMode();
}

void CNodrix::CorrectColorMode() {
    if (!core_) return;
    colorMode_ = settings::CorrectColorMode(colorMode_, FormatsOf(core_.get()));
}

int CNodrix::SetCaptureWindow(int width, int height) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    bool rootMissing = false;
    CaptureGeometry preset = geometry_;
    if (!settings::FindRootPreset(width, height, preset, &rootMissing)) {
        return PushError(NODRIX_ERROR_WINDOW), 0;
    }
    geometry_ = preset;
    if (!settings::WindowFitsSensor(geometry_)) {
        PushError(NODRIX_ERROR_CAPTURE_WINDOW);
        geometry_.horizontalTotal = kSensorWidth;
        geometry_.verticalTotal = kSensorHeight;
        geometry_.width = kSensorWidth;
        geometry_.height = kSensorHeight;
        geometry_.horizontalStart = 0;
        geometry_.verticalStart = 0;
    }
    core_->SetCaptureWindow(geometry_.horizontalStart, geometry_.verticalStart, geometry_.width,
                            geometry_.height, subSample_);
    return 1;
}

int CNodrix::SetSaveOnRelease(int save) {
    saveOnRelease_.store(save != 0);
    return 1;
}

int CNodrix::LoadConfigFile(const char* fileName) {
    std::vector<settings::ConfigPair> pairs;
    if (fileName == nullptr || fileName[0] == '\0') return FileFailed("the file name is empty");
    if (!settings::ReadConfigFile(fileName, pairs)) return FileFailed("the file could not be read");
    masks_.SetConfigPairs(std::move(pairs));
    return 1;
}

}  // namespace nodrix
