#pragma once
// A settings root of the test's own: a key named after the process
// (Windows), and natively also a settings file of its own, so that tests
// never touch the user's settings nor each other's.

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace nodrix::platform::testing_support {

inline std::string IsolatedSettingsRoot() {
#ifdef _WIN32
    return "Software\\NodrixSdkTests\\Platform_" + std::to_string(GetCurrentProcessId());
#else
    // Removed with everything in it when the test program ends.
    struct Folder {
        std::string path;
        Folder() {
            char directory[] = "/tmp/nodrix-settings-XXXXXX";
            if (mkdtemp(directory)) path = directory;
        }
        ~Folder() {
            if (path.empty()) return;
            for (const char* name : {"/settings.reg", "/settings.reg.lock", "/settings.reg.tmp"}) {
                unlink((path + name).c_str());
            }
            rmdir(path.c_str());
        }
    };
    static const Folder folder;
    const std::string file = (folder.path.empty() ? std::string("/tmp") : folder.path) + "/settings.reg";
    setenv("NODRIX_SETTINGS_FILE", file.c_str(), 1);
    return "Software\\NodrixSdkTests\\Platform_" + std::to_string(getpid());
#endif
}

}  // namespace nodrix::platform::testing_support
