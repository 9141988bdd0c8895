// Camera selection, the names of the attached cameras, the camera
// information record and the serial number in the configuration memory.
#include <cstdio>
#include <cstring>

#include "connection/CNodrix.h"
#include "platform/Time.h"

namespace nodrix {

namespace {
constexpr const char* kModelName = "NodrixT520";
// Entries of the shared device table.
constexpr int kDeviceTableSize = 32;
// The serial number in the configuration memory.
constexpr int kSerialAddress = 0x1040;
constexpr int kSerialLength = 32;
// "NodrixT520_NN" with its terminator.
constexpr int kDeviceNameBytes = 14;

void WriteInt32(std::uint8_t* record, int offset, std::int32_t value) {
    std::memcpy(record + offset, &value, sizeof value);
}
void WriteDouble(std::uint8_t* record, int offset, double value) {
    std::memcpy(record + offset, &value, sizeof value);
}
}  // namespace

int CNodrix::SetDeviceNumber(int index) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // A camera another connection holds is refused before anything changes:
    // both go on as they were.
    if (!core_->IsCameraPresent(index) || !core_->ClaimCamera(index)) {
        return PushError(NODRIX_ERROR_NOT_PRESENT), 0;
    }
    if (settingsSaved_) {
        SaveGroups(CameraIndex());
    } else {
        settingsSaved_ = true;
    }
    if (core_->IsCameraPresent(index) && core_->OpenCamera(index)) {
        cameraOpened_ = true;
        const int camera = CameraIndex();
        LoadCameraGroup(camera);
        LoadImageGroups(camera);
        // A camera whose sensor does not take its settings is still
        // selected, but the application finds why its frames may look wrong.
        if (!controls_.ApplyOnSelection()) PushError(NODRIX_ERROR_CAMERA_REQUEST);
        // A connection that opened no camera at initialisation kept a colour
        // mode this camera may not produce.
        CorrectColorMode();
        deviceNumber_ = index;
        return 1;
    }
    return PushError(NODRIX_ERROR_NOT_PRESENT), 0;
}

int CNodrix::EnumDevice(char* names) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), -1;
    if (names == nullptr) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), -1;
    int written = 0;
    const int present = core_->CountCameras(kConnectionProductId);
    // The buffer has room for ten names; further cameras are not listed.
    for (int n = 0; n < kDeviceTableSize && written < present && written < NODRIX_ENUM_SLOTS; ++n) {
        if (!core_->IsCameraPresent(n)) continue;
        std::snprintf(names + written * NODRIX_ENUM_SLOT_CHARS, NODRIX_ENUM_SLOT_CHARS, "%s_%02d",
                      kModelName, written + 1);
        ++written;
    }
    for (int slot = written; slot < NODRIX_ENUM_SLOTS; ++slot) {
        names[slot * NODRIX_ENUM_SLOT_CHARS] = '\0';
    }
    return written;
}

int CNodrix::GetDeviceName(int index, char* name, int size) {
    // The name takes 14 bytes; a smaller buffer is refused rather than
    // written past.
    if (size < kDeviceNameBytes || name == nullptr) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    bool present = false;
    present = index >= 0 && index < kDeviceTableSize && core_->IsCameraPresent(index);
    if (!present) return PushError(NODRIX_ERROR_NOT_PRESENT), 0;
    std::snprintf(name, static_cast<std::size_t>(size), "%s_%02d", kModelName, index + 1);
    return 1;
}

int CNodrix::GetCameraInfo(void* record) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (record == nullptr) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    auto* bytes = static_cast<std::uint8_t*>(record);
    std::int32_t size = 0;
    std::memcpy(&size, bytes, sizeof size);
    if (size < NODRIX_CAMERA_INFO_BASIC_SIZE) return PushError(NODRIX_ERROR_MEMORY), 0;
    WriteInt32(bytes, 4, kSensorWidth);
    WriteInt32(bytes, 8, kSensorHeight);
    WriteInt32(bytes, 12, core_->GetGainMin());
    WriteInt32(bytes, 16, core_->GetGainMax());
    WriteInt32(bytes, 20, core_->GetColorGainMin());
    WriteInt32(bytes, 24, core_->GetColorGainMax());
    WriteInt32(bytes, 28, core_->GetExposureTenthsMin());
    WriteInt32(bytes, 32, core_->GetExposureTenthsMax());
    if (size >= NODRIX_CAMERA_INFO_FULL_SIZE) {
        WriteDouble(bytes, 40, core_->GetExposureSecondsMin());
        WriteDouble(bytes, 48, core_->GetExposureSecondsMax());
    }
    return 1;
}

int CNodrix::ReadSerialNumber(char* buffer, int size, bool* written) {
    if (written != nullptr) *written = false;
    if (size < kSerialLength || buffer == nullptr) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    char serial[kSerialLength] = {};
    int count = 0;
    for (; count < kSerialLength; ++count) {
        std::uint8_t byte = 0;
        if (!core_->ReadConfigByte(kSerialAddress + count, &byte)) {
            if (count == 0) return 0;
            break;
        }
        if (byte == 0xFF) break;
        serial[count] = static_cast<char>(byte);
        platform::SleepMs(10);
    }
    // An erased area (first byte 0xFF) leaves the buffer as it was.
    if (count == 0) return 1;
    // Thirty-two characters leave no room for the terminator: keep 31.
    const int length = count < kSerialLength ? count : kSerialLength - 1;
    std::memcpy(buffer, serial, static_cast<std::size_t>(length));
    buffer[length] = '\0';
    if (written != nullptr) *written = true;
    return 1;
}

}  // namespace nodrix
