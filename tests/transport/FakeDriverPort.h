#pragma once
// A scripted stand-in for the controller's driver: a list of device paths
// to discover, a log of every request with its input bytes, an FPGA
// register file behind the register-bus requests, and queued transfers
// answered by a script (complete, stay pending until aborted, or never end).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DriverPort.h"

namespace nodrix::testing {

struct LoggedRequest {
    platform::DriverHandle handle;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    std::uint32_t outSize;
    // The data of a transfer to the camera (an OUT endpoint).
    std::vector<std::uint8_t> written;
};

// The answer to one queued transfer.
struct BulkReply {
    enum class Kind { Complete, PendingUntilAbort, Hung };
    Kind kind = Kind::Complete;
    std::vector<std::uint8_t> data;  // copied into the caller's buffer
    std::uint32_t driverStatus = 0;
    std::uint32_t usbStatus = 0;
};

class FakeDriverPort : public platform::DriverPort {
public:
    FakeDriverPort();
    ~FakeDriverPort() override;

    // --- the device list ---
    void AddDevice(const std::string& path);
    void SetPresent(const std::string& path, bool present);
    // Makes the interface detail of path report this size.
    void SetDetailSize(const std::string& path, std::uint32_t size);

    // --- control requests ---
    // Answers a control request (the 102-byte buffer, record and data):
    // returns false to refuse it, else the byte count the driver returns.
    using ControlHandler =
        std::function<bool(std::vector<std::uint8_t>& request, std::uint32_t* returned)>;
    void SetControlHandler(ControlHandler handler);
    // The default handler's FPGA (bus 0x40/0x41) and aux (0x5A/0x5B) registers.
    std::uint8_t FpgaRegister(std::uint8_t address);
    void SetFpgaRegister(std::uint8_t address, std::uint8_t value);
    // Makes every register-bus request take this long (microseconds) in the
    // middle, so that unguarded accesses from two threads interleave.
    void SetBusDelayMicroseconds(int us) { busDelayUs_ = us; }

    // --- queued transfers ---
    void QueueBulkReply(BulkReply reply);
    // Replaces the queue: computes the reply from the endpoint, the size and
    // the record.
    using BulkHandler = std::function<BulkReply(std::uint8_t endpoint, std::uint32_t count)>;
    void SetBulkHandler(BulkHandler handler);
    std::size_t PendingTransfers();

    // --- what happened ---
    std::vector<LoggedRequest> Log();
    std::vector<LoggedRequest> Log(std::uint32_t code);
    void ClearLog();
    int OpenHandles();
    int CreatedIoRecords();

    // --- DriverPort ---
    platform::DeviceInfoSet GetClassDevices(const platform::Guid& interfaceClass) override;
    bool EnumDeviceInterface(platform::DeviceInfoSet set, const platform::Guid& interfaceClass,
                             std::uint32_t memberIndex) override;
    bool GetDeviceInterfaceDetail(platform::DeviceInfoSet set, const platform::Guid& interfaceClass,
                                  std::uint32_t memberIndex, void* detail, std::uint32_t detailSize,
                                  std::uint32_t* requiredSize) override;
    void DestroyDeviceInfoList(platform::DeviceInfoSet set) override;
    platform::DriverHandle Open(const char* path, bool overlapped) override;
    void Close(platform::DriverHandle handle) override;
    bool IoControl(platform::DriverHandle handle, std::uint32_t code, void* in,
                   std::uint32_t inSize, void* out, std::uint32_t outSize,
                   std::uint32_t* returned) override;
    std::unique_ptr<platform::PendingIo> CreatePendingIo() override;
    std::uint32_t SubmitIoControl(platform::DriverHandle handle, std::uint32_t code, void* in,
                                  std::uint32_t inSize, void* out, std::uint32_t outSize,
                                  platform::PendingIo& io) override;
    platform::IoWaitResult WaitIo(platform::PendingIo& io, std::uint32_t timeoutMs) override;
    bool GetIoResult(platform::DriverHandle handle, platform::PendingIo& io,
                     std::uint32_t* bytes) override;

private:
    struct Device {
        std::string path;
        bool present = true;
        std::uint32_t detailSize = 0;  // 0: the real size
    };
    struct Io;
    bool DefaultControl(std::vector<std::uint8_t>& request, std::uint32_t* returned);
    std::vector<const Device*> PresentDevices();
    void Record(platform::DriverHandle handle, std::uint32_t code, const void* in,
                std::uint32_t inSize, std::uint32_t outSize);

    std::mutex mutex_;
    int createdIoRecords_ = 0;
    std::vector<Device> devices_;
    std::vector<const Device*> scan_;
    std::map<platform::DriverHandle, std::string> handles_;
    platform::DriverHandle nextHandle_ = 100;
    std::vector<LoggedRequest> log_;
    ControlHandler controlHandler_;
    std::mutex registerMutex_;
    std::uint8_t fpga_[256] = {};
    std::uint8_t aux_[256] = {};
    std::uint8_t fpgaPointer_ = 0;
    std::uint8_t auxPointer_ = 0;
    int busDelayUs_ = 0;
    std::deque<BulkReply> bulkReplies_;
    BulkHandler bulkHandler_;
    std::vector<Io*> pending_;
};

// Device paths as the driver writes them, with vendor and product at
// characters 12 and 21.
std::string DevicePathFor(std::uint16_t vendorId, std::uint16_t productId, int serial);

}  // namespace nodrix::testing
