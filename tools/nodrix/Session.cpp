#include "Session.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CameraList.h"
#include "Commands.h"
#include "ErrorText.h"
#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "ToolProcess.h"

namespace nodrix_tool {
namespace {

// NODRIX_EMULATION: unset or empty (not said), "0" (real driver only), or a
// configuration of the emulated cameras.
enum class Emulation { kUnset, kRefused, kAsked };

Emulation EmulationSetting(const Options& options) {
    const char* value = std::getenv("NODRIX_EMULATION");
    if (options.noEmulation) return Emulation::kRefused;
    if (value == nullptr || value[0] == '\0') return Emulation::kUnset;
    return std::strcmp(value, "0") == 0 ? Emulation::kRefused : Emulation::kAsked;
}

}  // namespace

void Session::KeepChanges() {
    keep_ = true;
    if (handle_ != 0) NodrixEx_SetSaveOnRelease(handle_, 1);
}

Session::~Session() {
    if (handle_ == 0) return;
    if (!keep_) {
        for (auto it = restores_.rbegin(); it != restores_.rend(); ++it) (*it)();
    }
    Nodrix_Release(handle_);
}

int Session::Open(const Options& options, int argc, char** argv) {
    const Emulation emulation = EmulationSetting(options);
    if (emulation == Emulation::kRefused) {
        // The library reads the variable itself: "0" selects the real driver.
#ifdef _WIN32
        _putenv("NODRIX_EMULATION=0");
#else
        setenv("NODRIX_EMULATION", "0", 1);
#endif
    }
    handle_ = Nodrix_Initialize(0);
    if (handle_ == 0) {
        std::fprintf(stderr, "nodrix: the SDK could not open a connection\n");
        return kExitFailed;
    }
    // Only --save stores what a command set: the stored settings stay byte
    // for byte as they were, whatever the command changed on the way (the
    // camera's values are put back as well, see OnRestore).
    NodrixEx_SetSaveOnRelease(handle_, 0);
    cameras_ = static_cast<int>(CameraNames(handle_).size());
    emulated_ = emulation == Emulation::kAsked;
    if (cameras_ == 0 && emulation == Emulation::kUnset && !CameraDriverInstalled()) {
        Nodrix_Release(handle_);
        handle_ = 0;
        const int status = RerunWithEmulation(argc, argv);
        if (status < 0) {
            std::fprintf(stderr, "nodrix: could not run on the emulated camera\n");
            return kExitFailed;
        }
        return status;
    }
    if (emulated_) {
        std::fprintf(stderr, "nodrix: using the emulated camera (NODRIX_EMULATION=%s)\n",
                     std::getenv("NODRIX_EMULATION"));
    }
    if (cameras_ == 0) {
        std::fprintf(stderr, "nodrix: no camera found%s\n",
                     emulation == Emulation::kRefused
                         ? " (emulation refused)"
                         : "; NODRIX_EMULATION=1 selects the emulated camera");
        return kExitFailed;
    }
    if (options.command == "list") return kOpened;
    return SelectDevice(options.device);
}

int Session::SelectDevice(const std::string& wanted) {
    const std::vector<std::string> names = CameraNames(handle_);
    int index = wanted.empty() ? 0 : -1;
    char* end = nullptr;
    const long number = wanted.empty() ? 0 : std::strtol(wanted.c_str(), &end, 10);
    if (!wanted.empty() && end != nullptr && *end == '\0') index = static_cast<int>(number);
    for (int i = 0; index < 0 && i < static_cast<int>(names.size()); ++i) {
        if (names[i] == wanted) index = i;
    }
    // A serial number is read from the camera itself, so each is opened in turn.
    for (int i = 0; index < 0 && i < static_cast<int>(names.size()); ++i) {
        if (Nodrix_SetDeviceNumber(handle_, i) && SerialOf(handle_) == wanted) index = i;
    }
    if (index < 0 || index >= static_cast<int>(names.size())) {
        std::fprintf(stderr, "nodrix: no camera '%s'; the cameras are:\n", wanted.c_str());
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::fprintf(stderr, "  %zu: %s\n", i, names[i].c_str());
        }
        return kExitFailed;
    }
    // A single camera is opened by the connection itself.
    if ((cameras_ > 1 || !wanted.empty()) && !Nodrix_SetDeviceNumber(handle_, index)) {
        return Fail(*this, "opening the camera");
    }
    device_ = index;
    return kOpened;
}

int Fail(const Session& session, const char* what) {
    const int handle = session.Handle();
    const int code = handle != 0 ? Nodrix_GetLastError(handle) : 0;
    // A failed file read or write may lie beneath a code of its own (the
    // mask file's): its reason is what the user needs.
    bool fileFailed = code == NODRIX_ERROR_FILE;
    for (int next = code; handle != 0 && next != 0 && !fileFailed;) {
        next = Nodrix_GetLastError(handle);
        fileFailed = next == NODRIX_ERROR_FILE;
    }
    const std::string reason = fileFailed ? ": " + SystemReason(handle) : std::string();
    std::fprintf(stderr, "nodrix: %s failed: error %d (%s)%s\n", what, code, ErrorText(code),
                 reason.c_str());
    return kExitFailed;
}

}  // namespace nodrix_tool
