#pragma once
// The emulated kernel driver: the device-interface scan, device handles and
// the driver's I/O control requests, answered by emulated cameras. It is a
// DriverPort, so the transport runs on it unchanged; tests also steer it
// through the control operations below (plug, trigger, faults, registers,
// request log). All operations are thread-safe: each camera works under a
// lock of its own, so that a transfer of one camera never waits while
// another camera computes its payload; the driver's lock guards the device
// table (cameras, handles, scans) and the request log.

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "emulator/EmulatedCamera.h"
#include "emulator/EmulatorConfig.h"
#include "emulator/RequestLog.h"
#include "platform/DriverPort.h"
#include "platform/RecursiveLock.h"

namespace nodrix::emulator {

// {328184C5-93E6-49B7-94B8-2ADA13AABB39}
inline constexpr platform::Guid kCameraInterfaceClass = {
    0x328184C5, 0x93E6, 0x49B7, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};

class EmulatedPendingIo;

// What belongs to one emulated camera, under its own lock: the camera, the
// transfers queued to it in the order they came, and its plug timers.
struct CameraUnit {
    mutable platform::RecursiveLock lock;
    std::unique_ptr<EmulatedCamera> camera;
    std::vector<EmulatedPendingIo*> pending;
    std::uint64_t unplugAtUs = kNever;
    std::uint64_t replugAtUs = kNever;
};

class EmulatedDriver : public platform::DriverPort {
public:
    explicit EmulatedDriver(const EmulatorConfig& config = DefaultConfig());
    ~EmulatedDriver() override;
    EmulatedDriver(const EmulatedDriver&) = delete;
    EmulatedDriver& operator=(const EmulatedDriver&) = delete;

    // One camera of this model, serial "T520EMU00".
    static EmulatorConfig DefaultConfig();

    // ---- DriverPort ----
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

    // ---- Control of the emulated cameras (camera = index in order of adding) ----
    int AddCamera(const CameraSettings& settings);
    std::size_t CameraCount() const;
    std::string DevicePath(int camera) const;
    bool Unplug(int camera);
    bool Replug(int camera);
    bool IsPresent(int camera) const;
    // Trigger pulses; false unless the camera is in triggered operation.
    bool Trigger(int camera, std::uint32_t count = 1);

    // Registers as the register bus reads them, and writes with the device's
    // own side effects (an FPGA stream-reset pulse flushes the endpoint ...).
    std::uint8_t FpgaRegister(int camera, std::uint8_t address) const;
    void SetFpgaRegister(int camera, std::uint8_t address, std::uint8_t value);
    std::uint8_t SensorRegister(int camera, std::uint16_t address) const;
    void SetSensorRegister(int camera, std::uint16_t address, std::uint8_t value);
    std::uint8_t EepromByte(int camera, std::uint16_t address) const;
    void SetEepromByte(int camera, std::uint16_t address, std::uint8_t value);
    std::uint8_t AuxRegister(int camera, std::uint8_t address) const;
    void SetAuxRegister(int camera, std::uint8_t address, std::uint8_t value);

    // The camera's frame memory ("AU3R"/"AU3W" commands on endpoint 0x01).
    void ReadCameraMemory(int camera, std::uint64_t address, std::uint8_t* dest,
                          std::uint32_t count) const;
    void WriteCameraMemory(int camera, std::uint64_t address, const std::uint8_t* src,
                           std::uint32_t count);

    // Faults (counts are used up by the affected transfers).
    FaultConfig Faults(int camera) const;
    void SetFaults(int camera, const FaultConfig& faults);

    void SetPattern(int camera, Pattern pattern);
    void SetPace(int camera, Pace pace);
    void SetTriggerIntervalMs(int camera, std::uint32_t ms);
    void SetNextFrameNumber(int camera, std::uint32_t frameNumber);
    std::uint32_t NextFrameNumber(int camera) const;
    std::uint64_t FramesSent(int camera) const;

    // Transfers submitted and not yet completed.
    std::size_t PendingTransferCount() const;

    std::vector<LoggedRequest> Requests() const;
    void ClearRequests();

    // ---- The cameras as a USB host sees them, below the driver's requests ----
    // What tests put under a real USB stack: the descriptors, the vendor
    // control transfers on endpoint 0 and the bulk endpoints. None of these
    // blocks; a bulk transfer that has nothing to move yet is Pending and is
    // asked again.
    enum class UsbOutcome { Done, Pending, Stall, NoDevice };
    std::uint16_t UsbVendorId() const { return config_.vendorId; }
    std::uint16_t UsbProductId(int camera) const;
    // Device descriptor followed by the configuration with its interface and
    // endpoints, as the system's device file holds them.
    std::vector<std::uint8_t> UsbDescriptors(int camera) const;
    // Bus speed in Mbit/s, as the system reports it.
    std::uint32_t UsbSpeedMbps() const;
    // A control transfer; data holds length bytes (out: sent; in: the answer).
    UsbOutcome UsbControl(int camera, std::uint8_t requestType, std::uint8_t request,
                          std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                          std::uint16_t length, std::uint32_t& moved);
    UsbOutcome UsbBulk(int camera, std::uint8_t endpoint, std::uint8_t* buffer,
                       std::uint32_t capacity, std::uint32_t& moved);
    // Clearing a halt on the frame endpoint drops what waits there; a device
    // reset forgets the stream.
    void UsbClearHalt(int camera, std::uint8_t endpoint);
    void UsbReset(int camera);
    // Milliseconds until a pending bulk transfer could make progress (capped).
    std::uint32_t UsbIdleMs(std::uint32_t cap);

private:
    friend class EmulatedPendingIo;

    struct HandleSlot {
        platform::DriverHandle value = platform::kInvalidDriverHandle;
        int camera = -1;
        std::uint32_t generation = 0;
        bool overlapped = false;
    };

    // The driver's lock, then every camera's in order: for what concerns
    // the device table or several cameras. Whoever changes the handles or
    // the camera list holds it, so one camera's lock suffices to read them.
    class AllLocks;

    // The emulated time: advanced from the tick count (NowUs) or as last
    // advanced (ClockUs), without a lock.
    std::uint64_t NowUs();
    std::uint64_t ClockUs() const;
    // Advances every camera (all locks held) or one (its lock held) to now
    // and completes the transfers that can complete.
    void ServiceLocked();
    void ServiceCameraLocked(int camera);
    // The next time-driven event of one camera (-1: of any).
    std::uint64_t NextEventUsLocked(int camera = -1);
    // Wakes the waiters of the transfers queued to one camera (-1: to all),
    // whose state changed, so that they look again.
    void PokePendingLocked(int camera = -1);
    void CheckUnplugTimersLocked(int camera, std::uint64_t now);
    HandleSlot* FindHandleLocked(platform::DriverHandle handle);
    EmulatedCamera* LiveCameraLocked(const HandleSlot& slot);
    EmulatedCamera* CameraLocked(int camera) const;
    void UnplugLocked(int camera);

    bool ControlTransferLocked(int cameraIndex, std::uint8_t* in, std::uint32_t inSize,
                               std::uint8_t* out, std::uint32_t outSize, std::uint32_t& returned);
    // Starts a bulk transfer (0x22004B or 0x220024); the io is queued.
    bool StartTransferLocked(HandleSlot& slot, std::uint32_t code, std::uint8_t* in,
                             std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                             EmulatedPendingIo& io);
    bool TryCompleteLocked(EmulatedPendingIo& io);
    void CompleteLocked(EmulatedPendingIo& io, bool success, std::uint32_t bytes,
                        std::uint32_t driverStatus, std::uint32_t usbStatus);
    void CancelLocked(int camera, int endpoint, platform::DriverHandle handle,
                      std::uint32_t driverStatus, std::uint32_t usbStatus);
    // Requests other than bulk transfers, completed at once.
    bool ImmediateRequestLocked(HandleSlot& slot, std::uint32_t code, std::uint8_t* in,
                                std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                                std::uint32_t& returned);
    void ForgetLocked(EmulatedPendingIo& io);
    // The camera of a valid handle (null: none) with a copy of its slot,
    // under the driver's lock only; the request goes to the log.
    CameraUnit* LookUp(platform::DriverHandle handle, std::uint32_t code, bool overlapped,
                       const std::uint8_t* in, std::uint32_t inSize, std::uint32_t outSize,
                       HandleSlot* slot);
    // SubmitIoControl; overlapped tells the log whether the caller gave a record.
    std::uint32_t Submit(platform::DriverHandle handle, std::uint32_t code, void* in,
                         std::uint32_t inSize, void* out, std::uint32_t outSize,
                         platform::PendingIo& io, bool overlapped);

    mutable platform::RecursiveLock lock_;
    EmulatorConfig config_;
    std::vector<std::unique_ptr<CameraUnit>> units_;
    std::array<HandleSlot, 1024> handles_{};
    std::uint32_t handleSerial_ = 0;
    std::map<platform::DeviceInfoSet, std::vector<std::string>> infoSets_;
    platform::DeviceInfoSet nextInfoSet_ = 0x5E70000;
    RequestLog log_;
    // Milliseconds of the tick count, its wraps counted above the low 32
    // bits (which are the tick last seen); the clock starts at clockStartMs_.
    std::atomic<std::uint64_t> clockMs_{0};
    std::uint64_t clockStartMs_ = 0;
};

class EmulatedDriver::AllLocks {
public:
    explicit AllLocks(const EmulatedDriver& driver)
        : driver_(driver), guard_(driver.lock_), count_(driver.units_.size()) {
        for (std::size_t i = 0; i < count_; ++i) driver_.units_[i]->lock.lock();
    }
    ~AllLocks() {
        for (std::size_t i = count_; i > 0; --i) driver_.units_[i - 1]->lock.unlock();
    }
    AllLocks(const AllLocks&) = delete;
    AllLocks& operator=(const AllLocks&) = delete;

private:
    const EmulatedDriver& driver_;
    platform::LockGuard guard_;
    std::size_t count_;  // a camera added meanwhile was never locked
};

}  // namespace nodrix::emulator
