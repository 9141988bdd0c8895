#include "settings/SdkSettingsSandbox.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/posix/PrivateSettingsFile.h"
#endif

namespace nodrix::test {

namespace {
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
    unlink(testing_support::ProgramSettingsFile().File().c_str());
#endif
}

}  // namespace nodrix::test
