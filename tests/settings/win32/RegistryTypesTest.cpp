// The settings as the Windows registry holds them: value types and bytes
// read back with the registry's own calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "NodrixSdk.h"
#include "pipeline/ParameterBlocks.h"
#include "settings/ParameterGroups.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

const char kGainKey[] = "Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_02\\Gain";
const char kCameraKey[] = "Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_00";

TEST(RegistryTypes, CameraGroupIsDwordsAndEightBinaryBytes) {
    test::ResetSdkSettings();
    CameraParameters cam;
    cam.blackLevel = -3;
    cam.exposureSeconds = 0.01;
    ASSERT_TRUE(settings::SaveCameraGroup(2, cam));

    DWORD type = 0;
    BYTE bytes[16] = {};
    DWORD size = sizeof bytes;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kGainKey, "ExposureEx", RRF_RT_ANY, &type, bytes,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, 8u);
    const BYTE expected[8] = {0x7B, 0x14, 0xAE, 0x47, 0xE1, 0x7A, 0x84, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);

    DWORD value = 0;
    size = sizeof value;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kGainKey, "BlackLevel", RRF_RT_ANY, &type, &value,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(static_cast<LONG>(value), -3);
    test::ResetSdkSettings();
}

TEST(RegistryTypes, FirstStartWritesTheCameraKey) {
    test::ResetSdkSettings();
    const int h = Nodrix_Initialize(nullptr);
    ASSERT_NE(h, 0);
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kCameraKey, "WaitTime", RRF_RT_ANY, &type, &value,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER,
                           "Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_00\\Size_00", "EH",
                           RRF_RT_REG_DWORD, &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1280u);
    EXPECT_EQ(Nodrix_Release(h), 1);
    test::ResetSdkSettings();
}

}  // namespace
}  // namespace nodrix
