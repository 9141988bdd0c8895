#include "Cameras.h"

#include <cstdlib>
#include <vector>

#include "CameraList.h"
#include "NodrixSdkEx.h"

namespace nodrix_gst {
namespace {

using nodrix_tool::SerialOf;

int NewConnection() {
    const int handle = Nodrix_Initialize(0);
    if (handle != 0) NodrixEx_SetSaveOnRelease(handle, 0);
    return handle;
}

bool IsIndex(const std::string& text, int* index) {
    if (text.empty() || text.size() > 3) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    *index = std::atoi(text.c_str());
    return true;
}

}  // namespace

std::vector<std::string> CameraNames() {
    const int handle = NewConnection();
    if (handle == 0) return {};
    std::vector<std::string> names = nodrix_tool::CameraNames(handle);
    Nodrix_Release(handle);
    return names;
}

std::vector<CameraEntry> ListCameras() {
    std::vector<CameraEntry> cameras;
    const int handle = NewConnection();
    if (handle == 0) return cameras;
    const std::vector<std::string> names = nodrix_tool::CameraNames(handle);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const bool opened = names.size() == 1 || Nodrix_SetDeviceNumber(handle, i);
        cameras.push_back({i, names[i], opened ? SerialOf(handle) : ""});
    }
    Nodrix_Release(handle);
    return cameras;
}

int OpenCamera(const std::string& device, std::string* error) {
    const int handle = NewConnection();
    if (handle == 0) {
        *error = "no connection to the camera library could be made";
        return 0;
    }
    const std::vector<std::string> names = nodrix_tool::CameraNames(handle);
    int index = -1;
    if (device.empty()) {
        index = names.empty() ? -1 : 0;
    } else if (!IsIndex(device, &index)) {
        for (int i = 0; index < 0 && i < static_cast<int>(names.size()); ++i) {
            if (names[i] == device) index = i;
        }
        for (int i = 0; index < 0 && i < static_cast<int>(names.size()); ++i) {
            if (Nodrix_SetDeviceNumber(handle, i) && SerialOf(handle) == device) index = i;
        }
    }
    if (index < 0 || index >= static_cast<int>(names.size())) {
        *error = names.empty() ? "no camera is attached"
                               : "no camera '" + device + "'; the cameras are:";
        for (std::size_t i = 0; !device.empty() && i < names.size(); ++i) {
            *error += " " + std::to_string(i) + " " + names[i];
        }
        Nodrix_Release(handle);
        return 0;
    }
    // A single camera is opened by the connection itself.
    if ((names.size() > 1 || !device.empty()) && !Nodrix_SetDeviceNumber(handle, index)) {
        *error = "opening camera " + names[index] + ": " + LastErrorText(handle);
        Nodrix_Release(handle);
        return 0;
    }
    return handle;
}

std::string LastErrorText(int handle) {
    const int code = Nodrix_GetLastError(handle);
    return std::string(NodrixEx_ErrorText(code)) + " (error " + std::to_string(code) + ")";
}

}  // namespace nodrix_gst
