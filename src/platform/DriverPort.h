#pragma once
// The handful of kernel-driver calls the transport needs, as one small
// interface: the Win32 implementation forwards each call 1:1 to SetupDi,
// CreateFileA and DeviceIoControl; the emulated camera implements the same
// calls and decodes the very bytes the transport builds.

#include <cstdint>
#include <memory>

#include "platform/DeviceLock.h"

namespace nodrix::platform {

// An opened device path, as CreateFileA would return it.
using DriverHandle = std::intptr_t;
inline constexpr DriverHandle kInvalidDriverHandle = -1;

// Win32 error codes the transport looks at.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
inline constexpr std::uint32_t kErrorOperationAborted = 995;

inline constexpr std::uint32_t kWaitInfinite = 0xFFFFFFFFu;

// A device interface class, laid out as a Win32 GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// Opaque device-information set from ScanInterfaces.
using DeviceInfoSet = std::intptr_t;
inline constexpr DeviceInfoSet kInvalidDeviceInfoSet = -1;

enum class IoWaitResult { Completed, TimedOut, Failed };

// One overlapped request in flight: an OVERLAPPED with its auto-reset event
// on Win32. It must outlive the request; the transport releases it only once
// the driver can no longer write into the request's buffers.
class PendingIo {
public:
    virtual ~PendingIo() = default;
};

class DriverPort {
public:
    virtual ~DriverPort() = default;

    // SetupDiGetClassDevsA(class, flags present | device-interface).
    virtual DeviceInfoSet GetClassDevices(const Guid& interfaceClass) = 0;
    // SetupDiEnumDeviceInterfaces: whether an interface exists at memberIndex.
    virtual bool EnumDeviceInterface(DeviceInfoSet set, const Guid& interfaceClass,
                                     std::uint32_t memberIndex) = 0;
    // SetupDiGetDeviceInterfaceDetailA: writes the detail record (a 32-bit
    // size field, then the NUL-terminated device path) into detail, which
    // holds detailSize bytes; detailSize 0 only asks for requiredSize.
    // Fails when the record does not fit.
    virtual bool GetDeviceInterfaceDetail(DeviceInfoSet set, const Guid& interfaceClass,
                                          std::uint32_t memberIndex, void* detail,
                                          std::uint32_t detailSize,
                                          std::uint32_t* requiredSize) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual void DestroyDeviceInfoList(DeviceInfoSet set) = 0;

    // CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING,
    // overlapped ? FILE_FLAG_OVERLAPPED : 0).
    virtual DriverHandle Open(const char* path, bool overlapped) = 0;
    virtual void Close(DriverHandle handle) = 0;

    // DeviceIoControl without an OVERLAPPED record: returns when the driver
    // is done. returned receives the number of bytes written to out.
    virtual bool IoControl(DriverHandle handle, std::uint32_t code, void* in,
                           std::uint32_t inSize, void* out, std::uint32_t outSize,
                           std::uint32_t* returned) = 0;

    // A fresh overlapped record with its own auto-reset event.
    virtual std::unique_ptr<PendingIo> CreatePendingIo() = 0;
    // DeviceIoControl with the overlapped record. Returns kErrorSuccess when
    // the driver completed the request at once, kErrorIoPending when it is
    // queued, any other value on failure. The driver may write into in
    // (status fields of a transfer record) and out until the request
    // completes.
    virtual std::uint32_t SubmitIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                          std::uint32_t inSize, void* out,
                                          std::uint32_t outSize, PendingIo& io) = 0;
    // Waits for the record's event, at most timeoutMs (kWaitInfinite: no limit).
    virtual IoWaitResult WaitIo(PendingIo& io, std::uint32_t timeoutMs) = 0;
    // GetOverlappedResult without waiting: the byte count of a completed
    // request; false while pending or when the request failed.
    virtual bool GetIoResult(DriverHandle handle, PendingIo& io, std::uint32_t* bytes) = 0;

    // The lock that keeps other processes from selecting the camera at
    // path while the caller holds it (nullptr: another process holds it).
    // A port whose devices live in one process (an emulated camera) needs
    // none and grants every request.
    virtual std::unique_ptr<DeviceLock> LockDevice(const char* /*path*/) {
        return std::make_unique<DeviceLock>();
    }
};

}  // namespace nodrix::platform
