// nodrix list: the cameras found, with their serial numbers.
#include <cstdio>

#include "CameraList.h"
#include "Commands.h"
#include "Json.h"
#include "NodrixSdk.h"

namespace nodrix_tool {

int List(Session& session, const Options& options) {
    const int handle = session.Handle();
    const std::vector<std::string> names = CameraNames(handle);
    std::vector<std::string> serials;
    for (std::size_t i = 0; i < names.size(); ++i) {
        char serial[64] = {};
        // Each camera is opened in turn to read its serial number.
        if (names.size() > 1) Nodrix_SetDeviceNumber(handle, static_cast<int>(i));
        serials.push_back(Nodrix_ReadSerialNumberA(handle, serial, sizeof serial) ? serial : "");
    }
    if (options.json) {
        JsonWriter json;
        json.BeginObject().Bool("emulated", session.Emulated()).BeginArray("cameras");
        for (std::size_t i = 0; i < names.size(); ++i) {
            json.BeginObject()
                .Number("index", static_cast<double>(i))
                .String("name", names[i])
                .String("serial", serials[i])
                .EndObject();
        }
        json.EndArray().EndObject().Print();
        return kExitOk;
    }
    std::printf("%zu camera%s found\n", names.size(), names.size() == 1 ? "" : "s");
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::printf("  %zu: %s  serial %s\n", i, names[i].c_str(),
                    serials[i].empty() ? "(none)" : serials[i].c_str());
    }
    return kExitOk;
}

}  // namespace nodrix_tool
