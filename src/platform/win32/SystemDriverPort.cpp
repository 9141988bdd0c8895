#include "platform/SystemDriverPort.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

namespace nodrix::platform::detail {
namespace {

GUID ToGuid(const Guid& guid) {
    GUID result;
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    std::memcpy(result.Data4, guid.data4, sizeof result.Data4);
    return result;
}

HDEVINFO ToSet(DeviceInfoSet set) { return reinterpret_cast<HDEVINFO>(set); }
HANDLE ToHandle(DriverHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// An OVERLAPPED record with its own auto-reset event.
class OverlappedIo final : public PendingIo {
public:
    OverlappedIo() {
        std::memset(&overlapped, 0, sizeof overlapped);
        overlapped.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    ~OverlappedIo() override {
        if (overlapped.hEvent) CloseHandle(overlapped.hEvent);
    }
    OVERLAPPED overlapped;
};

OVERLAPPED& Record(PendingIo& io) { return static_cast<OverlappedIo&>(io).overlapped; }

// Forwards every call 1:1 to the setup interface and the kernel driver.
class Win32DriverPort final : public DriverPort {
public:
    DeviceInfoSet GetClassDevices(const Guid& interfaceClass) override {
        const GUID guid = ToGuid(interfaceClass);
        HDEVINFO set = SetupDiGetClassDevsA(&guid, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) return kInvalidDeviceInfoSet;
        return reinterpret_cast<DeviceInfoSet>(set);
    }

    bool EnumDeviceInterface(DeviceInfoSet set, const Guid& interfaceClass,
                             std::uint32_t memberIndex) override {
        SP_DEVICE_INTERFACE_DATA data;
        return Enumerate(set, interfaceClass, memberIndex, &data);
    }

    bool GetDeviceInterfaceDetail(DeviceInfoSet set, const Guid& interfaceClass,
                                  std::uint32_t memberIndex, void* detail,
                                  std::uint32_t detailSize, std::uint32_t* requiredSize) override {
        SP_DEVICE_INTERFACE_DATA data;
        if (!Enumerate(set, interfaceClass, memberIndex, &data)) return false;
        DWORD required = 0;
        if (detailSize == 0 || !detail) {
            SetupDiGetDeviceInterfaceDetailA(ToSet(set), &data, nullptr, 0, &required, nullptr);
            if (requiredSize) *requiredSize = required;
            return false;
        }
        // The record's size field names the fixed part, as the setup
        // interface demands.
        if (detailSize < sizeof(DWORD) + 1) return false;
        auto* record = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail);
        record->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        const BOOL ok = SetupDiGetDeviceInterfaceDetailA(ToSet(set), &data, record, detailSize,
                                                         &required, nullptr);
        if (requiredSize) *requiredSize = required;
        return ok != FALSE;
    }

    void DestroyDeviceInfoList(DeviceInfoSet set) override {
        if (set != kInvalidDeviceInfoSet) SetupDiDestroyDeviceInfoList(ToSet(set));
    }

    DriverHandle Open(const char* path, bool overlapped) override {
        HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return kInvalidDriverHandle;
        return reinterpret_cast<DriverHandle>(handle);
    }

    void Close(DriverHandle handle) override {
        if (handle != kInvalidDriverHandle) CloseHandle(ToHandle(handle));
    }

    bool IoControl(DriverHandle handle, std::uint32_t code, void* in, std::uint32_t inSize,
                   void* out, std::uint32_t outSize, std::uint32_t* returned) override {
        DWORD bytes = 0;
        const BOOL ok =
            DeviceIoControl(ToHandle(handle), code, in, inSize, out, outSize, &bytes, nullptr);
        if (returned) *returned = bytes;
        return ok != FALSE;
    }

    std::unique_ptr<PendingIo> CreatePendingIo() override {
        return std::make_unique<OverlappedIo>();
    }

    std::uint32_t SubmitIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                  std::uint32_t inSize, void* out, std::uint32_t outSize,
                                  PendingIo& io) override {
        OVERLAPPED& overlapped = Record(io);
        HANDLE event = overlapped.hEvent;
        std::memset(&overlapped, 0, sizeof overlapped);
        overlapped.hEvent = event;
        DWORD bytes = 0;
        if (DeviceIoControl(ToHandle(handle), code, in, inSize, out, outSize, &bytes,
                            &overlapped)) {
            return kErrorSuccess;
        }
        const DWORD error = GetLastError();
        return error == kErrorSuccess ? kErrorGenFailure : error;
    }

    IoWaitResult WaitIo(PendingIo& io, std::uint32_t timeoutMs) override {
        // A real device runs in real time: the speed-up hook is for the
        // emulated camera.
        const DWORD wait = timeoutMs == kWaitInfinite ? INFINITE : timeoutMs;
        switch (WaitForSingleObject(Record(io).hEvent, wait)) {
            case WAIT_OBJECT_0: return IoWaitResult::Completed;
            case WAIT_TIMEOUT: return IoWaitResult::TimedOut;
            default: return IoWaitResult::Failed;
        }
    }

    bool GetIoResult(DriverHandle handle, PendingIo& io, std::uint32_t* bytes) override {
        DWORD transferred = 0;
        const BOOL ok = GetOverlappedResult(ToHandle(handle), &Record(io), &transferred, FALSE);
        if (bytes) *bytes = transferred;
        return ok != FALSE;
    }

    // The device is opened with write sharing: another process could open
    // it beside this one, so the camera a connection selected is kept from
    // the others by a lock of its own.
    std::unique_ptr<DeviceLock> LockDevice(const char* path) override {
        return LockDeviceAcrossProcesses(path);
    }

private:
    static bool Enumerate(DeviceInfoSet set, const Guid& interfaceClass, std::uint32_t index,
                          SP_DEVICE_INTERFACE_DATA* data) {
        if (set == kInvalidDeviceInfoSet) return false;
        const GUID guid = ToGuid(interfaceClass);
        std::memset(data, 0, sizeof *data);
        data->cbSize = sizeof *data;
        return SetupDiEnumDeviceInterfaces(ToSet(set), nullptr, &guid, index, data) != FALSE;
    }
};

}  // namespace

DriverPort& SystemDriverPort() {
    static Win32DriverPort port;
    return port;
}

}  // namespace nodrix::platform::detail
