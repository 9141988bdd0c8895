#pragma once
// Driver requests built byte by byte, the way the kernel driver's records are
// laid out, so that the emulated camera is tested without the SDK's
// transport.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/EmulatedDriver.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator::test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kControl = 0x220020;
constexpr std::uint32_t kAbort = 0x220044;
constexpr std::uint32_t kQueued = 0x22004B;

// A 102-byte control request: record, then 64 data bytes.
inline Bytes ControlRequest(std::uint8_t type, std::uint8_t request, std::uint16_t value,
                            std::uint16_t index, const Bytes& out = {}) {
    Bytes b(102, 0);
    b[0] = type;
    b[1] = request;
    PutLe16(&b[2], value);
    PutLe16(&b[4], index);
    PutLe16(&b[6], 102);
    PutLe32(&b[8], 3);
    PutLe32(&b[30], 38);
    PutLe32(&b[34], 64);
    for (std::size_t i = 0; i < out.size() && i < 64; ++i) b[38 + i] = out[i];
    return b;
}

// A bare 38-byte transfer record naming an endpoint.
inline Bytes TransferRecord(std::uint8_t endpoint) {
    Bytes b(38, 0);
    b[13] = endpoint;
    return b;
}

// Runs a control request on a fresh plain handle, as the transport does.
struct ControlResult {
    bool ok = false;
    std::uint32_t returned = 0;
    Bytes buffer;
    std::uint32_t DataBytes() const { return returned >= 38 ? returned - 38 : returned; }
    const std::uint8_t* Data() const { return buffer.data() + 38; }
};

inline ControlResult RunControl(EmulatedDriver& d, int camera, Bytes request) {
    ControlResult r;
    const auto h = d.Open(d.DevicePath(camera).c_str(), false);
    if (h == platform::kInvalidDriverHandle) return r;
    r.ok = d.IoControl(h, kControl, request.data(), static_cast<std::uint32_t>(request.size()),
                       request.data(), static_cast<std::uint32_t>(request.size()), &r.returned);
    d.Close(h);
    r.buffer = std::move(request);
    return r;
}

inline bool BusWrite(EmulatedDriver& d, int camera, std::uint8_t bus, const Bytes& bytes) {
    return RunControl(d, camera,
                      ControlRequest(0x40, 0x30, static_cast<std::uint16_t>(bytes.size()), bus, bytes))
        .ok;
}

inline bool BusRead(EmulatedDriver& d, int camera, std::uint8_t bus, std::uint16_t count,
                    Bytes& out) {
    ControlResult r = RunControl(d, camera, ControlRequest(0xC0, 0x31, count, bus));
    if (!r.ok || r.DataBytes() < count) return false;
    out.assign(r.Data(), r.Data() + count);
    return true;
}

inline bool WriteFpga(EmulatedDriver& d, int camera, std::uint8_t address, std::uint8_t value) {
    return BusWrite(d, camera, 0x40, {address, 0, value});
}

inline int ReadFpga(EmulatedDriver& d, int camera, std::uint8_t address) {
    Bytes v;
    if (!BusWrite(d, camera, 0x40, {address}) || !BusRead(d, camera, 0x41, 2, v)) return -1;
    return v[1];
}

inline bool WriteSensor(EmulatedDriver& d, int camera, std::uint16_t address, std::uint8_t value) {
    return BusWrite(d, camera, 0x48,
                    {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address), value});
}

inline bool SendHeaderRequest(EmulatedDriver& d, platform::DriverHandle dataHandle) {
    Bytes req = ControlRequest(0x42, 0xC2, 0, 0);
    std::uint32_t returned = 0;
    return d.IoControl(dataHandle, kControl, req.data(), 102, req.data(), 102, &returned);
}

// One queued bulk read of endpoint 0x81, waited for timeoutMs and aborted
// on expiry like the transport's recovery does.
struct BulkResult {
    bool completed = false;
    bool ok = false;
    std::uint32_t bytes = 0;
    std::uint32_t driverStatus = 0;
    std::uint32_t usbStatus = 0;
};

inline BulkResult BulkTransfer(EmulatedDriver& d, platform::DriverHandle h, std::uint8_t endpoint,
                               std::uint8_t* buffer, std::uint32_t count, std::uint32_t timeoutMs) {
    BulkResult r;
    Bytes record = TransferRecord(endpoint);
    auto io = d.CreatePendingIo();
    const std::uint32_t submit = d.SubmitIoControl(h, kQueued, record.data(), 38, buffer, count, *io);
    if (submit != platform::kErrorSuccess && submit != platform::kErrorIoPending) {
        r.completed = true;
        r.driverStatus = GetLe32(&record[14]);
        r.usbStatus = GetLe32(&record[18]);
        return r;
    }
    if (submit == platform::kErrorIoPending &&
        d.WaitIo(*io, timeoutMs) != platform::IoWaitResult::Completed) {
        std::uint8_t ep = endpoint;
        std::uint32_t ignored = 0;
        d.IoControl(h, kAbort, &ep, 1, nullptr, 0, &ignored);
        d.WaitIo(*io, platform::kWaitInfinite);
    } else {
        r.completed = true;
    }
    r.ok = d.GetIoResult(h, *io, &r.bytes);
    r.driverStatus = GetLe32(&record[14]);
    r.usbStatus = GetLe32(&record[18]);
    return r;
}

inline BulkResult BulkRead(EmulatedDriver& d, platform::DriverHandle h, std::uint8_t* buffer,
                           std::uint32_t count, std::uint32_t timeoutMs) {
    return BulkTransfer(d, h, 0x81, buffer, count, timeoutMs);
}

}  // namespace nodrix::emulator::test
