// The settings in the store: what a first start creates, the groups and
// their defaults, values read back with validation, the size presets and
// the configuration file, as the settings code and a connection see them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "NodrixSdk.h"
#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "platform/SettingsStore.h"
#include "settings/ConfigFile.h"
#include "settings/ConnectionSettings.h"
#include "settings/ParameterGroups.h"
#include "settings/SdkSettingsSandbox.h"
#include "settings/SettingsKeys.h"

namespace nodrix {
namespace {

using platform::KeyAccess;
using platform::SettingsKey;

const std::string kRoot = settings::kRootKey;
const std::string kCamera0 = kRoot + "\\Camera_00";

std::int32_t ReadInt(const std::string& path, const char* name) {
    SettingsKey key;
    EXPECT_TRUE(key.Open(path, KeyAccess::Read)) << path;
    std::uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(key.ReadDword(name, &v)) << path << " " << name;
    return static_cast<std::int32_t>(v);
}

void WriteInt(const std::string& path, const char* name, std::int32_t value) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(path));
    ASSERT_TRUE(key.WriteDword(name, static_cast<std::uint32_t>(value)));
}

void WritePreset(const std::string& path, std::initializer_list<std::int32_t> values) {
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    int i = 0;
    for (std::int32_t v : values) WriteInt(path, names[i++], v);
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { test::ResetSdkSettings(); }
    void TearDown() override { test::ResetSdkSettings(); }
};

TEST_F(Settings, FirstStartCreatesTheDefaultKeys) {
    ASSERT_FALSE(platform::SettingsKeyExists(kRoot));
    const int h = Nodrix_Initialize(0);
    ASSERT_NE(h, 0);
    EXPECT_TRUE(platform::SettingsKeyExists(kRoot));
    const std::string size0 = kCamera0 + "\\Size_00";
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    const std::int32_t expected[] = {1280, 1024, 1280, 1024, 0, 0, 4};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ReadInt(size0, names[i]), expected[i]) << names[i];
    EXPECT_EQ(ReadInt(kCamera0, "Size"), 0);
    EXPECT_EQ(ReadInt(kCamera0, "SubSample"), 0);
    EXPECT_EQ(ReadInt(kCamera0, "WaitTime"), 1);
    EXPECT_EQ(ReadInt(kCamera0, "Clock"), 0);
    EXPECT_EQ(ReadInt(kCamera0, "Color"), 2);
    // Only the device's own camera key is made.
    EXPECT_FALSE(platform::SettingsKeyExists(kRoot + "\\Camera_01"));
    EXPECT_EQ(Nodrix_Width(h), 1280);
    EXPECT_EQ(Nodrix_Height(h), 1024);
    EXPECT_EQ(Nodrix_GetWaitTime(h), 10);
    EXPECT_EQ(Nodrix_GetSubSample(h), 0);
    // The only code: no camera is attached here.
    EXPECT_EQ(Nodrix_GetLastError(h), NODRIX_ERROR_NOT_PRESENT);
    EXPECT_EQ(Nodrix_GetLastError(h), 0);
    EXPECT_EQ(Nodrix_Release(h), 1);
    // A later start reads what the first one stored.
    const int again = Nodrix_Initialize(0);
    EXPECT_EQ(Nodrix_GetWaitTime(again), 1);
    EXPECT_EQ(Nodrix_Release(again), 1);
}

TEST_F(Settings, MissingGroupsGiveTheirDefaults) {
    ImageParameters p;
    p.brightness = 5;
    p.autoGreyGain = 1;
    p.reserved[4] = 9;
    EXPECT_FALSE(settings::LoadFilterGroup(0, p));
    EXPECT_EQ(p.brightness, 0);
    EXPECT_EQ(p.bayerGainRed, 100);
    EXPECT_EQ(p.bayerGainGreen, 100);
    EXPECT_EQ(p.bayerGainBlue, 100);
    EXPECT_EQ(p.gamma, 100);
    EXPECT_EQ(p.bayerMode, 3);
    EXPECT_EQ(p.autoGreyGain, 0);
    EXPECT_EQ(p.reserved[4], 0);
    EXPECT_FALSE(settings::LoadGreyGroup(0, p));
    EXPECT_EQ(p.greyMode, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.greyGain[i], 128);
        EXPECT_EQ(p.greyOffset[i], 128);
    }
    // A connection starts from the same defaults.
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    EXPECT_EQ(c.ImageBlock().gamma, 100);
    EXPECT_EQ(c.ImageBlock().bayerMode, 3);
    EXPECT_EQ(c.ImageBlock().greyGain[3], 128);
}

TEST_F(Settings, GroupsRoundTrip) {
    CameraParameters cam;
    cam.globalGain = 11;
    cam.green1Gain = 12;
    cam.redGain = 13;
    cam.blueGain = 14;
    cam.green2Gain = 15;
    cam.exposure = 16;
    cam.mirrorV = 1;
    cam.mirrorH = 0;
    cam.autoIris = 2;
    cam.gainMode = 1;
    cam.blackLevel = -7;
    cam.exposureSeconds = 0.25;
    ASSERT_TRUE(settings::SaveCameraGroup(3, cam));
    CameraParameters back;
    ASSERT_TRUE(settings::LoadCameraGroup(3, back));
    EXPECT_EQ(std::memcmp(&back, &cam, sizeof cam), 0);
    EXPECT_EQ(ReadInt(kRoot + "\\Camera_03\\Gain", "ColorB"), 14);

    ImageParameters img;
    settings::SetFilterDefaults(img);
    settings::SetGreyDefaults(img);
    img.brightness = -200;
    img.gamma = 150;
    img.greyMode = 2;
    img.greyOffset[3] = -5;
    ASSERT_TRUE(settings::SaveFilterGroup(3, img));
    ASSERT_TRUE(settings::SaveGreyGroup(3, img));
    ImageParameters imgBack;
    ASSERT_TRUE(settings::LoadFilterGroup(3, imgBack));
    ASSERT_TRUE(settings::LoadGreyGroup(3, imgBack));
    EXPECT_EQ(imgBack.brightness, -200);
    EXPECT_EQ(imgBack.gamma, 150);
    EXPECT_EQ(imgBack.greyMode, 2);
    EXPECT_EQ(imgBack.greyOffset[3], -5);
    EXPECT_EQ(ReadInt(kRoot + "\\Camera_03\\Gray", "OffsetB1"), -5);
}

TEST_F(Settings, ExposureInSecondsIsStoredAsTheBytesOfADouble) {
    CameraParameters cam;
    cam.exposureSeconds = 0.01;
    ASSERT_TRUE(settings::SaveCameraGroup(0, cam));
    SettingsKey key;
    ASSERT_TRUE(key.Open(kCamera0 + "\\Gain", KeyAccess::Read));
    std::uint8_t bytes[8] = {};
    ASSERT_TRUE(key.ReadBinary("ExposureEx", bytes, sizeof bytes));
    const std::uint8_t expected[8] = {0x7B, 0x14, 0xAE, 0x47, 0xE1, 0x7A, 0x84, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
    CameraParameters back;
    ASSERT_TRUE(settings::LoadCameraGroup(0, back));
    EXPECT_EQ(back.exposureSeconds, 0.01);
}

TEST_F(Settings, GreySaveNeedsTheCameraKey) {
    ImageParameters img;
    EXPECT_FALSE(settings::SaveGreyGroup(5, img));
    EXPECT_FALSE(platform::SettingsKeyExists(kRoot + "\\Camera_05"));
}

TEST_F(Settings, AValueMissingInsideAKeyKeepsTheField) {
    WriteInt(kCamera0 + "\\Filter", "Gamma", 120);
    ImageParameters p;
    p.brightness = 7;
    p.bayerMode = 1;
    EXPECT_TRUE(settings::LoadFilterGroup(0, p));
    EXPECT_EQ(p.gamma, 120);
    EXPECT_EQ(p.brightness, 7);
    EXPECT_EQ(p.bayerMode, 1);

    WriteInt(kCamera0, "WaitTime", 30);
    settings::ConnectionValues values{3, 0, 10, 2};
    EXPECT_TRUE(settings::LoadConnectionValues(0, values));
    EXPECT_EQ(values.waitTime, 30);
    EXPECT_EQ(values.colorMode, 3);
    EXPECT_EQ(values.clock, 2);
}

TEST_F(Settings, ValuesOutOfRangeKeepTheirField) {
    WriteInt(kCamera0, "Color", 9);
    WriteInt(kCamera0, "SubSample", 2);
    WriteInt(kCamera0, "WaitTime", -4);
    settings::ConnectionValues values{1, 0, 10, 0};
    EXPECT_TRUE(settings::LoadConnectionValues(0, values));
    EXPECT_EQ(values.colorMode, 1);
    EXPECT_EQ(values.subSample, 0);
    EXPECT_EQ(values.waitTime, 10);
    WriteInt(kCamera0, "Color", -1);
    EXPECT_TRUE(settings::LoadConnectionValues(0, values));
    EXPECT_EQ(values.colorMode, 1);
    // Without the camera key nothing is read.
    EXPECT_FALSE(settings::LoadConnectionValues(4, values));
}

TEST_F(Settings, CaptureGeometryComesFromTheCurrentPresetWhenItFits) {
    const settings::OutputFormats formats;
    const settings::ConnectionValues defaults;
    CaptureGeometry g;
    EXPECT_FALSE(settings::LoadCaptureGeometry(0, g, formats, defaults));  // first start
    WritePreset(kCamera0 + "\\Size_01", {1280, 1024, 640, 480, 10, 20, 3});
    WritePreset(kCamera0 + "\\Size_02", {1300, 1024, 1300, 1024, 0, 0, 4});

    WriteInt(kCamera0, "Size", 1);
    ASSERT_TRUE(settings::LoadCaptureGeometry(0, g, formats, defaults));
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 480);
    EXPECT_EQ(g.horizontalStart, 10);
    EXPECT_EQ(g.verticalStart, 20);
    EXPECT_EQ(g.bufferCount, 3);

    for (std::int32_t bad : {-1, 2, 7}) {  // negative, past the sensor, no such preset
        WriteInt(kCamera0, "Size", bad);
        CaptureGeometry kept = g;
        EXPECT_FALSE(settings::LoadCaptureGeometry(0, kept, formats, defaults)) << bad;
        EXPECT_EQ(std::memcmp(&kept, &g, sizeof g), 0) << bad;
    }
}

TEST_F(Settings, ConnectionValuesSurviveReleaseAndInitialize) {
    {
        const int h = Nodrix_Initialize(0);  // creates the defaults
        ASSERT_NE(h, 0);
        Nodrix_Release(h);
    }
    WriteInt(kCamera0, "WaitTime", 25);
    WriteInt(kCamera0, "Color", 4);
    WriteInt(kCamera0 + "\\Filter", "Gamma", 150);
    WritePreset(kCamera0 + "\\Size_01", {1280, 1024, 800, 600, 0, 0, 4});
    WriteInt(kCamera0, "Size", 1);
    for (int round = 0; round < 2; ++round) {
        const int h = Nodrix_Initialize(0);
        ASSERT_NE(h, 0);
        EXPECT_EQ(Nodrix_GetWaitTime(h), 25) << round;
        EXPECT_EQ(Nodrix_GetColorMode(h), 48) << round;
        EXPECT_EQ(Nodrix_Width(h), 800) << round;
        EXPECT_EQ(Nodrix_Height(h), 600) << round;
        EXPECT_EQ(Nodrix_Release(h), 1);
    }
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    EXPECT_EQ(c.ImageBlock().gamma, 150);
    EXPECT_EQ(ReadInt(kCamera0, "WaitTime"), 25);
}

TEST_F(Settings, RootPresetsAreFoundByTheirSize) {
    CaptureGeometry g;
    bool rootMissing = false;
    EXPECT_FALSE(settings::FindRootPreset(640, 480, g, &rootMissing));
    EXPECT_TRUE(rootMissing);
    // Presets under the camera key are not looked at.
    WritePreset(kCamera0 + "\\Size_00", {1280, 1024, 640, 480, 0, 0, 4});
    EXPECT_FALSE(settings::FindRootPreset(640, 480, g, &rootMissing));
    EXPECT_FALSE(rootMissing);
    WritePreset(kRoot + "\\Size_00", {1280, 1024, 1280, 1024, 0, 0, 4});
    WritePreset(kRoot + "\\Size_01", {1280, 1024, 1024, 768, 0, 0, 4});
    WritePreset(kRoot + "\\Size_02", {1280, 1024, 800, 600, 0, 0, 4});
    WritePreset(kRoot + "\\Size_03", {1280, 1024, 640, 480, 320, 272, 2});
    WritePreset(kRoot + "\\Size_05", {1280, 1024, 320, 240, 0, 0, 2});
    ASSERT_TRUE(settings::FindRootPreset(640, 480, g, &rootMissing));
    EXPECT_EQ(g.horizontalStart, 320);
    EXPECT_EQ(g.verticalStart, 272);
    EXPECT_EQ(g.bufferCount, 2);
    // The search stops at the first missing preset (Size_04).
    EXPECT_FALSE(settings::FindRootPreset(320, 240, g, &rootMissing));
}

class ConfigFile : public Settings {
protected:
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = ::testing::TempDir() + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
};

TEST_F(ConfigFile, WholeRecordsBecomePairs) {
    const std::string twenty = Write("nodrix-config-20.bin",
                                     {1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56,
                                      0x34, 0x12, 9, 9, 9, 9});
    const std::string seven = Write("nodrix-config-7.bin", {1, 2, 3, 4, 5, 6, 7});
    CNodrix c{api::ActiveDriverPort()};
    c.Initialize(0);
    ASSERT_EQ(c.LoadConfigFile(twenty.c_str()), 1);
    const auto pairs = c.ConfigPairs();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], std::make_pair(1, 2));
    EXPECT_EQ(pairs[1], std::make_pair(-1, 0x12345678));
    ASSERT_EQ(c.LoadConfigFile(seven.c_str()), 1);
    EXPECT_TRUE(c.ConfigPairs().empty());
    std::remove(twenty.c_str());
    std::remove(seven.c_str());
}

TEST_F(ConfigFile, MissingFileFailsWithTheFileError) {
    const int h = Nodrix_Initialize(0);
    ASSERT_NE(h, 0);
    while (Nodrix_GetLastError(h) != 0) {
    }
    const std::string path = ::testing::TempDir() + "nodrix-no-such-config.bin";
    EXPECT_EQ(Nodrix_LoadConfigFileA(h, path.c_str()), 0);
    EXPECT_EQ(Nodrix_GetLastError(h), NODRIX_ERROR_FILE);
    EXPECT_EQ(Nodrix_LoadConfigFileA(h, nullptr), 0);
    EXPECT_EQ(Nodrix_GetLastError(h), NODRIX_ERROR_FILE);
    EXPECT_EQ(Nodrix_GetLastError(h), 0);
    const std::string good = Write("nodrix-config-8.bin", {1, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(Nodrix_LoadConfigFileA(h, good.c_str()), 1);
    // The wide form converts the name first.
    std::vector<NodrixWChar> wide(good.begin(), good.end());
    wide.push_back(0);
    EXPECT_EQ(Nodrix_LoadConfigFileW(h, wide.data()), 1);
    std::remove(good.c_str());
    EXPECT_EQ(Nodrix_Release(h), 1);
}

TEST(ColorModeCorrection, FollowsTheCameraFormats) {
    const settings::OutputFormats mono{true, true, false};
    EXPECT_EQ(settings::CorrectColorMode(2, mono), 1);
    EXPECT_EQ(settings::CorrectColorMode(0, mono), 0);
    const settings::OutputFormats no8{false, true, false};
    EXPECT_EQ(settings::CorrectColorMode(3, no8), 1);
    EXPECT_EQ(settings::CorrectColorMode(0, no8), 1);
    const settings::OutputFormats only8{true, false, false};
    EXPECT_EQ(settings::CorrectColorMode(1, only8), 0);
    EXPECT_EQ(settings::CorrectColorMode(2, only8), 0);
    const settings::OutputFormats colour8{true, false, true};
    EXPECT_EQ(settings::CorrectColorMode(1, colour8), 2);
}

}  // namespace
}  // namespace nodrix
