#include "CameraList.h"

#include "NodrixSdk.h"

namespace nodrix_tool {

std::vector<std::string> CameraNames(int handle) {
    std::vector<char> names(NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS);
    const int count = Nodrix_EnumDevice(handle, names.data());
    std::vector<std::string> result;
    for (int i = 0; i < count && i < NODRIX_ENUM_SLOTS; ++i) {
        result.emplace_back(names.data() + i * NODRIX_ENUM_SLOT_CHARS);
    }
    return result;
}

std::string SerialOf(int handle) {
    char serial[64] = {};
    return Nodrix_ReadSerialNumberA(handle, serial, sizeof serial) ? serial : "";
}

}  // namespace nodrix_tool
