#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Commands.h"
#include "ErrorText.h"
#include "NodrixSdk.h"
#include "ToolPlatform.h"

namespace nodrix_tool {
namespace {

bool EmulationAsked() {
    const char* value = std::getenv("NODRIX_EMULATION");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

int CountCameras(int handle) {
    std::vector<char> names(NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS);
    const int count = Nodrix_EnumDevice(handle, names.data());
    return count < 0 ? 0 : count;
}

}  // namespace

Session::~Session() {
    if (handle_ != 0) Nodrix_Release(handle_);
}

int Session::Open(int argc, char** argv) {
    handle_ = Nodrix_Initialize(0);
    if (handle_ == 0) {
        std::fprintf(stderr, "nodrix: the SDK could not open a connection\n");
        return 1;
    }
    cameras_ = CountCameras(handle_);
    if (cameras_ == 0 && !EmulationAsked()) {
        Nodrix_Release(handle_);
        handle_ = 0;
        std::printf("No camera attached: using the emulated camera (NODRIX_EMULATION=1).\n");
        std::fflush(stdout);
        const int status = RerunWithEmulation(argc, argv);
        if (status < 0) {
            std::fprintf(stderr, "nodrix: could not run on the emulated camera\n");
            return 1;
        }
        return status;
    }
    if (cameras_ == 0) {
        std::fprintf(stderr, "nodrix: no camera found (NODRIX_EMULATION=%s)\n",
                     std::getenv("NODRIX_EMULATION"));
        return 1;
    }
    // With several cameras none is opened yet: take the first.
    if (cameras_ > 1 && !Nodrix_SetDeviceNumber(handle_, 0)) {
        return Fail(*this, "opening the first camera");
    }
    return kOpened;
}

int Fail(const Session& session, const char* what) {
    const int code = session.Handle() != 0 ? Nodrix_GetLastError(session.Handle()) : 0;
    std::fprintf(stderr, "nodrix: %s failed: error %d (%s)\n", what, code, ErrorText(code));
    return 1;
}

}  // namespace nodrix_tool
