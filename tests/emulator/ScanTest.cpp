// The device-interface scan and device paths.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "HandBuiltRequests.h"
#include "emulator/EmulatorEnvironment.h"

namespace nodrix::emulator::test {
namespace {

std::vector<std::string> Scan(platform::DriverPort& d) {
    std::vector<std::string> paths;
    auto set = d.GetClassDevices(kCameraInterfaceClass);
    for (std::uint32_t i = 0; i < 32; ++i) {
        if (!d.EnumDeviceInterface(set, kCameraInterfaceClass, i)) continue;
        std::uint32_t required = 0;
        EXPECT_FALSE(d.GetDeviceInterfaceDetail(set, kCameraInterfaceClass, i, nullptr, 0, &required));
        std::vector<std::uint8_t> detail(1000, 0);
        PutLe32(detail.data(), 5);
        EXPECT_TRUE(d.GetDeviceInterfaceDetail(set, kCameraInterfaceClass, i, detail.data(),
                                               1000, &required));
        paths.emplace_back(reinterpret_cast<const char*>(detail.data() + 4));
        EXPECT_EQ(required, 4 + paths.back().size() + 1);
    }
    d.DestroyDeviceInfoList(set);
    return paths;
}

EmulatorConfig ThreeCameras() {
    EmulatorConfig c;
    EXPECT_TRUE(ParseEmulatorConfig("cameras=33B0,3020,33B0", c, nullptr));
    return c;
}

TEST(Scan, PathsCarryVendorAndProductAtTheirPlaces) {
    EmulatedDriver d(ThreeCameras());
    auto paths = Scan(d);
    ASSERT_EQ(paths.size(), 3u);
    const char* products[] = {"33b0", "3020", "33b0"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(paths[i].substr(0, 12), "\\\\?\\usb#vid_");
        EXPECT_EQ(paths[i].substr(12, 4), "2e5a");
        EXPECT_EQ(paths[i].substr(16, 5), "&pid_");
        EXPECT_EQ(paths[i].substr(21, 4), products[i]);
        EXPECT_EQ(paths[i].substr(paths[i].size() - 39),
                  "#{328184c5-93e6-49b7-94b8-2ada13aabb39}");
    }
    EXPECT_NE(paths[0], paths[2]);
    // Paths open in either case, as on the system.
    std::string upper = paths[1];
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const auto h = d.Open(upper.c_str(), false);
    EXPECT_NE(h, platform::kInvalidDriverHandle);
    d.Close(h);
}

TEST(Scan, SameConfigurationSameCamerasInTheSameOrder) {
    EmulatedDriver a(ThreeCameras());
    EmulatedDriver b(ThreeCameras());
    EXPECT_EQ(Scan(a), Scan(b));
}

TEST(Scan, UnpluggedCameraLeavesAGapInMemberIndices) {
    EmulatedDriver d(ThreeCameras());
    const std::string third = d.DevicePath(2);
    ASSERT_TRUE(d.Unplug(0));
    auto paths = Scan(d);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], third);
}

TEST(Scan, DetailRecordNeedsTheSizeFieldOfThe32BitStructure) {
    EmulatedDriver d;
    auto set = d.GetClassDevices(kCameraInterfaceClass);
    std::vector<std::uint8_t> detail(1000, 0);
    PutLe32(detail.data(), 8);
    std::uint32_t required = 0;
    EXPECT_FALSE(d.GetDeviceInterfaceDetail(set, kCameraInterfaceClass, 0, detail.data(), 1000,
                                            &required));
    PutLe32(detail.data(), 5);
    EXPECT_FALSE(d.GetDeviceInterfaceDetail(set, kCameraInterfaceClass, 0, detail.data(), 20,
                                            &required));  // too small
    EXPECT_TRUE(d.GetDeviceInterfaceDetail(set, kCameraInterfaceClass, 0, detail.data(), 1000,
                                           &required));
    d.DestroyDeviceInfoList(set);

    platform::Guid other = kCameraInterfaceClass;
    other.data1 ^= 1;
    set = d.GetClassDevices(other);
    EXPECT_FALSE(d.EnumDeviceInterface(set, other, 0));
    d.DestroyDeviceInfoList(set);
}

TEST(Scan, TheSameCamerasForEveryProcessOfTheEnvironment) {
    // Run by CTest with NODRIX_EMULATION=2 in the native and the Windows
    // build: both must see exactly these two cameras.
    const char* env = std::getenv("NODRIX_EMULATION");
    if (env == nullptr || std::string(env) != "2") GTEST_SKIP() << "NODRIX_EMULATION is not 2";
    platform::DriverPort* port = DriverFromEnvironment();
    ASSERT_NE(port, nullptr);
    auto paths = Scan(*port);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0],
              "\\\\?\\usb#vid_2e5a&pid_33b0#t5200000#{328184c5-93e6-49b7-94b8-2ada13aabb39}");
    EXPECT_EQ(paths[1],
              "\\\\?\\usb#vid_2e5a&pid_33b0#t5200001#{328184c5-93e6-49b7-94b8-2ada13aabb39}");
}

}  // namespace
}  // namespace nodrix::emulator::test
