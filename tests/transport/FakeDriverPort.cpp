#include "transport/FakeDriverPort.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/Event.h"
#include "transport/DriverRequests.h"
#include "transport/LittleEndian.h"
#include "transport/TransferRecord.h"

namespace nodrix::testing {

using platform::DriverHandle;
using platform::kInvalidDriverHandle;

struct FakeDriverPort::Io : platform::PendingIo {
    platform::Event done{platform::EventReset::Manual, false};
    bool ok = false;
    bool hung = false;
    std::uint32_t bytes = 0;
    FakeDriverPort* owner = nullptr;
    ~Io() override {
        if (owner == nullptr) return;
        std::lock_guard<std::mutex> lock(owner->mutex_);
        auto& pending = owner->pending_;
        pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
    }
};

std::string DevicePathFor(std::uint16_t vendorId, std::uint16_t productId, int serial) {
    char path[128];
    std::snprintf(path, sizeof(path),
                  "\\\\?\\usb#vid_%04x&pid_%04x#%08d#{328184c5-93e6-49b7-94b8-2ada13aabb39}",
                  vendorId, productId, serial);
    return path;
}

FakeDriverPort::FakeDriverPort() {
    controlHandler_ = [this](std::vector<std::uint8_t>& request, std::uint32_t* returned) {
        return DefaultControl(request, returned);
    };
}

FakeDriverPort::~FakeDriverPort() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Io* io : pending_) io->owner = nullptr;
}

void FakeDriverPort::AddDevice(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_.push_back(Device{path, true, 0});
}

void FakeDriverPort::SetPresent(const std::string& path, bool present) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Device& d : devices_) {
        if (d.path == path) d.present = present;
    }
}

void FakeDriverPort::SetDetailSize(const std::string& path, std::uint32_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Device& d : devices_) {
        if (d.path == path) d.detailSize = size;
    }
}

void FakeDriverPort::SetControlHandler(ControlHandler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    controlHandler_ = std::move(handler);
}

std::uint8_t FakeDriverPort::FpgaRegister(std::uint8_t address) {
    std::lock_guard<std::mutex> lock(registerMutex_);
    return fpga_[address];
}

void FakeDriverPort::SetFpgaRegister(std::uint8_t address, std::uint8_t value) {
    std::lock_guard<std::mutex> lock(registerMutex_);
    fpga_[address] = value;
}

void FakeDriverPort::QueueBulkReply(BulkReply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    bulkReplies_.push_back(std::move(reply));
}

void FakeDriverPort::SetBulkHandler(BulkHandler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    bulkHandler_ = std::move(handler);
}

int FakeDriverPort::CreatedIoRecords() {
    std::lock_guard<std::mutex> lock(mutex_);
    return createdIoRecords_;
}

std::size_t FakeDriverPort::PendingTransfers() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pending_.size();
}

std::vector<LoggedRequest> FakeDriverPort::Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<LoggedRequest> FakeDriverPort::Log(std::uint32_t code) {
    std::vector<LoggedRequest> result;
    for (LoggedRequest& r : Log()) {
        if (r.code == code) result.push_back(std::move(r));
    }
    return result;
}

void FakeDriverPort::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

int FakeDriverPort::OpenHandles() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(handles_.size());
}

void FakeDriverPort::Record(DriverHandle handle, std::uint32_t code, const void* in,
                            std::uint32_t inSize, std::uint32_t outSize) {
    const auto* bytes = static_cast<const std::uint8_t*>(in);
    log_.push_back(LoggedRequest{
        handle,
        code,
        bytes ? std::vector<std::uint8_t>(bytes, bytes + inSize) : std::vector<std::uint8_t>{},
        outSize,
        {}});
}

std::vector<const FakeDriverPort::Device*> FakeDriverPort::PresentDevices() {
    std::vector<const Device*> present;
    for (const Device& d : devices_) {
        if (d.present) present.push_back(&d);
    }
    return present;
}

platform::DeviceInfoSet FakeDriverPort::GetClassDevices(const platform::Guid&) {
    std::lock_guard<std::mutex> lock(mutex_);
    scan_ = PresentDevices();
    return 7;
}

bool FakeDriverPort::EnumDeviceInterface(platform::DeviceInfoSet, const platform::Guid&,
                                         std::uint32_t memberIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    return memberIndex < scan_.size();
}

bool FakeDriverPort::GetDeviceInterfaceDetail(platform::DeviceInfoSet, const platform::Guid&,
                                              std::uint32_t memberIndex, void* detail,
                                              std::uint32_t detailSize,
                                              std::uint32_t* requiredSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (memberIndex >= scan_.size()) return false;
    const Device& d = *scan_[memberIndex];
    const std::uint32_t real = static_cast<std::uint32_t>(4 + d.path.size() + 1);
    const std::uint32_t size = d.detailSize != 0 ? d.detailSize : real;
    if (requiredSize) *requiredSize = size;
    if (detail == nullptr || detailSize < size) return false;
    auto* out = static_cast<std::uint8_t*>(detail);
    if (transport::GetLe32(out) != 5) return false;  // the caller must set the size field
    std::memcpy(out + 4, d.path.c_str(), std::min<std::size_t>(d.path.size() + 1, detailSize - 4));
    return true;
}

void FakeDriverPort::DestroyDeviceInfoList(platform::DeviceInfoSet) {
    std::lock_guard<std::mutex> lock(mutex_);
    scan_.clear();
}

DriverHandle FakeDriverPort::Open(const char* path, bool) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Device& d : devices_) {
        if (d.present && d.path == path) {
            const DriverHandle handle = nextHandle_++;
            handles_[handle] = path;
            return handle;
        }
    }
    return kInvalidDriverHandle;
}

void FakeDriverPort::Close(DriverHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.erase(handle);
}

bool FakeDriverPort::DefaultControl(std::vector<std::uint8_t>& request, std::uint32_t* returned) {
    const transport::TransferRecord record = transport::ReadTransferRecord(request.data());
    std::uint8_t* data = request.data() + transport::kTransferRecordSize;
    *returned = static_cast<std::uint32_t>(transport::kControlRequestSize);
    if (record.request == transport::kRequestBusWrite) {
        std::lock_guard<std::mutex> lock(registerMutex_);
        const bool fpga = record.index == transport::kBusFpga;
        std::uint8_t& pointer = fpga ? fpgaPointer_ : auxPointer_;
        std::uint8_t* file = fpga ? fpga_ : aux_;
        pointer = data[0];
        if (busDelayUs_ > 0) std::this_thread::sleep_for(std::chrono::microseconds(busDelayUs_));
        if (fpga && record.value == 3) file[data[0]] = data[2];
        if (!fpga && record.value == 2) file[data[0]] = data[1];
        std::memset(data, 0, transport::kControlDataSize);
    } else if (record.request == transport::kRequestBusRead) {
        std::lock_guard<std::mutex> lock(registerMutex_);
        std::memset(data, 0, transport::kControlDataSize);
        if (record.index == (transport::kBusFpga | 1)) {
            data[1] = fpga_[fpgaPointer_];
        } else if (record.index == (transport::kBusAux | 1)) {
            data[0] = aux_[auxPointer_];
        }
        *returned = static_cast<std::uint32_t>(transport::kTransferRecordSize + record.value);
    }
    return true;
}

bool FakeDriverPort::IoControl(DriverHandle handle, std::uint32_t code, void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* returned) {
    ControlHandler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Record(handle, code, in, inSize, outSize);
        if (handles_.count(handle) == 0) return false;
        handler = controlHandler_;
    }
    *returned = 0;
    if (code != transport::kIoctlControlTransfer) return true;
    if (inSize != transport::kControlRequestSize || out != in) return false;
    auto* bytes = static_cast<std::uint8_t*>(in);
    std::vector<std::uint8_t> request(bytes, bytes + inSize);
    // The register bus runs outside the port's lock so that two threads can meet there.
    if (!handler(request, returned)) return false;
    *returned = std::min(*returned, outSize);
    std::memcpy(out, request.data(), outSize);
    return true;
}

std::unique_ptr<platform::PendingIo> FakeDriverPort::CreatePendingIo() {
    auto io = std::make_unique<Io>();
    io->owner = this;
    std::lock_guard<std::mutex> lock(mutex_);
    ++createdIoRecords_;
    return io;
}

std::uint32_t FakeDriverPort::SubmitIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                              std::uint32_t inSize, void* out,
                                              std::uint32_t outSize, platform::PendingIo& pending) {
    Io& io = static_cast<Io&>(pending);
    std::unique_lock<std::mutex> lock(mutex_);
    // Like a real overlapped record, a reused one starts out not signalled.
    io.done.Reset();
    io.ok = false;
    io.hung = false;
    io.bytes = 0;
    Record(handle, code, in, inSize, outSize);
    if (handles_.count(handle) == 0) return platform::kErrorDeviceNotConnected;

    if (code == transport::kIoctlAbortPipe) {
        for (Io* waiting : pending_) {
            if (waiting->hung) continue;
            waiting->ok = false;
            waiting->bytes = 0;
            waiting->done.Set();
        }
        pending_.erase(
            std::remove_if(pending_.begin(), pending_.end(), [](Io* p) { return !p->hung; }),
            pending_.end());
        io.ok = true;
        io.done.Set();
        return platform::kErrorIoPending;
    }
    if (code == transport::kIoctlControlTransfer) {
        ControlHandler handler = controlHandler_;
        lock.unlock();
        std::uint32_t returned = 0;
        auto* bytes = static_cast<std::uint8_t*>(in);
        std::vector<std::uint8_t> request(bytes, bytes + inSize);
        const bool ok = inSize == transport::kControlRequestSize && out == in &&
                        handler(request, &returned);
        if (ok) std::memcpy(out, request.data(), outSize);
        lock.lock();
        io.ok = ok;
        io.bytes = std::min(returned, outSize);
        io.done.Set();
        return ok ? platform::kErrorSuccess : platform::kErrorGenFailure;
    }
    if (code != transport::kIoctlQueuedTransfer) {
        io.ok = false;
        io.done.Set();
        return platform::kErrorGenFailure;
    }

    const std::uint8_t endpoint = static_cast<std::uint8_t*>(in)[13];
    BulkReply reply;
    if (bulkHandler_) {
        BulkHandler handler = bulkHandler_;
        lock.unlock();
        reply = handler(endpoint, outSize);
        lock.lock();
    } else if (!bulkReplies_.empty()) {
        reply = std::move(bulkReplies_.front());
        bulkReplies_.pop_front();
    } else {
        reply.kind = BulkReply::Kind::PendingUntilAbort;
    }
    if (reply.kind != BulkReply::Kind::Complete) {
        io.hung = reply.kind == BulkReply::Kind::Hung;
        pending_.push_back(&io);
        return platform::kErrorIoPending;
    }
    const std::uint32_t n =
        std::min<std::uint32_t>(outSize, static_cast<std::uint32_t>(reply.data.size()));
    if ((endpoint & 0x80) != 0) {
        if (n > 0) std::memcpy(out, reply.data.data(), n);
    } else if (outSize > 0) {
        const auto* data = static_cast<const std::uint8_t*>(out);
        log_.back().written.assign(data, data + outSize);
    }
    transport::PutLe32(static_cast<std::uint8_t*>(in) + 14, reply.driverStatus);
    transport::PutLe32(static_cast<std::uint8_t*>(in) + 18, reply.usbStatus);
    io.ok = true;
    io.bytes = n;
    io.done.Set();
    return platform::kErrorIoPending;
}

platform::IoWaitResult FakeDriverPort::WaitIo(platform::PendingIo& pending,
                                              std::uint32_t timeoutMs) {
    Io& io = static_cast<Io&>(pending);
    return io.done.Wait(timeoutMs) ? platform::IoWaitResult::Completed
                                   : platform::IoWaitResult::TimedOut;
}

bool FakeDriverPort::GetIoResult(DriverHandle, platform::PendingIo& pending, std::uint32_t* bytes) {
    Io& io = static_cast<Io&>(pending);
    if (!io.done.Wait(0) || !io.ok) {
        *bytes = 0;
        return false;
    }
    *bytes = io.bytes;
    return true;
}

}  // namespace nodrix::testing
