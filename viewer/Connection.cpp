#include "Connection.h"

#include <cstdlib>
#include <cstring>

#include "NodrixSdkEx.h"

namespace nodrix_viewer {

bool EmulationAsked() {
    const char* value = std::getenv("NODRIX_EMULATION");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

std::string ErrorMessage(int code) {
    if (code == 0) return "";
    return std::string(NodrixEx_ErrorText(code)) + " (" + std::to_string(code) + ")";
}

std::vector<std::string> Connection::CameraNames() const {
    std::vector<std::string> names;
    if (handle_ == 0) return names;
    char slots[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS] = {};
    int count = Nodrix_EnumDevice(handle_, slots);
    if (count > NODRIX_ENUM_SLOTS) count = NODRIX_ENUM_SLOTS;
    for (int i = 0; i < count; ++i) {
        const char* slot = slots + i * NODRIX_ENUM_SLOT_CHARS;
        names.emplace_back(slot, strnlen(slot, NODRIX_ENUM_SLOT_CHARS));
    }
    return names;
}

bool Connection::Open(int device, std::string* error) {
    Close();
    handle_ = Nodrix_Initialize(0);
    if (handle_ == 0) {
        *error = "the library could not make a connection";
        return false;
    }
    // The camera's stored settings stay as they were unless the user asks
    // for the values in effect to be stored.
    NodrixEx_SetSaveOnRelease(handle_, 0);
    device_ = device;
    const int cameras = static_cast<int>(CameraNames().size());
    if (cameras == 0) {
        *error = "no camera found";
        return false;
    }
    if (device >= cameras) {
        *error = "there is no camera " + std::to_string(device + 1) + " (" +
                 std::to_string(cameras) + " found)";
        return false;
    }
    // With one camera the library opened it already.
    if (cameras > 1 && !Nodrix_SetDeviceNumber(handle_, device)) {
        *error = "the camera could not be opened: " + ErrorMessage(Nodrix_GetLastError(handle_));
        return false;
    }
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    ReadIdentity();
    return true;
}

bool Connection::Reopen() {
    if (handle_ == 0) return false;
    if (static_cast<int>(CameraNames().size()) <= device_) return false;
    if (!Nodrix_SetDeviceNumber(handle_, device_)) return false;
    ReadIdentity();
    return true;
}

void Connection::ReadIdentity() {
    char name[64] = {};
    if (Nodrix_GetDeviceName(handle_, device_, name, sizeof name)) name_ = name;
    char serial[64] = {};
    if (Nodrix_ReadSerialNumberA(handle_, serial, sizeof serial)) serial_ = serial;
    while (Nodrix_GetLastError(handle_) != 0) {
    }
}

void Connection::Close() {
    if (handle_ == 0) return;
    Nodrix_Release(handle_);
    handle_ = 0;
}

}  // namespace nodrix_viewer
