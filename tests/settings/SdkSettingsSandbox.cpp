#include "settings/SdkSettingsSandbox.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace nodrix::test {

namespace {
#ifndef _WIN32
// A folder of this program's own for the settings file, removed at exit.
struct SettingsFolder {
    std::string path;
    SettingsFolder() {
        char directory[] = "/tmp/nodrix-sdk-settings-XXXXXX";
        if (mkdtemp(directory) != nullptr) path = directory;
        setenv("NODRIX_SETTINGS_FILE", File().c_str(), 1);
    }
    ~SettingsFolder() {
        for (const char* suffix : {"", ".lock", ".tmp"}) unlink((File() + suffix).c_str());
        if (!path.empty()) rmdir(path.c_str());
    }
    std::string File() const { return (path.empty() ? "/tmp" : path) + "/settings.reg"; }
};

const SettingsFolder& Folder() {
    static const SettingsFolder folder;
    return folder;
}
#endif

class SandboxEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ResetSdkSettings(); }
};

[[maybe_unused]] ::testing::Environment* const g_sandbox =
    ::testing::AddGlobalTestEnvironment(new SandboxEnvironment);
}  // namespace

void ResetSdkSettings() {
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmor\\NodrixT520U3T2Sdk");
#else
    unlink(Folder().File().c_str());
#endif
}

}  // namespace nodrix::test
