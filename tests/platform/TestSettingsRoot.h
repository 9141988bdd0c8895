#pragma once
// A settings root of the test's own: a key named after the process
// (Windows), and natively also a settings file of its own, so that tests
// never touch the user's settings nor each other's.

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/posix/PrivateSettingsFile.h"
#endif

namespace nodrix::platform::testing_support {

inline std::string IsolatedSettingsRoot() {
#ifdef _WIN32
    return "Software\\NodrixSdkTests\\Platform_" + std::to_string(GetCurrentProcessId());
#else
    nodrix::testing_support::ProgramSettingsFile();
    return "Software\\NodrixSdkTests\\Platform_" + std::to_string(getpid());
#endif
}

}  // namespace nodrix::platform::testing_support
