// The libusb port on its own: the scan, device paths, opening and the
// driver's control request, on one and two emulated cameras.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "NodrixSdk.h"
#include "api/DriverPortChoice.h"
#include "catalogue/CameraCatalogue.h"
#include "core/EmulatedCameraFixture.h"
#include "platform/posix/usb/UsbDriverPort.h"
#include "transport/DevicePath.h"
#include "transport/InterfaceClass.h"
#include "transport/TransferRecord.h"
#include "usb/UsbTestbed.h"

namespace nodrix::testing {
namespace {

using platform::kInvalidDriverHandle;

std::vector<std::string> Scan(platform::DriverPort& port) {
    std::vector<std::string> paths;
    const auto set = port.GetClassDevices(transport::kCameraInterfaceClass);
    for (std::uint32_t i = 0; port.EnumDeviceInterface(set, transport::kCameraInterfaceClass, i);
         ++i) {
        std::vector<std::uint8_t> detail(1000);
        std::uint32_t required = 0;
        EXPECT_TRUE(port.GetDeviceInterfaceDetail(set, transport::kCameraInterfaceClass, i,
                                                  detail.data(), 1000, &required));
        paths.emplace_back(reinterpret_cast<const char*>(detail.data() + 4));
    }
    port.DestroyDeviceInfoList(set);
    return paths;
}

class UsbPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UsbTestbed::Available()) GTEST_SKIP() << "needs umockdev's preload library";
    }
};

TEST_F(UsbPortTest, ScanFindsEachCameraWithItsIdentifiersInThePath) {
    emulator::EmulatedDriver driver(CamerasOf({0x33B0, 0x32C0}));
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    const std::vector<std::string> paths = Scan(port);
    ASSERT_EQ(paths.size(), 2u);
    std::vector<std::uint16_t> products;
    for (const std::string& path : paths) {
        EXPECT_EQ(transport::HexFieldAt(path.c_str(), transport::kPathVendorPosition),
                  driver.UsbVendorId());
        products.push_back(transport::HexFieldAt(path.c_str(), transport::kPathProductPosition));
        EXPECT_NE(path.find("#bus001-port"), std::string::npos) << path;
    }
    EXPECT_NE(std::find(products.begin(), products.end(), 0x33B0), products.end());
    EXPECT_NE(std::find(products.begin(), products.end(), 0x32C0), products.end());
    EXPECT_NE(paths[0], paths[1]);
}

TEST_F(UsbPortTest, ScanPassesOverAnotherVendorsDeviceWithACameraProductNumber) {
    emulator::EmulatorConfig config = CamerasOf({0x33B0});
    config.vendorId = 0x1234;
    emulator::EmulatedDriver driver(config);
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    EXPECT_TRUE(Scan(port).empty());
}

// The udev rules grant access to exactly the devices the scan takes: one
// line per known product, each matching the camera vendor as well.
TEST(UdevRules, MatchVendorAndProductOfEveryKnownCamera) {
    const char* path = std::getenv("NODRIX_UDEV_RULES");
    ASSERT_NE(path, nullptr) << "the test names the rules file in NODRIX_UDEV_RULES";
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    std::vector<std::string> rules;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line[0] != '#') rules.push_back(line);
    }
    std::vector<std::uint16_t> scanned;
    for (const catalogue::CameraModel& model : catalogue::kCameraModels) {
        if (catalogue::ScannedOverUsb(model)) scanned.push_back(model.productId);
    }
    ASSERT_EQ(rules.size(), scanned.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        char vendor[40], product[40];
        std::snprintf(vendor, sizeof vendor, "ATTR{idVendor}==\"%04x\"",
                      catalogue::kCameraVendor);
        std::snprintf(product, sizeof product, "ATTR{idProduct}==\"%04x\"", scanned[i]);
        EXPECT_NE(rules[i].find(vendor), std::string::npos) << rules[i];
        EXPECT_NE(rules[i].find(product), std::string::npos) << rules[i];
    }
}

// The second information block starts with the camera's serial number.
std::string SerialThrough(platform::DriverPort& port, const std::string& path) {
    const auto handle = port.Open(path.c_str(), false);
    if (handle == kInvalidDriverHandle) return "(no handle)";
    std::uint8_t request[transport::kControlRequestSize];
    transport::BuildControlRequest({0xC0, 0xB1, 0, 0}, nullptr, 0, request);
    std::uint32_t returned = 0;
    const bool ok = port.IoControl(handle, 0x220020, request, sizeof request, request,
                                   sizeof request, &returned);
    port.Close(handle);
    if (!ok) return "(failed)";
    return std::string(reinterpret_cast<const char*>(request + transport::kTransferRecordSize), 9);
}

TEST_F(UsbPortTest, EachPathReachesItsOwnCamera) {
    emulator::EmulatedDriver driver(CamerasOf({0x33B0, 0x33B0}));
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    const std::vector<std::string> paths = Scan(port);
    ASSERT_EQ(paths.size(), 2u);
    const std::string first = SerialThrough(port, paths[0]);
    const std::string second = SerialThrough(port, paths[1]);
    EXPECT_NE(first, second) << paths[0] << " " << paths[1];
    EXPECT_EQ(SerialThrough(port, paths[0]), first);
}

TEST_F(UsbPortTest, ControlRequestReadsTheFirmwareBlockWithTheRecordCounted) {
    emulator::EmulatedDriver driver(CamerasOf({0x33B0}));
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    const std::vector<std::string> paths = Scan(port);
    ASSERT_EQ(paths.size(), 1u);
    const auto handle = port.Open(paths[0].c_str(), false);
    ASSERT_NE(handle, kInvalidDriverHandle);
    std::uint8_t request[transport::kControlRequestSize];
    ASSERT_TRUE(transport::BuildControlRequest({0xC0, 0xB0, 0, 0}, nullptr, 0, request));
    std::uint32_t returned = 0;
    ASSERT_TRUE(port.IoControl(handle, 0x220020, request, sizeof request, request, sizeof request,
                               &returned));
    EXPECT_EQ(returned, transport::kTransferRecordSize + 64);
    EXPECT_EQ(std::memcmp(request + transport::kTransferRecordSize, "NodrixT520", 10), 0);
    std::uint8_t speed[4] = {};
    ASSERT_TRUE(port.IoControl(handle, 0x22004C, speed, 4, speed, 4, &returned));
    EXPECT_EQ(speed[0], 4);
    port.Close(handle);
}

// The camera a connection of one process selected, as a second process of
// the machine sees it: refused (error 2) while the first holds it, free
// once the first released it. The second process is this program again,
// told by NODRIX_TEST_SECOND_PROCESS what it should find; each process has
// the same camera on a mocked bus of its own, at the same device path.
constexpr const char* kSecondProcess = "NODRIX_TEST_SECOND_PROCESS";

int RunSecondProcess(const char* expect) {
    setenv(kSecondProcess, expect, 1);
    char program[4096] = {};
    if (readlink("/proc/self/exe", program, sizeof program - 1) <= 0) return -1;
    const std::string command =
        std::string("'") + program + "' --gtest_filter=UsbPortTest.SecondProcessPart";
    const int status = std::system(command.c_str());
    unsetenv(kSecondProcess);
    return status;
}

TEST_F(UsbPortTest, SecondProcessPart) {
    const char* expect = std::getenv(kSecondProcess);
    if (expect == nullptr) GTEST_SKIP() << "run by the test of the camera held by another process";
    emulator::EmulatedDriver driver(CamerasOf({0x33B0}));
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    api::InstallDriverPort(&port);
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(1280) * 1024 * 2);
    const int shot = Nodrix_SnapShot(handle, frame.data(), static_cast<int>(frame.size()), 1);
    if (std::strcmp(expect, "refused") == 0) {
        EXPECT_EQ(shot, 0);
        EXPECT_EQ(Nodrix_GetLastError(handle), NODRIX_ERROR_NOT_PRESENT);
        EXPECT_EQ(Nodrix_SetDeviceNumber(handle, 0), 0);
        EXPECT_EQ(Nodrix_GetLastError(handle), NODRIX_ERROR_NOT_PRESENT);
    } else {
        EXPECT_EQ(shot, 1) << "error " << Nodrix_GetLastError(handle);
    }
    Nodrix_Release(handle);
    api::InstallDriverPort(nullptr);
}

TEST_F(UsbPortTest, ACameraAnotherProcessHoldsIsRefused) {
    emulator::EmulatedDriver driver(CamerasOf({0x33B0}));
    UsbTestbed bed(driver);
    platform::usb::UsbDriverPort port;
    api::InstallDriverPort(&port);
    const int handle = Nodrix_Initialize(0);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(Nodrix_GetLastError(handle), 0);
    EXPECT_EQ(RunSecondProcess("refused"), 0);
    // The first connection goes on undisturbed.
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(1280) * 1024 * 2);
    EXPECT_EQ(Nodrix_SnapShot(handle, frame.data(), static_cast<int>(frame.size()), 1), 1);
    Nodrix_Release(handle);
    EXPECT_EQ(RunSecondProcess("free"), 0);
    api::InstallDriverPort(nullptr);
}

}  // namespace
}  // namespace nodrix::testing
