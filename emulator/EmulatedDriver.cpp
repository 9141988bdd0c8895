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
    pending_.reserve(64);
    lastTick_ = platform::TickCount();
    platform::LockGuard guard(lock_);
    for (const CameraSettings& cam : config.cameras) AddCamera(cam);
}

EmulatedDriver::~EmulatedDriver() {
    platform::LockGuard guard(lock_);
    // Records still alive must not reach back into a destroyed driver; their
    // owners outlive the driver only by mistake, and then find them failed.
    for (EmulatedPendingIo* io : pending_) {
        io->pending = false;
        io->success = false;
        io->wake.Set();
    }
    pending_.clear();
}

std::uint64_t EmulatedDriver::NowUs() {
    const std::uint32_t tick = platform::TickCount();
    clockMs_ += static_cast<std::uint32_t>(tick - lastTick_);
    lastTick_ = tick;
    return clockMs_ * 1000;
}

int EmulatedDriver::AddCamera(const CameraSettings& settings) {
    platform::LockGuard guard(lock_);
    const std::size_t ordinal = cameras_.size();
    CameraSettings s = settings;
    if (s.serial.empty()) s.serial = SerialForCamera("T520EMU", ordinal);
    const std::uint64_t now = NowUs();
    cameras_.push_back(std::make_unique<EmulatedCamera>(
        s, config_, MakeDevicePath(config_.vendorId, s.productId, ordinal), now));
    unplugAtUs_.push_back(config_.unplugAfterMs == 0
                              ? kNever
                              : now + static_cast<std::uint64_t>(config_.unplugAfterMs) * 1000);
    replugAtUs_.push_back(kNever);
    return static_cast<int>(ordinal);
}

std::size_t EmulatedDriver::CameraCount() const {
    platform::LockGuard guard(lock_);
    return cameras_.size();
}

EmulatedCamera* EmulatedDriver::CameraLocked(int camera) const {
    if (camera < 0 || static_cast<std::size_t>(camera) >= cameras_.size()) return nullptr;
    return cameras_[static_cast<std::size_t>(camera)].get();
}

// ---- Time-driven service ----------------------------------------------------

void EmulatedDriver::CheckUnplugTimersLocked() {
    const std::uint64_t now = clockMs_ * 1000;
    for (std::size_t i = 0; i < cameras_.size(); ++i) {
        if (unplugAtUs_[i] <= now) {
            unplugAtUs_[i] = kNever;
            UnplugLocked(static_cast<int>(i));
            if (config_.replugAfterMs != 0) {
                replugAtUs_[i] = now + static_cast<std::uint64_t>(config_.replugAfterMs) * 1000;
            }
        }
        if (replugAtUs_[i] <= now) {
            replugAtUs_[i] = kNever;
            cameras_[i]->Replug(now);
        }
    }
}

void EmulatedDriver::ServiceLocked() {
    const std::uint64_t now = NowUs();
    CheckUnplugTimersLocked();
    for (auto& cam : cameras_) cam->Advance(now);
    // Transfers complete in the order they were queued, per camera and endpoint.
    for (std::size_t i = 0; i < pending_.size();) {
        EmulatedPendingIo& io = *pending_[i];
        bool blocked = false;
        for (std::size_t j = 0; j < i; ++j) {
            if (pending_[j]->camera == io.camera && pending_[j]->endpoint == io.endpoint) {
                blocked = true;
                break;
            }
        }
        if (!blocked && TryCompleteLocked(io)) continue;  // io left pending_
        ++i;
    }
}

std::uint64_t EmulatedDriver::NextEventUsLocked(int camera) {
    const std::uint64_t now = clockMs_ * 1000;
    std::uint64_t next = kNever;
    for (std::size_t i = 0; i < cameras_.size(); ++i) {
        if (camera >= 0 && static_cast<std::size_t>(camera) != i) continue;
        next = std::min(next, cameras_[i]->NextEventUs(now));
        next = std::min(next, unplugAtUs_[i]);
        next = std::min(next, replugAtUs_[i]);
    }
    return next;
}

void EmulatedDriver::PokePendingLocked(int camera) {
    ServiceLocked();
    // A camera's requests change nothing for another camera's transfers:
    // their waiters sleep on, as they would behind a host controller.
    for (EmulatedPendingIo* io : pending_) {
        if (camera < 0 || io->camera == camera) io->wake.Set();
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
    switch (cam->BulkTransfer(io.endpoint, io.data, io.capacity, moved, clockMs_ * 1000)) {
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
    auto it = std::find(pending_.begin(), pending_.end(), &io);
    if (it != pending_.end()) pending_.erase(it);
}

void EmulatedDriver::CancelLocked(int camera, int endpoint, DriverHandle handle,
                                  std::uint32_t driverStatus, std::uint32_t usbStatus) {
    for (std::size_t i = 0; i < pending_.size();) {
        EmulatedPendingIo& io = *pending_[i];
        const bool match = (camera < 0 || io.camera == camera) &&
                           (endpoint < 0 || io.endpoint == endpoint) &&
                           (handle == kInvalidDriverHandle || io.handle == handle);
        if (match) {
            CompleteLocked(io, false, io.byteBias, driverStatus, usbStatus);
        } else {
            ++i;
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
    pending_.push_back(&io);
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
        camera.VendorRequest(requestType, request, value, index, data, answered, clockMs_ * 1000);
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

bool EmulatedDriver::ImmediateRequestLocked(HandleSlot& slot, std::uint32_t code,
                                            std::uint8_t* in, std::uint32_t inSize,
                                            std::uint8_t* out, std::uint32_t outSize,
                                            std::uint32_t& returned) {
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
    platform::LockGuard guard(lock_);
    ServiceLocked();
    std::vector<std::string> paths;
    if (SameGuid(interfaceClass, kCameraInterfaceClass)) {
        for (const auto& cam : cameras_) {
            if (cam->Present()) paths.push_back(cam->DevicePath());
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
    platform::LockGuard guard(lock_);
    ServiceLocked();
    for (std::size_t c = 0; c < cameras_.size(); ++c) {
        EmulatedCamera& cam = *cameras_[c];
        if (!cam.Present() || !SamePathIgnoringCase(path, cam.DevicePath())) continue;
        for (std::size_t s = 0; s < handles_.size(); ++s) {
            HandleSlot& slot = handles_[s];
            if (slot.value != kInvalidDriverHandle) continue;
            handleSerial_ = (handleSerial_ + 1) & 0xFFFFF;
            slot.value = kHandleBase + static_cast<DriverHandle>(handleSerial_) *
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
    platform::LockGuard guard(lock_);
    HandleSlot* slot = FindHandleLocked(handle);
    if (slot == nullptr) return;
    // Closing a handle cancels what is still queued on it.
    CancelLocked(-1, -1, handle, kStatusCancelled, kUsbStatusCanceled);
    *slot = HandleSlot{};
}

// ---- DriverPort: requests ---------------------------------------------------

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
    platform::LockGuard guard(lock_);
    ServiceLocked();
    HandleSlot* slot = FindHandleLocked(handle);
    log_.Add(slot == nullptr ? -1 : slot->camera, handle, code, false, in, inSize, outSize);
    if (slot == nullptr || LiveCameraLocked(*slot) == nullptr) return false;
    std::uint32_t count = 0;
    const bool ok = ImmediateRequestLocked(*slot, code, in, inSize, out, outSize, count);
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
    platform::LockGuard guard(lock_);
    if (io == nullptr || io->pending) return kErrorInvalidParameter;
    ServiceLocked();
    io->wake.Reset();
    io->submitted = true;
    io->success = false;
    io->bytes = 0;
    HandleSlot* slot = FindHandleLocked(handle);
    log_.Add(slot == nullptr ? -1 : slot->camera, handle, code, overlapped, in, inSize, outSize);
    if (slot == nullptr) return kErrorInvalidHandle;
    if (LiveCameraLocked(*slot) == nullptr) return platform::kErrorDeviceNotConnected;

    if (code == kIoctlQueuedTransfer || code == kIoctlDirectTransfer) {
        if (!StartTransferLocked(*slot, code, in, inSize, out, outSize, *io)) {
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
    io->success = ImmediateRequestLocked(*slot, code, in, inSize, out, outSize, count);
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
            platform::LockGuard guard(lock_);
            if (!io->submitted) return platform::IoWaitResult::Failed;
            ServiceLocked();
            const std::uint64_t now = clockMs_ * 1000;
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
    if (io == nullptr) return false;
    platform::LockGuard guard(lock_);
    ServiceLocked();
    if (!io->submitted || io->pending) return false;
    if (bytes != nullptr) *bytes = io->bytes;
    return io->success;
}

}  // namespace nodrix::emulator
