#include "platform/SystemDriverPort.h"

#if NODRIX_HAVE_LIBUSB
#include "platform/posix/usb/UsbDriverPort.h"
#endif

namespace nodrix::platform::detail {
namespace {

// A build without libusb reaches no camera: the scan finds nothing and
// every request fails as with an unplugged camera.
class NoDevicePort final : public DriverPort {
public:
    DeviceInfoSet GetClassDevices(const Guid&) override { return kInvalidDeviceInfoSet; }
    bool EnumDeviceInterface(DeviceInfoSet, const Guid&, std::uint32_t) override { return false; }
    bool GetDeviceInterfaceDetail(DeviceInfoSet, const Guid&, std::uint32_t, void*, std::uint32_t,
                                  std::uint32_t* requiredSize) override {
        if (requiredSize) *requiredSize = 0;
        return false;
    }
    void DestroyDeviceInfoList(DeviceInfoSet) override {}
    DriverHandle Open(const char*, bool) override { return kInvalidDriverHandle; }
    void Close(DriverHandle) override {}
    bool IoControl(DriverHandle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                   std::uint32_t* returned) override {
        if (returned) *returned = 0;
        return false;
    }
    std::unique_ptr<PendingIo> CreatePendingIo() override { return std::make_unique<PendingIo>(); }
    std::uint32_t SubmitIoControl(DriverHandle, std::uint32_t, void*, std::uint32_t, void*,
                                  std::uint32_t, PendingIo&) override {
        return kErrorDeviceNotConnected;
    }
    IoWaitResult WaitIo(PendingIo&, std::uint32_t) override { return IoWaitResult::Failed; }
    bool GetIoResult(DriverHandle, PendingIo&, std::uint32_t* bytes) override {
        if (bytes) *bytes = 0;
        return false;
    }
};

}  // namespace

DriverPort& SystemDriverPort() {
#if NODRIX_HAVE_LIBUSB
    // Lives as long as the process: transport objects of any thread may
    // still hold handles of it while static objects are destroyed.
    static usb::UsbDriverPort* port = new usb::UsbDriverPort();
    if (port->Available()) return *port;
#endif
    static NoDevicePort none;
    return none;
}

}  // namespace nodrix::platform::detail
