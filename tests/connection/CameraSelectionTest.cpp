// Camera selection, names, the camera information record and the serial
// number, through the exports on the emulated camera.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "core/EmulatedCameraFixture.h"
#include "platform/SettingsStore.h"
#include "settings/SdkSettingsSandbox.h"

namespace nodrix {
namespace {

emulator::EmulatorConfig CamerasWithSerials(std::vector<std::string> serials) {
    emulator::EmulatorConfig config = testing::CamerasOf(std::vector<std::uint16_t>(serials.size(), 0x33B0));
    for (std::size_t i = 0; i < serials.size(); ++i) config.cameras[i].serial = serials[i];
    return config;
}

class Selection : public ::testing::Test {
protected:
    void Open(const emulator::EmulatorConfig& config) {
        test::ResetSdkSettings();
        emulator_ = std::make_unique<testing::InstalledEmulator>(config);
        handle_ = Nodrix_Initialize(0);
        ASSERT_NE(handle_, 0);
    }
    void TearDown() override {
        if (handle_ != 0) Nodrix_Release(handle_);
        emulator_.reset();
        test::ResetSdkSettings();
    }
    int LastError() { return Nodrix_GetLastError(handle_); }

    std::unique_ptr<testing::InstalledEmulator> emulator_;
    int handle_ = 0;
};

TEST_F(Selection, SingleCameraIsOpenedAtInitialisation) {
    Open(CamerasWithSerials({"T520EMU00"}));
    EXPECT_EQ(LastError(), 0);

    unsigned char record[64];
    std::memset(record, 0xCC, sizeof record);
    const std::int32_t size35 = 35;
    std::memcpy(record, &size35, 4);
    EXPECT_EQ(Nodrix_GetCameraInfo(handle_, reinterpret_cast<NodrixCameraInfo*>(record)), 0);
    EXPECT_EQ(LastError(), 5);

    NodrixCameraInfo info;
    std::memset(&info, 0xCC, sizeof info);
    info.size = 36;
    ASSERT_EQ(Nodrix_GetCameraInfo(handle_, &info), 1);
    EXPECT_EQ(info.maxWidth, 1280);
    EXPECT_EQ(info.maxHeight, 1024);
    EXPECT_LE(info.gainMin, info.gainMax);
    EXPECT_LT(info.exposureMin, info.exposureMax);
    EXPECT_EQ(info.reserved, static_cast<std::int32_t>(0xCCCCCCCC));
    unsigned char untouched[8];
    std::memset(untouched, 0xCC, 8);
    EXPECT_EQ(std::memcmp(&info.exposureSecondsMin, untouched, 8), 0);

    info.size = 56;
    ASSERT_EQ(Nodrix_GetCameraInfo(handle_, &info), 1);
    EXPECT_EQ(info.reserved, static_cast<std::int32_t>(0xCCCCCCCC));
    EXPECT_NE(std::memcmp(&info.exposureSecondsMax, untouched, 8), 0);
    EXPECT_EQ(Nodrix_GetCameraInfo(handle_, nullptr), 0);
    EXPECT_EQ(LastError(), 9);
}

TEST_F(Selection, SerialNumberFromTheConfigurationMemory) {
    Open(CamerasWithSerials({"T520EMU07"}));
    char serial[40];
    std::memset(serial, 'Q', sizeof serial);
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle_, serial, 32), 1);
    EXPECT_STREQ(serial, "T520EMU07");
    // The byte access reaches the first 4 KiB only: the address is masked.
    int ok = 0;
    const int low = Nodrix_ReadSromID(handle_, 0x0040, &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Nodrix_ReadSromID(handle_, 0x1040, &ok), low);
    EXPECT_EQ(ok, 1);
    NodrixWChar wide[40];
    ASSERT_EQ(Nodrix_ReadSerialNumberW(handle_, wide, 40), 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide), 9), u"T520EMU07");
    EXPECT_EQ(wide[9], 0);
    // Nine characters and the terminator do not fit nine units.
    EXPECT_EQ(Nodrix_ReadSerialNumberW(handle_, wide, 9), 0);
    EXPECT_EQ(LastError(), 12);
}

TEST_F(Selection, FullLengthSerialNumberKeepsItsFirstThirtyOneCharacters) {
    const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    ASSERT_EQ(full.size(), 32u);
    Open(CamerasWithSerials({full}));
    char serial[40];
    std::memset(serial, 'Q', sizeof serial);
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle_, serial, 32), 1);
    EXPECT_EQ(std::string(serial), full.substr(0, 31));
}

TEST_F(Selection, TwoCamerasAreListedAndChosenByNumber) {
    Open(CamerasWithSerials({"T520EMU00", "T520EMU01"}));
    char names[10][256];
    std::memset(names, 'Q', sizeof names);
    EXPECT_EQ(Nodrix_EnumDevice(handle_, &names[0][0]), 2);
    EXPECT_STREQ(names[0], "NodrixT520_01");
    EXPECT_STREQ(names[1], "NodrixT520_02");
    for (int slot = 2; slot < 10; ++slot) EXPECT_EQ(names[slot][0], '\0') << slot;

    NodrixWChar wide[10][256];
    EXPECT_EQ(Nodrix_EnumDeviceW(handle_, &wide[0][0]), 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide[1])), u"NodrixT520_02");

    char name[14];
    ASSERT_EQ(Nodrix_GetDeviceName(handle_, 1, name, sizeof name), 1);
    EXPECT_STREQ(name, "NodrixT520_02");
    EXPECT_EQ(Nodrix_GetDeviceName(handle_, 2, name, sizeof name), 0);
    EXPECT_EQ(LastError(), 2);
    EXPECT_EQ(Nodrix_GetDeviceName(handle_, 40, name, sizeof name), 0);
    EXPECT_EQ(LastError(), 2);
    NodrixWChar wideName[14];
    ASSERT_EQ(Nodrix_GetDeviceNameW(handle_, 0, wideName, 14), 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wideName)), u"NodrixT520_01");
    EXPECT_EQ(Nodrix_GetDeviceNameW(handle_, 0, wideName, 13), 0);
    EXPECT_EQ(LastError(), 12);

    EXPECT_EQ(Nodrix_SetDeviceNumber(handle_, 1), 1);
    EXPECT_EQ(LastError(), 0);
    // The camera opened later gets a grey mode, as one opened at
    // initialisation does, and a snapshot fits a grey buffer.
    const int bits = Nodrix_GetColorMode(handle_);
    EXPECT_TRUE(bits == 8 || bits == 16) << bits;
    std::vector<unsigned char> frame(static_cast<std::size_t>(1280) * 1024 * (bits == 8 ? 1 : 2));
    EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(Nodrix_SetDeviceNumber(handle_, 5), 0);
    EXPECT_EQ(LastError(), 2);
}

TEST_F(Selection, CameraSettingsAreSavedWhenTheConnectionEnds) {
    Open(CamerasWithSerials({"T520EMU00"}));
    ASSERT_EQ(Nodrix_SetAutoIris(handle_, 2), 1);
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    handle_ = 0;
    platform::SettingsKey key;
    ASSERT_TRUE(key.Open("Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_00\\Gain",
                         platform::KeyAccess::Read));
    std::uint32_t autoIris = 0;
    ASSERT_TRUE(key.ReadDword("AutoIris", &autoIris));
    EXPECT_EQ(autoIris, 2u);
    ASSERT_TRUE(key.Open("Software\\Velmor\\NodrixT520U3T2Sdk\\Camera_00\\Gray",
                         platform::KeyAccess::Read));
    // The next connection starts from what was saved.
    handle_ = Nodrix_Initialize(0);
    ASSERT_NE(handle_, 0);
    EXPECT_EQ(Nodrix_GetAutoIris(handle_, nullptr), 2);
}

TEST_F(Selection, EveryMissingCameraIsNamedAsSuch) {
    // No camera: the connection says why it has none.
    Open(CamerasWithSerials({}));
    EXPECT_EQ(LastError(), NODRIX_ERROR_NOT_PRESENT);
    Nodrix_Release(handle_);
    handle_ = 0;
    emulator_.reset();

    // Two cameras and none chosen: a snapshot has no camera, whatever its
    // capture window.
    Open(CamerasWithSerials({"T520EMU00", "T520EMU01"}));
    while (LastError() != 0) {
    }
    std::vector<unsigned char> frame(static_cast<std::size_t>(1280) * 1024 * 2);
    EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_NOT_PRESENT);
    EXPECT_EQ(LastError(), 0);
}

// A camera one connection holds is refused to a second, which keeps what it
// had; the first goes on undisturbed, and the camera is free once released.
TEST_F(Selection, ACameraAnotherConnectionHoldsIsRefused) {
    Open(CamerasWithSerials({"T520EMU00", "T520EMU01"}));
    ASSERT_EQ(Nodrix_SetDeviceNumber(handle_, 0), 1);
    const int second = Nodrix_Initialize(0);
    ASSERT_NE(second, 0);
    while (Nodrix_GetLastError(second) != 0) {
    }
    EXPECT_EQ(Nodrix_SetDeviceNumber(second, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(second), NODRIX_ERROR_NOT_PRESENT);
    ASSERT_EQ(Nodrix_SetDeviceNumber(second, 1), 1);
    EXPECT_EQ(Nodrix_SetDeviceNumber(second, 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(second), NODRIX_ERROR_NOT_PRESENT);
    EXPECT_EQ(Nodrix_SetDeviceNumber(handle_, 1), 0);
    EXPECT_EQ(LastError(), NODRIX_ERROR_NOT_PRESENT);

    // Both still have their own camera.
    char serial[40];
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle_, serial, 32), 1);
    EXPECT_STREQ(serial, "T520EMU00");
    ASSERT_EQ(Nodrix_ReadSerialNumberA(second, serial, 32), 1);
    EXPECT_STREQ(serial, "T520EMU01");
    const int bits = Nodrix_GetColorMode(handle_);
    std::vector<unsigned char> frame(static_cast<std::size_t>(1280) * 1024 * 2);
    EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1) << bits;
    EXPECT_EQ(Nodrix_SnapShot(second, frame.data(), static_cast<int>(frame.size()), 1), 1);

    ASSERT_EQ(Nodrix_Release(second), 1);
    EXPECT_EQ(Nodrix_SetDeviceNumber(handle_, 1), 1);
    EXPECT_EQ(LastError(), 0);
}

TEST_F(Selection, ASingleCameraHeldElsewhereIsNotOpenedAtInitialisation) {
    Open(CamerasWithSerials({"T520EMU00"}));
    const int second = Nodrix_Initialize(0);
    ASSERT_NE(second, 0);
    EXPECT_EQ(Nodrix_GetLastError(second), NODRIX_ERROR_NOT_PRESENT);
    std::vector<unsigned char> frame(static_cast<std::size_t>(1280) * 1024 * 2);
    EXPECT_EQ(Nodrix_SnapShot(second, frame.data(), static_cast<int>(frame.size()), 1), 0);
    EXPECT_EQ(Nodrix_GetLastError(second), NODRIX_ERROR_NOT_PRESENT);
    EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1);
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    handle_ = second;
    EXPECT_EQ(Nodrix_SetDeviceNumber(handle_, 0), 1);
}

TEST_F(Selection, AConnectionAskedNotToSaveLeavesTheStoredSettings) {
    Open(CamerasWithSerials({"T520EMU00"}));
    ASSERT_EQ(Nodrix_SetAutoIris(handle_, 2), 1);
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    handle_ = Nodrix_Initialize(0);
    ASSERT_NE(handle_, 0);
    ASSERT_EQ(NodrixEx_SetSaveOnRelease(handle_, 0), 1);
    ASSERT_EQ(Nodrix_SetAutoIris(handle_, 1), 1);
    ASSERT_EQ(Nodrix_Release(handle_), 1);
    handle_ = Nodrix_Initialize(0);
    ASSERT_NE(handle_, 0);
    EXPECT_EQ(Nodrix_GetAutoIris(handle_, nullptr), 2);
}

}  // namespace
}  // namespace nodrix
