#include "sensors/CSensorBase.h"

#include "platform/Time.h"
#include "transport/CControllerBase.h"

namespace nodrix {

namespace {

constexpr int kFpgaVerifyAttempts = 10;
constexpr std::uint32_t kFpgaVerifyWaitMs = 5;

// Writes the field when the caller gave somewhere to put it.
template <typename T>
void Store(T* out, T value) {
    if (out != nullptr) *out = value;
}

}  // namespace

CSensorBase::CSensorBase() : description{} {}

CSensorBase::CSensorBase(CControllerBase* controller_, std::uint8_t busAddress_)
    : description{}, controller(controller_), busAddress(busAddress_) {}

CSensorBase::~CSensorBase() = default;

int CSensorBase::SetModelCode(int code) {
    modelCode = code;
    return code;
}

void CSensorBase::SetOperatingMode(int value) {
    operatingMode = value;
}

int CSensorBase::GetOperatingMode() {
    return operatingMode;
}

int CSensorBase::HasBlackLevel() {
    return description.blackLevelSupported;
}

int CSensorBase::GetBlackLevel(int* value) {
    Store(value, static_cast<int>(description.blackLevelCurrent));
    return description.blackLevelSupported;
}

int CSensorBase::GetBlackLevelMin(int* value) {
    Store(value, static_cast<int>(description.blackLevelMin));
    return description.blackLevelSupported;
}

int CSensorBase::GetBlackLevelMax(int* value) {
    Store(value, static_cast<int>(description.blackLevelMax));
    return description.blackLevelSupported;
}

int CSensorBase::GetBlackLevelDefault(int* value) {
    Store(value, static_cast<int>(description.blackLevelDefault));
    return description.blackLevelSupported;
}

int CSensorBase::HasGainStep() {
    return description.gainStepSupported;
}

int CSensorBase::GetGainStepMin(int* value) {
    Store(value, static_cast<int>(description.gainStepMin));
    return description.gainStepSupported;
}

int CSensorBase::GetGainStepMax(int* value) {
    Store(value, static_cast<int>(description.gainStepMax));
    return description.gainStepSupported;
}

int CSensorBase::GetGainStepDefault(int* value) {
    Store(value, static_cast<int>(description.gainStepDefault));
    return description.gainStepSupported;
}

int CSensorBase::GetGainStepCurrent(int* value) {
    Store(value, static_cast<int>(description.gainStepCurrent));
    return description.gainStepSupported;
}

int CSensorBase::GetMirrorVDefault() {
    return description.mirrorVDefault;
}
int CSensorBase::GetMirrorHDefault() {
    return description.mirrorHDefault;
}
int CSensorBase::HasMirrorV() {
    return description.mirrorVSupported;
}
int CSensorBase::HasMirrorH() {
    return description.mirrorHSupported;
}

int CSensorBase::GetDescription(SensorDescription* buffer) {
    if (buffer == nullptr) return 0;
    *buffer = description;
    return 1;
}

int CSensorBase::HasExposureSeconds() {
    return description.exposureSecondsSupported;
}

double CSensorBase::GetExposureSecondsMin(double* value) {
    Store(value, description.exposureSecondsMin);
    return static_cast<double>(description.exposureSecondsSupported);
}

double CSensorBase::GetExposureSecondsMax(double* value) {
    Store(value, description.exposureSecondsMax);
    return static_cast<double>(description.exposureSecondsSupported);
}

double CSensorBase::GetExposureSecondsDefault(double* value) {
    Store(value, description.exposureSecondsDefault);
    return static_cast<double>(description.exposureSecondsSupported);
}

int CSensorBase::GetExposureSeconds(double* value) {
    Store(value, description.exposureSecondsCurrent);
    return description.exposureSecondsSupported;
}

int CSensorBase::GetFirmwareVersion(std::uint16_t* version) {
    if (firmwareVersion == 0 && controller != nullptr) {
        firmwareVersion = static_cast<std::uint16_t>(controller->ReadFpgaVersion());
    }
    Store(version, firmwareVersion);
    return firmwareVersion;
}

int CSensorBase::WriteFpgaRegisterVerified(std::uint8_t address, int value) {
    if (controller == nullptr) return 0;
    const auto expected = static_cast<std::uint8_t>(value & 0xFF);
    for (int attempt = 0; attempt < kFpgaVerifyAttempts; ++attempt) {
        if (!controller->WriteFpgaRegister(address, expected)) continue;
        platform::SleepMs(kFpgaVerifyWaitMs);
        std::uint8_t readBack = 0;
        if (controller->ReadFpgaRegister(address, &readBack) && readBack == expected) return 1;
        platform::SleepMs(kFpgaVerifyWaitMs);
    }
    return 0;
}

}  // namespace nodrix
