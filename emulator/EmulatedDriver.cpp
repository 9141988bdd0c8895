#include "emulator/EmulatedDriver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "emulator/DriverProtocol.h"
#include "emulator/EmulatedPendingIo.h"
#include "emulator/LittleEndian.h"
#include "platform/Time.h"

namespace nodrix::emulator {
namespace {

using platform::DriverHandle;
using platform::kInvalidDriverHandle;

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidParameter = 87;
// Size field of the interface detail record of a 32-bit process.
constexpr std::uint32_t kDetailRecordCbSize = 5;
constexpr std::uint32_t kDetailPathOffset = 4;
// A waiter looks again at least this often (library milliseconds).
constexpr std::uint32_t kMaxWaitSliceMs = 1000;
constexpr DriverHandle kHandleBase = 0x40000000;

bool SameGuid(const platform::Guid& a, const platform::Guid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof(a.data4)) == 0;
}

bool SamePathIgnoringCase(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] != '\0' && i < b.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return a[i] == '\0' && i == b.size();
}

std::string MakeDevicePath(std::uint16_t vendor, std::uint16_t product, std::size_t ordinal) {
    char path[160];
    std::snprintf(path, sizeof(path),
                  "\\\\?\\usb#vid_%04x&pid_%04x#t520%04u#{328184c5-93e6-49b7-94b8-2ada13aabb39}",
                  vendor, product, static_cast<unsigned>(ordinal));
    return path;
}

void WriteStatus(std::uint8_t* record, std::uint32_t driverStatus, std::uint32_t usbStatus) {
    if (record == nullptr) return;
    PutLe32(record + kRecDriverStatus, driverStatus);
    PutLe32(record + kRecUsbStatus, usbStatus);
}

}  // namespace

// ---- Construction -----------------------------------------------------------

EmulatorConfig EmulatedDriver::DefaultConfig() {
    EmulatorConfig c;
    CameraSettings cam;
    cam.serial = SerialForCamera("T520EMU", 0);
    c.cameras.push_back(cam);
    return c;
}

EmulatedDriver::EmulatedDriver(const EmulatorConfig& config) : config_(config) {
    clockStartMs_ = platform::TickCount();
    clockMs_.store(clockStartMs_);
    for (const CameraSettings& cam : config.cameras) AddCamera(cam);
}

EmulatedDriver::~EmulatedDriver() {
    const AllLocks guard(*this);
    // Records still alive must not reach back into a destroyed driver; their
    // owners outlive the driver only by mistake, and then find them failed.
    for (const auto& unit : units_) {
        for (EmulatedPendingIo* io : unit->pending) {
            io->pending = false;
            io->success = false;
            io->unit = nullptr;
            io->wake.Set();
        }
        unit->pending.clear();
    }
}

std::uint64_t EmulatedDriver::NowUs() {
    const std::uint32_t tick = platform::TickCount();
    std::uint64_t seen = clockMs_.load(std::memory_order_relaxed);
    for (;;) {
        // A tick read before another thread's later one is only older: the
        // clock stays. Counting on from the tick seen last carries the wrap.
        const std::uint32_t ahead = tick - static_cast<std::uint32_t>(seen);
        if (ahead == 0 || ahead > 0x80000000u) break;
        if (clockMs_.compare_exchange_weak(seen, seen + ahead, std::memory_order_relaxed)) {
            seen += ahead;
            break;
        }
    }
    return (seen - clockStartMs_) * 1000;
}

std::uint64_t EmulatedDriver::ClockUs() const {
    return (clockMs_.load(std::memory_order_relaxed) - clockStartMs_) * 1000;
}

int EmulatedDriver::AddCamera(const CameraSettings& settings) {
    const AllLocks guard(*this);
    const std::size_t ordinal = units_.size();
    CameraSettings s = settings;
    if (s.serial.empty()) s.serial = SerialForCamera("T520EMU", ordinal);
    const std::uint64_t now = NowUs();
    auto unit = std::make_unique<CameraUnit>();
    unit->camera = std::make_unique<EmulatedCamera>(
        s, config_, MakeDevicePath(config_.vendorId, s.productId, ordinal), now);
    unit->pending.reserve(16);
    if (config_.unplugAfterMs != 0) {
        unit->unplugAtUs = now + static_cast<std::uint64_t>(config_.unplugAfterMs) * 1000;
    }
    units_.push_back(std::move(unit));
    return static_cast<int>(ordinal);
}

std::size_t EmulatedDriver::CameraCount() const {
    platform::LockGuard guard(lock_);
    return units_.size();
}

EmulatedCamera* EmulatedDriver::CameraLocked(int camera) const {
    if (camera < 0 || static_cast<std::size_t>(camera) >= units_.size()) return nullptr;
    return units_[static_cast<std::size_t>(camera)]->camera.get();
}

// ---- Time-driven service ----------------------------------------------------

void EmulatedDriver::CheckUnplugTimersLocked(int camera, std::uint64_t now) {
    CameraUnit& unit = *units_[static_cast<std::size_t>(camera)];
    if (unit.unplugAtUs <= now) {
        unit.unplugAtUs = kNever;
        UnplugLocked(camera);
        if (config_.replugAfterMs != 0) {
            unit.replugAtUs = now + static_cast<std::uint64_t>(config_.replugAfterMs) * 1000;
        }
    }
    if (unit.replugAtUs <= now) {
        unit.replugAtUs = kNever;
        unit.camera->Replug(now);
    }
}

void EmulatedDriver::ServiceLocked() {
    for (std::size_t i = 0; i < units_.size(); ++i) ServiceCameraLocked(static_cast<int>(i));
}

void EmulatedDriver::ServiceCameraLocked(int camera) {
    CameraUnit& unit = *units_[static_cast<std::size_t>(camera)];
    const std::uint64_t now = NowUs();
    CheckUnplugTimersLocked(camera, now);
    unit.camera->Advance(now);
    // Transfers complete in the order they were queued, per endpoint.
    std::vector<EmulatedPendingIo*>& pending = unit.pending;
    for (std::size_t i = 0; i < pending.size();) {
        EmulatedPendingIo& io = *pending[i];
        bool blocked = false;
        for (std::size_t j = 0; j < i; ++j) {
            if (pending[j]->endpoint == io.endpoint) {
                blocked = true;
                break;
            }
        }
        if (!blocked && TryCompleteLocked(io)) continue;  // io left the list
        ++i;
    }
}

std::uint64_t EmulatedDriver::NextEventUsLocked(int camera) {
    const std::uint64_t now = ClockUs();
    std::uint64_t next = kNever;
    for (std::size_t i = 0; i < units_.size(); ++i) {
        if (camera >= 0 && static_cast<std::size_t>(camera) != i) continue;
        const CameraUnit& unit = *units_[i];
        next = std::min(next, unit.camera->NextEventUs(now));
        next = std::min(next, unit.unplugAtUs);
        next = std::min(next, unit.replugAtUs);
    }
    return next;
}

void EmulatedDriver::PokePendingLocked(int camera) {
    // A camera's requests change nothing for another camera's transfers:
    // their waiters sleep on, as they would behind a host controller.
    if (camera >= 0) {
        ServiceCameraLocked(camera);
        for (EmulatedPendingIo* io : units_[static_cast<std::size_t>(camera)]->pending) {
            io->wake.Set();
        }
        return;
    }
    ServiceLocked();
    for (const auto& unit : units_) {
        for (EmulatedPendingIo* io : unit->pending) io->wake.Set();
    }
}

// ---- Transfers --------------------------------------------------------------

bool EmulatedDriver::TryCompleteLocked(EmulatedPendingIo& io) {
    EmulatedCamera* cam = CameraLocked(io.camera);
    if (cam == nullptr || !cam->Present()) {
        CompleteLocked(io, false, 0, kStatusNoSuchDevice, kUsbStatusDeviceGone);
        return true;
    }
    std::uint32_t moved = 0;
    switch (cam->BulkTransfer(io.endpoint, io.data, io.capacity, moved, ClockUs())) {
        case ReadOutcome::Pending:
            return false;
        case ReadOutcome::Done:
            CompleteLocked(io, true, io.byteBias + moved, 0, 0);
            return true;
        case ReadOutcome::Failed:
        default:
            CompleteLocked(io, false, io.byteBias, kStatusUnsuccessful, kUsbStatusXactError);
            return true;
    }
}

void EmulatedDriver::CompleteLocked(EmulatedPendingIo& io, bool success, std::uint32_t bytes,
                                    std::uint32_t driverStatus, std::uint32_t usbStatus) {
    WriteStatus(io.record, driverStatus, usbStatus);
    WriteStatus(io.record2, driverStatus, usbStatus);
    io.success = success;
    io.bytes = bytes;
    io.pending = false;
    ForgetLocked(io);
    io.wake.Set();
}

void EmulatedDriver::ForgetLocked(EmulatedPendingIo& io) {
    if (io.unit == nullptr) return;
    std::vector<EmulatedPendingIo*>& pending = io.unit->pending;
    auto it = std::find(pending.begin(), pending.end(), &io);
    if (it != pending.end()) pending.erase(it);
}

void EmulatedDriver::CancelLocked(int camera, int endpoint, DriverHandle handle,
                                  std::uint32_t driverStatus, std::uint32_t usbStatus) {
    for (std::size_t c = 0; c < units_.size(); ++c) {
        if (camera >= 0 && static_cast<std::size_t>(camera) != c) continue;
        std::vector<EmulatedPendingIo*>& pending = units_[c]->pending;
        for (std::size_t i = 0; i < pending.size();) {
            EmulatedPendingIo& io = *pending[i];
            const bool match = (endpoint < 0 || io.endpoint == endpoint) &&
                               (handle == kInvalidDriverHandle || io.handle == handle);
            if (match) {
                CompleteLocked(io, false, io.byteBias, driverStatus, usbStatus);
            } else {
                ++i;
            }
        }
    }
}

bool EmulatedDriver::StartTransferLocked(HandleSlot& slot, std::uint32_t code, std::uint8_t* in,
                                         std::uint32_t inSize, std::uint8_t* out,
                                         std::uint32_t outSize, EmulatedPendingIo& io) {
    if (in == nullptr || inSize < kRecordSize) return false;
    io.camera = slot.camera;
    io.handle = slot.value;
    io.endpoint = in[kRecEndpoint];
    io.record = in;
    if (code == kIoctlQueuedTransfer) {
        // The record goes in, the data buffer itself is the output.
        io.data = out;
        io.capacity = out == nullptr ? 0 : outSize;
        io.byteBias = 0;
        io.record2 = nullptr;
    } else {
        // One buffer: the record, then the data it announces.
        const std::uint32_t length = GetLe32(in + kRecDataLength);
        if (out == nullptr || outSize < kRecordSize ||
            GetLe32(in + kRecDataOffset) != kRecordSize) {
            return false;
        }
        io.data = out + kRecordSize;
        io.capacity = std::min(length, outSize - kRecordSize);
        io.byteBias = kRecordSize;
        io.record2 = out == in ? nullptr : out;
        if (out != in) std::memcpy(out, in, kRecordSize);
    }
    io.submitted = true;
    io.pending = true;
    io.success = false;
    io.bytes = 0;
    io.unit->pending.push_back(&io);
    return true;
}

// ---- Control requests -------------------------------------------------------

bool EmulatedDriver::ControlTransferLocked(int cameraIndex, std::uint8_t* in, std::uint32_t inSize,
                                           std::uint8_t* out, std::uint32_t outSize,
                                           std::uint32_t& returned) {
    returned = 0;
    if (in == nullptr || inSize < kRecordSize || out == nullptr || outSize < kRecordSize) {
        return false;
    }
    const std::uint32_t dataOffset = GetLe32(in + kRecDataOffset);
    const std::uint32_t dataLength = GetLe32(in + kRecDataLength);
    if (dataOffset != kRecordSize || dataLength > 4096 || inSize < kRecordSize + dataLength ||
        outSize < kRecordSize + dataLength) {
        return false;
    }
    const std::uint8_t requestType = in[kRecRequestType];
    const std::uint8_t request = in[kRecRequest];
    const std::uint16_t value = GetLe16(in + kRecValue);
    const std::uint16_t index = GetLe16(in + kRecIndex);

    std::array<std::uint8_t, 64> data{};
    std::memcpy(data.data(), in + kRecordSize, std::min<std::uint32_t>(dataLength, 64));
    if (out != in) std::memcpy(out, in, kRecordSize + dataLength);

    EmulatedCamera& camera = *CameraLocked(cameraIndex);
    std::uint32_t answered = 0;
    const bool ok =
        camera.VendorRequest(requestType, request, value, index, data, answered, ClockUs());
    if (!ok) {
        WriteStatus(out, kStatusUnsuccessful, kUsbStatusStall);
        return false;
    }
    answered = std::min(answered, dataLength);
    if (requestType & 0x80) std::memcpy(out + kRecordSize, data.data(), answered);
    WriteStatus(out, 0, 0);
    returned = kRecordSize + answered;
    // State changed (a header request, a register write): waiters look again.
    PokePendingLocked(cameraIndex);
    return true;
}

bool EmulatedDriver::ImmediateRequestLocked(HandleSlot& slot, std::uint32_t code, std::uint8_t* in,
                                            std::uint32_t inSize, std::uint8_t* out,
                                            std::uint32_t outSize, std::uint32_t& returned) {
    returned = 0;
    EmulatedCamera& cam = *CameraLocked(slot.camera);
    switch (code) {
        case kIoctlControlTransfer:
            return ControlTransferLocked(slot.camera, in, inSize, out, outSize, returned);
        case kIoctlAbortPipe:
        case kIoctlResetPipe: {
            if (in == nullptr || inSize < 1) return false;
            CancelLocked(slot.camera, in[0], kInvalidDriverHandle, kStatusCancelled,
                         kUsbStatusCanceled);
            if (code == kIoctlResetPipe && in[0] == kEndpointBulkIn) cam.DropEndpointData();
            return true;
        }
        case kIoctlResetPort:
            CancelLocked(slot.camera, -1, kInvalidDriverHandle, kStatusCancelled,
                         kUsbStatusCanceled);
            cam.StopStream();
            return true;
        case kIoctlGetSpeed:
            if (out == nullptr || outSize < 4) return false;
            PutLe32(out, config_.busSpeed);
            returned = 4;
            return true;
        default:
            return false;
    }
}

// ---- DriverPort: scan -------------------------------------------------------

platform::DeviceInfoSet EmulatedDriver::GetClassDevices(const platform::Guid& interfaceClass) {
    const AllLocks guard(*this);
    ServiceLocked();
    std::vector<std::string> paths;
    if (SameGuid(interfaceClass, kCameraInterfaceClass)) {
        for (const auto& unit : units_) {
            if (unit->camera->Present()) paths.push_back(unit->camera->DevicePath());
        }
    }
    const platform::DeviceInfoSet id = nextInfoSet_++;
    infoSets_[id] = std::move(paths);
    return id;
}

bool EmulatedDriver::EnumDeviceInterface(platform::DeviceInfoSet set,
                                         const platform::Guid& interfaceClass,
                                         std::uint32_t memberIndex) {
    platform::LockGuard guard(lock_);
    auto it = infoSets_.find(set);
    return it != infoSets_.end() && SameGuid(interfaceClass, kCameraInterfaceClass) &&
           memberIndex < it->second.size();
}

bool EmulatedDriver::GetDeviceInterfaceDetail(platform::DeviceInfoSet set,
                                              const platform::Guid& interfaceClass,
                                              std::uint32_t memberIndex, void* detail,
                                              std::uint32_t detailSize,
                                              std::uint32_t* requiredSize) {
    platform::LockGuard guard(lock_);
    auto it = infoSets_.find(set);
    if (it == infoSets_.end() || !SameGuid(interfaceClass, kCameraInterfaceClass) ||
        memberIndex >= it->second.size()) {
        return false;
    }
    const std::string& path = it->second[memberIndex];
    const std::uint32_t needed = kDetailPathOffset + static_cast<std::uint32_t>(path.size()) + 1;
    if (requiredSize != nullptr) *requiredSize = needed;
    if (detail == nullptr || detailSize < needed) return false;
    auto* record = static_cast<std::uint8_t*>(detail);
    // Like the system, refuse a record whose size field is not the one of
    // the 32-bit structure.
    if (GetLe32(record) != kDetailRecordCbSize) return false;
    std::memcpy(record + kDetailPathOffset, path.c_str(), path.size() + 1);
    return true;
}

void EmulatedDriver::DestroyDeviceInfoList(platform::DeviceInfoSet set) {
    platform::LockGuard guard(lock_);
    infoSets_.erase(set);
}

// ---- DriverPort: handles ----------------------------------------------------

EmulatedDriver::HandleSlot* EmulatedDriver::FindHandleLocked(DriverHandle handle) {
    if (handle < kHandleBase) return nullptr;
    HandleSlot& slot = handles_[static_cast<std::size_t>(handle - kHandleBase) % handles_.size()];
    return slot.value == handle ? &slot : nullptr;
}

EmulatedCamera* EmulatedDriver::LiveCameraLocked(const HandleSlot& slot) {
    EmulatedCamera* cam = CameraLocked(slot.camera);
    if (cam == nullptr || !cam->Present() || cam->Generation() != slot.generation) return nullptr;
    return cam;
}

DriverHandle EmulatedDriver::Open(const char* path, bool overlapped) {
    if (path == nullptr) return kInvalidDriverHandle;
    const AllLocks guard(*this);
    ServiceLocked();
    for (std::size_t c = 0; c < units_.size(); ++c) {
        EmulatedCamera& cam = *units_[c]->camera;
        if (!cam.Present() || !SamePathIgnoringCase(path, cam.DevicePath())) continue;
        for (std::size_t s = 0; s < handles_.size(); ++s) {
            HandleSlot& slot = handles_[s];
            if (slot.value != kInvalidDriverHandle) continue;
            handleSerial_ = (handleSerial_ + 1) & 0xFFFFF;
            slot.value = kHandleBase +
                         static_cast<DriverHandle>(handleSerial_) *
                             static_cast<DriverHandle>(handles_.size()) +
                         static_cast<DriverHandle>(s);
            slot.camera = static_cast<int>(c);
            slot.generation = cam.Generation();
            slot.overlapped = overlapped;
            return slot.value;
        }
        return kInvalidDriverHandle;  // out of handles
    }
    return kInvalidDriverHandle;
}

void EmulatedDriver::Close(DriverHandle handle) {
    const AllLocks guard(*this);
    HandleSlot* slot = FindHandleLocked(handle);
    if (slot == nullptr) return;
    // Closing a handle cancels what is still queued on it.
    CancelLocked(-1, -1, handle, kStatusCancelled, kUsbStatusCanceled);
    *slot = HandleSlot{};
}

// ---- DriverPort: requests ---------------------------------------------------

CameraUnit* EmulatedDriver::LookUp(DriverHandle handle, std::uint32_t code, bool overlapped,
                                   const std::uint8_t* in, std::uint32_t inSize,
                                   std::uint32_t outSize, HandleSlot* slot) {
    platform::LockGuard guard(lock_);
    const HandleSlot* found = FindHandleLocked(handle);
    log_.Add(found == nullptr ? -1 : found->camera, handle, code, overlapped, in, inSize, outSize);
    if (found == nullptr) return nullptr;
    *slot = *found;
    return units_[static_cast<std::size_t>(found->camera)].get();
}

bool EmulatedDriver::IoControl(DriverHandle handle, std::uint32_t code, void* inVoid,
                               std::uint32_t inSize, void* outVoid, std::uint32_t outSize,
                               std::uint32_t* returned) {
    auto* in = static_cast<std::uint8_t*>(inVoid);
    auto* out = static_cast<std::uint8_t*>(outVoid);
    if (returned != nullptr) *returned = 0;
    if (code == kIoctlQueuedTransfer || code == kIoctlDirectTransfer) {
        // Without an overlapped record the caller waits for the transfer.
        EmulatedPendingIo io(*this);
        if (Submit(handle, code, in, inSize, out, outSize, io, false) ==
            platform::kErrorIoPending) {
            WaitIo(io, platform::kWaitInfinite);
        }
        std::uint32_t bytes = 0;
        const bool ok = GetIoResult(handle, io, &bytes);
        if (returned != nullptr) *returned = bytes;
        return ok;
    }
    HandleSlot slot;
    CameraUnit* unit = LookUp(handle, code, false, in, inSize, outSize, &slot);
    if (unit == nullptr) return false;
    platform::LockGuard guard(unit->lock);
    ServiceCameraLocked(slot.camera);
    if (FindHandleLocked(handle) == nullptr || LiveCameraLocked(slot) == nullptr) return false;
    std::uint32_t count = 0;
    const bool ok = ImmediateRequestLocked(slot, code, in, inSize, out, outSize, count);
    if (returned != nullptr) *returned = ok ? count : 0;
    return ok;
}

std::unique_ptr<platform::PendingIo> EmulatedDriver::CreatePendingIo() {
    return std::make_unique<EmulatedPendingIo>(*this);
}

std::uint32_t EmulatedDriver::SubmitIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                              std::uint32_t inSize, void* out,
                                              std::uint32_t outSize, platform::PendingIo& io) {
    return Submit(handle, code, in, inSize, out, outSize, io, true);
}

std::uint32_t EmulatedDriver::Submit(DriverHandle handle, std::uint32_t code, void* inVoid,
                                     std::uint32_t inSize, void* outVoid, std::uint32_t outSize,
                                     platform::PendingIo& base, bool overlapped) {
    auto* io = dynamic_cast<EmulatedPendingIo*>(&base);
    auto* in = static_cast<std::uint8_t*>(inVoid);
    auto* out = static_cast<std::uint8_t*>(outVoid);
    if (io == nullptr) return kErrorInvalidParameter;
    if (CameraUnit* earlier = io->unit) {
        platform::LockGuard guard(earlier->lock);
        if (io->pending) return kErrorInvalidParameter;
    }
    HandleSlot slot;
    CameraUnit* unit = LookUp(handle, code, overlapped, in, inSize, outSize, &slot);
    io->unit = unit;
    if (unit == nullptr) {
        // Nothing queued: the record is its owner's alone.
        io->wake.Reset();
        io->submitted = true;
        io->success = false;
        io->bytes = 0;
        return kErrorInvalidHandle;
    }
    platform::LockGuard guard(unit->lock);
    ServiceCameraLocked(slot.camera);
    io->camera = slot.camera;
    io->wake.Reset();
    io->submitted = true;
    io->success = false;
    io->bytes = 0;
    if (FindHandleLocked(handle) == nullptr) return kErrorInvalidHandle;  // closed meanwhile
    if (LiveCameraLocked(slot) == nullptr) return platform::kErrorDeviceNotConnected;

    if (code == kIoctlQueuedTransfer || code == kIoctlDirectTransfer) {
        if (!StartTransferLocked(slot, code, in, inSize, out, outSize, *io)) {
            return kErrorInvalidParameter;
        }
        if (TryCompleteLocked(*io)) {
            // A memory command may have queued data for a waiting read.
            if (io->endpoint == kEndpointBulkOut) PokePendingLocked(io->camera);
            return io->success ? platform::kErrorSuccess : platform::kErrorGenFailure;
        }
        return platform::kErrorIoPending;
    }
    // Everything else completes at once; the event is signalled all the same.
    std::uint32_t count = 0;
    io->success = ImmediateRequestLocked(slot, code, in, inSize, out, outSize, count);
    io->bytes = count;
    io->wake.Set();
    return io->success ? platform::kErrorSuccess : platform::kErrorGenFailure;
}

platform::IoWaitResult EmulatedDriver::WaitIo(platform::PendingIo& base, std::uint32_t timeoutMs) {
    auto* io = dynamic_cast<EmulatedPendingIo*>(&base);
    if (io == nullptr) return platform::IoWaitResult::Failed;
    std::uint64_t deadlineUs = kNever;
    for (;;) {
        std::uint32_t sliceMs = kMaxWaitSliceMs;
        {
            if (!io->submitted) return platform::IoWaitResult::Failed;
            CameraUnit* unit = io->unit;
            if (unit == nullptr) return platform::IoWaitResult::Completed;  // nothing was queued
            platform::LockGuard guard(unit->lock);
            ServiceCameraLocked(io->camera);
            const std::uint64_t now = ClockUs();
            if (deadlineUs == kNever && timeoutMs != platform::kWaitInfinite) {
                deadlineUs = now + static_cast<std::uint64_t>(timeoutMs) * 1000;
            }
            if (!io->pending) {
                io->wake.Reset();
                return platform::IoWaitResult::Completed;
            }
            if (now >= deadlineUs) return platform::IoWaitResult::TimedOut;
            // Only its own camera's events can end the transfer; the others'
            // would wake this waiter for nothing, once per frame of each.
            const std::uint64_t until = std::min(deadlineUs, NextEventUsLocked(io->camera));
            if (until != kNever) {
                const std::uint64_t ms = until > now ? (until - now + 999) / 1000 : 1;
                sliceMs = static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, sliceMs));
            }
        }
        io->wake.Wait(std::max<std::uint32_t>(sliceMs, 1));
    }
}

bool EmulatedDriver::GetIoResult(DriverHandle, platform::PendingIo& base, std::uint32_t* bytes) {
    auto* io = dynamic_cast<EmulatedPendingIo*>(&base);
    if (io == nullptr || !io->submitted) return false;
    if (CameraUnit* unit = io->unit) {
        platform::LockGuard guard(unit->lock);
        ServiceCameraLocked(io->camera);
        if (io->pending) return false;
        if (bytes != nullptr) *bytes = io->bytes;
        return io->success;
    }
    if (bytes != nullptr) *bytes = io->bytes;
    return io->success;
}

}  // namespace nodrix::emulator
