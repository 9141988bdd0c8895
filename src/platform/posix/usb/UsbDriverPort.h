#pragma once
// The camera's driver requests carried out over libusb: the scan lists the
// USB devices that are cameras, a device path opens one libusb handle with
// the camera's interface claimed (every DriverHandle of the same camera
// shares it), and each I/O control request is decoded from the transport's
// own bytes into the USB operation it stands for.
//
// Bulk transfers run asynchronously; a thread handles libusb's events while
// any camera is open. A transfer whose PendingIo is destroyed while it is
// still in flight is cancelled and freed only by its completion, never under
// the kernel. Once a camera is unplugged its handles stay dead; the next scan
// finds it again when it comes back.

#include <libusb.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DriverPort.h"

namespace nodrix::platform::usb {

class UsbPendingIo;

class UsbDriverPort final : public DriverPort {
public:
    UsbDriverPort();
    ~UsbDriverPort() override;
    UsbDriverPort(const UsbDriverPort&) = delete;
    UsbDriverPort& operator=(const UsbDriverPort&) = delete;

    // False when libusb could not be initialised: then nothing is found.
    bool Available() const { return context_ != nullptr; }

    DeviceInfoSet GetClassDevices(const Guid& interfaceClass) override;
    bool EnumDeviceInterface(DeviceInfoSet set, const Guid& interfaceClass,
                             std::uint32_t memberIndex) override;
    bool GetDeviceInterfaceDetail(DeviceInfoSet set, const Guid& interfaceClass,
                                  std::uint32_t memberIndex, void* detail, std::uint32_t detailSize,
                                  std::uint32_t* requiredSize) override;
    void DestroyDeviceInfoList(DeviceInfoSet set) override;
    DriverHandle Open(const char* path, bool overlapped) override;
    void Close(DriverHandle handle) override;
    bool IoControl(DriverHandle handle, std::uint32_t code, void* in, std::uint32_t inSize,
                   void* out, std::uint32_t outSize, std::uint32_t* returned) override;
    std::unique_ptr<PendingIo> CreatePendingIo() override;
    std::uint32_t SubmitIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                  std::uint32_t inSize, void* out, std::uint32_t outSize,
                                  PendingIo& io) override;
    IoWaitResult WaitIo(PendingIo& io, std::uint32_t timeoutMs) override;
    bool GetIoResult(DriverHandle handle, PendingIo& io, std::uint32_t* bytes) override;
    std::unique_ptr<DeviceLock> LockDevice(const char* path) override {
        return LockDeviceAcrossProcesses(path);
    }

private:
    friend class UsbPendingIo;

    // One opened camera: a libusb handle with the camera's interface claimed.
    struct Device {
        std::string path;
        libusb_device_handle* handle = nullptr;
        int interfaceNumber = 0;
        int users = 0;                  // DriverHandles naming it
        int inFlight = 0;               // transfers submitted, completion not yet seen
        std::atomic<bool> gone{false};  // unplugged: every later request fails
    };
    // What a scan found: a camera's path and where it sits.
    struct Found {
        std::string path;
        libusb_device* device = nullptr;  // referenced
        int interfaceNumber = 0;
        std::vector<std::uint8_t> place;  // bus, then the hub ports
    };

    // A transfer submitted to libusb and not yet completed; io is null once
    // its PendingIo is gone (the completion then only frees the transfer).
    struct Flight {
        libusb_transfer* transfer = nullptr;
        UsbPendingIo* io = nullptr;
        std::shared_ptr<Device> device;
    };

    std::vector<Found> FindCameras();
    static void ReleaseFound(std::vector<Found>& found);
    std::shared_ptr<Device> DeviceOf(DriverHandle handle);
    void CloseDevice(const std::shared_ptr<Device>& device);
    void EnsureEventThread();
    void StopEventThreadWhenIdle();
    void EventLoop();

    // Requests completed at once (everything but bulk transfers).
    bool ImmediateRequest(Device& device, std::uint32_t code, std::uint8_t* in,
                          std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                          std::uint32_t& returned);
    bool ControlTransfer(Device& device, std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                         std::uint32_t outSize, std::uint32_t& returned);
    void CancelEndpointLocked(const Device& device, int endpoint);
    std::uint32_t StartBulkLocked(const std::shared_ptr<Device>& device, std::uint32_t code,
                                  std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                  std::uint32_t outSize, UsbPendingIo& io);
    // Carries out one control transfer and waits for it. It goes through the
    // event thread like every other transfer: libusb's own synchronous calls
    // race with a second thread that handles its events.
    int RunControlTransfer(Device& device, std::uint8_t requestType, std::uint8_t request,
                           std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                           std::uint16_t length, unsigned timeoutMs);
    // The flight of a transfer; null when it has none.
    Flight* FlightOfLocked(const libusb_transfer* transfer);
    // Control transfers are kept for reuse, so that the one every frame
    // starts with allocates nothing.
    libusb_transfer* TakeControlTransfer();
    void GiveControlTransfer(libusb_transfer* transfer);
    static void LIBUSB_CALL TransferDone(libusb_transfer* transfer);
    static void LIBUSB_CALL ControlDone(libusb_transfer* transfer);
    void Finish(libusb_transfer* transfer);
    void Orphan(UsbPendingIo& io);

    libusb_context* context_ = nullptr;
    std::mutex mutex_;
    std::condition_variable completed_;
    std::map<DeviceInfoSet, std::vector<std::string>> infoSets_;
    DeviceInfoSet nextInfoSet_ = 0x5B0000;
    std::map<DriverHandle, std::shared_ptr<Device>> handles_;
    DriverHandle nextHandle_ = 0x50000000;
    // A few at a time; erasing keeps the capacity, so a stream of reads
    // allocates nothing here once the first ones have gone through.
    std::vector<Flight> flights_;
    std::vector<libusb_transfer*> spareControls_;
    int pendingControls_ = 0;  // control transfers being waited for
    // Serialises opening, so that two opens of one camera share its handle.
    std::mutex openMutex_;
    // Starts and stops the event thread; taken before mutex_, never by it.
    std::mutex eventsMutex_;
    std::thread events_;
    std::atomic<bool> eventsRun_{false};
};

}  // namespace nodrix::platform::usb
