// Camera selection, identification and register access through the
// exported functions, against the emulated camera.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "EmulatedCameraFixture.h"
#include "NodrixSdk.h"

namespace nodrix {
namespace {

using testing::CamerasOf;
using testing::InstalledEmulator;

std::string SerialInEeprom(emulator::EmulatedDriver& driver, int camera) {
    std::string serial;
    for (int i = 0; i < 32; ++i) {
        const std::uint8_t byte = driver.EepromByte(camera, static_cast<std::uint16_t>(0x1040 + i));
        if (byte == 0xFF) break;
        serial += static_cast<char>(byte);
    }
    return serial;
}

int GainMaxOf(int handle) {
    NodrixCameraInfo info{};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (!Nodrix_GetCameraInfo(handle, &info)) return -1;
    return info.gainMax;
}

TEST(CoreExports, TwoCamerasOpenNoneUntilOneIsChosen) {
    InstalledEmulator emulator(CamerasOf({0x33B0, 0x33B0}));
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(GainMaxOf(handle), 0);  // no sensor driver: neutral limits

    char names[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS];
    std::memset(names, 'x', sizeof names);
    EXPECT_EQ(Nodrix_EnumDevice(handle, names), 2);
    EXPECT_STREQ(names, "NodrixT520_01");
    EXPECT_STREQ(names + NODRIX_ENUM_SLOT_CHARS, "NodrixT520_02");
    EXPECT_STREQ(names + 2 * NODRIX_ENUM_SLOT_CHARS, "");

    char name[32] = {};
    EXPECT_EQ(Nodrix_GetDeviceName(handle, 1, name, sizeof name), 1);
    EXPECT_STREQ(name, "NodrixT520_02");
    EXPECT_EQ(Nodrix_GetDeviceName(handle, 2, name, sizeof name), 0);

    ASSERT_EQ(Nodrix_SetDeviceNumber(handle, 1), 1);
    EXPECT_EQ(GainMaxOf(handle), 62);
    char serial[64] = {};
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle, serial, 32), 1);
    EXPECT_EQ(std::string(serial), SerialInEeprom(emulator.Driver(), 1));
    EXPECT_NE(std::string(serial), SerialInEeprom(emulator.Driver(), 0));

    EXPECT_EQ(Nodrix_SetDeviceNumber(handle, 0), 1);
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle, serial, 32), 1);
    EXPECT_EQ(std::string(serial), SerialInEeprom(emulator.Driver(), 0));
    EXPECT_EQ(Nodrix_SetDeviceNumber(handle, 5), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle), 2);
    EXPECT_EQ(Nodrix_Release(handle), 1);
}

TEST(CoreExports, OneCameraIsOpenedAtOnce) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);

    NodrixCameraInfo info{};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    ASSERT_EQ(Nodrix_GetCameraInfo(handle, &info), 1);
    EXPECT_EQ(info.maxWidth, 1280);
    EXPECT_EQ(info.maxHeight, 1024);
    EXPECT_EQ(info.gainMin, 2);
    EXPECT_EQ(info.gainMax, 62);
    EXPECT_EQ(info.exposureMin, 1);
    EXPECT_EQ(info.exposureMax, 20000);
    EXPECT_DOUBLE_EQ(info.exposureSecondsMax, 2.0);

    char serial[40];
    ASSERT_EQ(Nodrix_ReadSerialNumberA(handle, serial, 40), 1);
    EXPECT_EQ(std::string(serial), SerialInEeprom(emulator.Driver(), 0));
    EXPECT_EQ(Nodrix_ReadSerialNumberA(handle, serial, 31), 0);  // too small a buffer
    NodrixWChar wide[40] = {};
    ASSERT_EQ(Nodrix_ReadSerialNumberW(handle, wide, 40), 1);
    for (std::size_t i = 0; i <= std::strlen(serial); ++i) {
        EXPECT_EQ(static_cast<int>(wide[i]), static_cast<unsigned char>(serial[i]));
    }
    NodrixWChar wideName[32] = {};
    ASSERT_EQ(Nodrix_GetDeviceNameW(handle, 0, wideName, 32), 1);
    EXPECT_EQ(static_cast<int>(wideName[0]), 'N');
    EXPECT_EQ(static_cast<int>(wideName[12]), '1');
    EXPECT_EQ(Nodrix_Release(handle), 1);
}

TEST(CoreExports, ErasedSerialNumberLeavesTheBufferAsItWas) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    emulator.Driver().SetEepromByte(0, 0x1040, 0xFF);
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    char serial[32];
    std::memset(serial, 'q', sizeof serial);
    EXPECT_EQ(Nodrix_ReadSerialNumberA(handle, serial, sizeof serial), 1);
    for (char c : serial) {
        ASSERT_EQ(c, 'q');
    }
    EXPECT_EQ(Nodrix_Release(handle), 1);
}

TEST(CoreExports, RegistersPortEepromAndTemperature) {
    InstalledEmulator emulator(CamerasOf({0x33B0}));
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    emulator::EmulatedDriver& driver = emulator.Driver();

    EXPECT_EQ(Nodrix_Fpga_WriteRegister(handle, 0x107, 0x1A5), 1);  // low 8 bits of each
    EXPECT_EQ(driver.FpgaRegister(0, 7), 0xA5);
    int ok = 1;
    EXPECT_EQ(Nodrix_Fpga_ReadRegister(handle, 7, &ok), 0xA5);
    EXPECT_EQ(ok, 1);

    EXPECT_EQ(Nodrix_SetIOPort(handle, 0x3C), 1);
    unsigned char port = 0;
    EXPECT_EQ(Nodrix_GetIOPort(handle, &port, 0, 0), 1);
    EXPECT_EQ(port, 0x3C);
    EXPECT_EQ(Nodrix_GetIOPort(handle, nullptr, 0, 0), 0);

    // The sensor's gain register.
    EXPECT_EQ(Nodrix_WriteRegister(handle, 287 & 0xFF, 0), 1);
    EXPECT_EQ(Nodrix_WriteRegisterEx(handle, 287, 20), 1);
    EXPECT_EQ(driver.SensorRegister(0, 287), 20);
    ok = 0;
    EXPECT_EQ(Nodrix_ReadRegisterEx(handle, 287, &ok), 20);
    EXPECT_EQ(ok, 1);

    EXPECT_EQ(Nodrix_WriteSromID(handle, 0x1123, 0x42), 1);  // low 12 bits: 0x123
    EXPECT_EQ(driver.EepromByte(0, 0x123), 0x42);
    ok = 0;
    EXPECT_EQ(Nodrix_ReadSromID(handle, 0x123, &ok), 0x42);
    EXPECT_EQ(ok, 1);

    int rate = 7;
    EXPECT_EQ(Nodrix_GetSamplingRate(handle, &rate), 0);
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(Nodrix_SetSamplingRate(handle, 3), 0);  // no such command on this sensor

    ok = 0;
    const double degrees = Nodrix_GetTemperatureEx(handle, &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_GT(degrees, -60.0);
    EXPECT_LT(degrees, 150.0);

    EXPECT_EQ(Nodrix_Release(handle), 1);
    EXPECT_EQ(Nodrix_Fpga_ReadRegister(handle, 7, &ok), 0);  // the handle is gone
}

}  // namespace
}  // namespace nodrix
