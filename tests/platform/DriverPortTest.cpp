#include <gtest/gtest.h>

#include <cstdint>

#include "api/DriverPortChoice.h"
#include "platform/DriverPort.h"
#include "platform/SystemDriverPort.h"

namespace nodrix::platform {
namespace {

// The camera's device interface class.
constexpr Guid kCameraInterface = {0x328184C5, 0x93E6, 0x49B7,
                                   {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};

class MarkerPort final : public DriverPort {
public:
    DeviceInfoSet GetClassDevices(const Guid&) override { return 42; }
    bool EnumDeviceInterface(DeviceInfoSet, const Guid&, std::uint32_t) override { return false; }
    bool GetDeviceInterfaceDetail(DeviceInfoSet, const Guid&, std::uint32_t, void*, std::uint32_t,
                                  std::uint32_t*) override {
        return false;
    }
    void DestroyDeviceInfoList(DeviceInfoSet) override {}
    DriverHandle Open(const char*, bool) override { return kInvalidDriverHandle; }
    void Close(DriverHandle) override {}
    bool IoControl(DriverHandle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                   std::uint32_t*) override {
        return false;
    }
    std::unique_ptr<PendingIo> CreatePendingIo() override { return nullptr; }
    std::uint32_t SubmitIoControl(DriverHandle, std::uint32_t, void*, std::uint32_t, void*,
                                  std::uint32_t, PendingIo&) override {
        return kErrorGenFailure;
    }
    IoWaitResult WaitIo(PendingIo&, std::uint32_t) override { return IoWaitResult::Failed; }
    bool GetIoResult(DriverHandle, PendingIo&, std::uint32_t*) override { return false; }
};

TEST(DriverPortTest, AnInstalledPortTakesPrecedenceUntilRemoved) {
    DriverPort& before = api::ActiveDriverPort();
    MarkerPort marker;
    api::InstallDriverPort(&marker);
    EXPECT_EQ(&api::ActiveDriverPort(), &marker);
    api::InstallDriverPort(nullptr);
    EXPECT_EQ(&api::ActiveDriverPort(), &before);
}

// No camera is attached to the machines the tests run on.
TEST(DriverPortTest, SystemPortFindsNoCameraAndFailsToOpenOne) {
    DriverPort& port = detail::SystemDriverPort();
    const DeviceInfoSet set = port.GetClassDevices(kCameraInterface);
    EXPECT_FALSE(port.EnumDeviceInterface(set, kCameraInterface, 0));
    std::uint32_t required = 0;
    EXPECT_FALSE(port.GetDeviceInterfaceDetail(set, kCameraInterface, 0, nullptr, 0, &required));
    port.DestroyDeviceInfoList(set);
    EXPECT_EQ(port.Open("\\\\?\\usb#vid_04b4&pid_00f1#0#{328184c5}", true), kInvalidDriverHandle);
    auto io = port.CreatePendingIo();
    ASSERT_NE(io, nullptr);
    // Nothing was submitted on the record, so nothing completes.
    EXPECT_NE(port.WaitIo(*io, 0), IoWaitResult::Completed);
}

}  // namespace
}  // namespace nodrix::platform
