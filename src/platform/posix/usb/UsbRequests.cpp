// The driver's I/O control requests, each carried out as the USB operation
// it stands for: the transfer record the transport builds is read field by
// field, and the answer goes back in the layout and byte count it expects.

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/LittleEndian.h"
#include "platform/posix/usb/UsbDriverPort.h"
#include "platform/posix/usb/UsbPendingIo.h"

namespace nodrix::platform::usb {
namespace {

constexpr std::uint32_t kIoctlControlTransfer = 0x220020;
constexpr std::uint32_t kIoctlDirectTransfer = 0x220024;
constexpr std::uint32_t kIoctlResetPipe = 0x22002C;
constexpr std::uint32_t kIoctlResetPort = 0x220030;
constexpr std::uint32_t kIoctlAbortPipe = 0x220044;
constexpr std::uint32_t kIoctlQueuedTransfer = 0x22004B;
constexpr std::uint32_t kIoctlGetSpeed = 0x22004C;

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidParameter = 87;

// The transfer record: 38 bytes, little-endian.
constexpr std::uint32_t kRecordSize = 38;
constexpr std::uint32_t kRecRequestType = 0;
constexpr std::uint32_t kRecRequest = 1;
constexpr std::uint32_t kRecValue = 2;
constexpr std::uint32_t kRecIndex = 4;
constexpr std::uint32_t kRecTimeout = 8;
constexpr std::uint32_t kRecEndpoint = 13;
constexpr std::uint32_t kRecDriverStatus = 14;
constexpr std::uint32_t kRecUsbStatus = 18;
constexpr std::uint32_t kRecDataOffset = 30;
constexpr std::uint32_t kRecDataLength = 34;
// The most data one control transfer carries (the setup packet's limit the
// camera accepts).
constexpr std::uint32_t kMaxControlData = 4096;
constexpr unsigned kDefaultControlTimeoutMs = 3000;

// Status values written into the record, as the kernel driver reports them.
constexpr std::uint32_t kStatusUnsuccessful = 0xC0000001u;
constexpr std::uint32_t kStatusCancelled = 0xC0000120u;
constexpr std::uint32_t kStatusNoSuchDevice = 0xC000000Eu;
constexpr std::uint32_t kUsbStatusStall = 0xC0000004u;
constexpr std::uint32_t kUsbStatusCanceled = 0xC0010000u;
constexpr std::uint32_t kUsbStatusDeviceGone = 0xC0007000u;
constexpr std::uint32_t kUsbStatusXactError = 0xC0000011u;

// Bus speed codes of the driver.
constexpr std::uint32_t kSpeedLow = 1;
constexpr std::uint32_t kSpeedFull = 2;
constexpr std::uint32_t kSpeedHigh = 3;
constexpr std::uint32_t kSpeedSuper = 4;

void WriteStatus(std::uint8_t* record, std::uint32_t driverStatus, std::uint32_t usbStatus) {
    if (record == nullptr) return;
    PutLe32(record + kRecDriverStatus, driverStatus);
    PutLe32(record + kRecUsbStatus, usbStatus);
}

bool IsBulk(std::uint32_t code) {
    return code == kIoctlQueuedTransfer || code == kIoctlDirectTransfer;
}

std::uint32_t SpeedCode(libusb_device_handle* handle) {
    switch (libusb_get_device_speed(libusb_get_device(handle))) {
        case LIBUSB_SPEED_LOW:
            return kSpeedLow;
        case LIBUSB_SPEED_FULL:
            return kSpeedFull;
        case LIBUSB_SPEED_HIGH:
            return kSpeedHigh;
        case LIBUSB_SPEED_SUPER:
        case LIBUSB_SPEED_SUPER_PLUS:
            return kSpeedSuper;
        default:
            return 0;
    }
}

}  // namespace

// ---- Requests completed at once ---------------------------------------------

namespace {

// A control transfer the caller waits for; guarded by the port's mutex.
struct ControlWait {
    UsbDriverPort* port = nullptr;
    bool done = false;
    libusb_transfer_status status = LIBUSB_TRANSFER_ERROR;
    int actual = 0;
};

}  // namespace

void LIBUSB_CALL UsbDriverPort::ControlDone(libusb_transfer* transfer) {
    auto* wait = static_cast<ControlWait*>(transfer->user_data);
    std::lock_guard<std::mutex> guard(wait->port->mutex_);
    wait->status = transfer->status;
    wait->actual = transfer->actual_length;
    wait->done = true;
    wait->port->completed_.notify_all();
}

int UsbDriverPort::RunControlTransfer(Device& device, std::uint8_t requestType,
                                      std::uint8_t request, std::uint16_t value,
                                      std::uint16_t index, std::uint8_t* data, std::uint16_t length,
                                      unsigned timeoutMs) {
    if (length > kMaxControlData) return LIBUSB_ERROR_INVALID_PARAM;
    // The setup packet heads the transfer's buffer.
    std::array<std::uint8_t, LIBUSB_CONTROL_SETUP_SIZE + kMaxControlData> buffer;
    libusb_fill_control_setup(buffer.data(), requestType, request, value, index, length);
    const bool in = (requestType & LIBUSB_ENDPOINT_IN) != 0;
    if (!in && length > 0) std::memcpy(buffer.data() + LIBUSB_CONTROL_SETUP_SIZE, data, length);
    libusb_transfer* transfer = TakeControlTransfer();
    if (transfer == nullptr) return LIBUSB_ERROR_NO_MEM;
    ControlWait wait;
    wait.port = this;
    libusb_fill_control_transfer(transfer, device.handle, buffer.data(),
                                 &UsbDriverPort::ControlDone, &wait, timeoutMs);
    EnsureEventThread();
    int result = libusb_submit_transfer(transfer);
    if (result == LIBUSB_SUCCESS) {
        // libusb's own time-out ends the transfer; an unplug ends it too.
        std::unique_lock<std::mutex> lock(mutex_);
        ++pendingControls_;
        completed_.wait(lock, [&] { return wait.done; });
        --pendingControls_;
        switch (wait.status) {
            case LIBUSB_TRANSFER_COMPLETED:
                result = wait.actual;
                break;
            case LIBUSB_TRANSFER_STALL:
                result = LIBUSB_ERROR_PIPE;
                break;
            case LIBUSB_TRANSFER_NO_DEVICE:
                result = LIBUSB_ERROR_NO_DEVICE;
                break;
            case LIBUSB_TRANSFER_TIMED_OUT:
                result = LIBUSB_ERROR_TIMEOUT;
                break;
            default:
                result = LIBUSB_ERROR_IO;
                break;
        }
    }
    // A transfer that was not submitted, or has completed, is free for reuse.
    GiveControlTransfer(transfer);
    if (result > 0 && in)
        std::memcpy(data, buffer.data() + LIBUSB_CONTROL_SETUP_SIZE,
                    static_cast<std::size_t>(result));
    return result;
}

bool UsbDriverPort::ControlTransfer(Device& device, std::uint8_t* in, std::uint32_t inSize,
                                    std::uint8_t* out, std::uint32_t outSize,
                                    std::uint32_t& returned) {
    returned = 0;
    if (in == nullptr || inSize < kRecordSize || out == nullptr || outSize < kRecordSize) {
        return false;
    }
    const std::uint32_t dataOffset = GetLe32(in + kRecDataOffset);
    const std::uint32_t dataLength = GetLe32(in + kRecDataLength);
    if ((dataLength > 0 && dataOffset != kRecordSize) || dataLength > kMaxControlData ||
        inSize - kRecordSize < dataLength || outSize - kRecordSize < dataLength) {
        return false;
    }
    const std::uint8_t requestType = in[kRecRequestType];
    const std::uint32_t timeoutSeconds = GetLe32(in + kRecTimeout);
    const unsigned timeoutMs = timeoutSeconds == 0 || timeoutSeconds > 60 ? kDefaultControlTimeoutMs
                                                                          : timeoutSeconds * 1000;
    if (out != in) std::memcpy(out, in, kRecordSize + dataLength);
    // The data stage moves the record's data bytes: what the host sends, or
    // room for the answer in the caller's buffer.
    const int moved = RunControlTransfer(
        device, requestType, in[kRecRequest], GetLe16(in + kRecValue), GetLe16(in + kRecIndex),
        out + kRecordSize, static_cast<std::uint16_t>(dataLength), timeoutMs);
    if (moved < 0) {
        if (moved == LIBUSB_ERROR_NO_DEVICE) device.gone.store(true);
        WriteStatus(out,
                    moved == LIBUSB_ERROR_NO_DEVICE ? kStatusNoSuchDevice : kStatusUnsuccessful,
                    moved == LIBUSB_ERROR_PIPE ? kUsbStatusStall : kUsbStatusXactError);
        return false;
    }
    WriteStatus(out, 0, 0);
    // The driver's count includes the record.
    returned = kRecordSize + static_cast<std::uint32_t>(moved);
    return true;
}

bool UsbDriverPort::ImmediateRequest(Device& device, std::uint32_t code, std::uint8_t* in,
                                     std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                                     std::uint32_t& returned) {
    returned = 0;
    int result = LIBUSB_SUCCESS;
    switch (code) {
        case kIoctlControlTransfer:
            return ControlTransfer(device, in, inSize, out, outSize, returned);
        case kIoctlAbortPipe:
        case kIoctlResetPipe: {
            if (in == nullptr || inSize < 1) return false;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                CancelEndpointLocked(device, in[0]);
            }
            if (code == kIoctlResetPipe) result = libusb_clear_halt(device.handle, in[0]);
            break;
        }
        case kIoctlResetPort: {
            {
                std::lock_guard<std::mutex> guard(mutex_);
                CancelEndpointLocked(device, -1);
            }
            result = libusb_reset_device(device.handle);
            // A camera that comes back as another device is found by the next scan.
            if (result == LIBUSB_ERROR_NOT_FOUND) device.gone.store(true);
            break;
        }
        case kIoctlGetSpeed:
            if (out == nullptr || outSize < 4) return false;
            PutLe32(out, SpeedCode(device.handle));
            returned = 4;
            return true;
        default:
            return false;
    }
    if (result == LIBUSB_ERROR_NO_DEVICE) device.gone.store(true);
    return result == LIBUSB_SUCCESS;
}

// ---- Bulk transfers ---------------------------------------------------------

void UsbDriverPort::CancelEndpointLocked(const Device& device, int endpoint) {
    for (Flight& flight : flights_) {
        if (flight.device.get() != &device) continue;
        if (endpoint >= 0 && flight.transfer->endpoint != endpoint) continue;
        libusb_cancel_transfer(flight.transfer);
    }
}

UsbDriverPort::Flight* UsbDriverPort::FlightOfLocked(const libusb_transfer* transfer) {
    for (Flight& flight : flights_) {
        if (flight.transfer == transfer) return &flight;
    }
    return nullptr;
}

libusb_transfer* UsbDriverPort::TakeControlTransfer() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!spareControls_.empty()) {
            libusb_transfer* transfer = spareControls_.back();
            spareControls_.pop_back();
            return transfer;
        }
    }
    return libusb_alloc_transfer(0);
}

void UsbDriverPort::GiveControlTransfer(libusb_transfer* transfer) {
    std::lock_guard<std::mutex> guard(mutex_);
    spareControls_.push_back(transfer);
}

std::uint32_t UsbDriverPort::StartBulkLocked(const std::shared_ptr<Device>& device,
                                             std::uint32_t code, std::uint8_t* in,
                                             std::uint32_t inSize, std::uint8_t* out,
                                             std::uint32_t outSize, UsbPendingIo& io) {
    if (in == nullptr || inSize < kRecordSize) return kErrorInvalidParameter;
    const std::uint8_t endpoint = in[kRecEndpoint];
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    if (code == kIoctlQueuedTransfer) {
        // The record goes in, the caller's buffer itself is the data.
        data = out;
        length = out == nullptr ? 0 : outSize;
        io.byteBias = 0;
        io.record2 = nullptr;
    } else {
        // One buffer: the record, then the data it announces.
        if (out == nullptr || outSize < kRecordSize ||
            GetLe32(in + kRecDataOffset) != kRecordSize) {
            return kErrorInvalidParameter;
        }
        data = out + kRecordSize;
        length = std::min(GetLe32(in + kRecDataLength), outSize - kRecordSize);
        io.byteBias = kRecordSize;
        io.record2 = out == in ? nullptr : out;
        if (out != in) std::memcpy(out, in, kRecordSize);
    }
    if (length > static_cast<std::uint32_t>(INT32_MAX)) return kErrorInvalidParameter;
    if (io.transfer == nullptr) io.transfer = libusb_alloc_transfer(0);
    if (io.transfer == nullptr) return kErrorGenFailure;
    // No time-out of its own: the transport waits, and aborts what it gives up on.
    libusb_fill_bulk_transfer(io.transfer, device->handle, endpoint, data, static_cast<int>(length),
                              &UsbDriverPort::TransferDone, this, 0);
    const int result = libusb_submit_transfer(io.transfer);
    if (result != LIBUSB_SUCCESS) {
        if (result == LIBUSB_ERROR_NO_DEVICE) {
            device->gone.store(true);
            return kErrorDeviceNotConnected;
        }
        return kErrorGenFailure;
    }
    io.record = in;
    io.inFlight = true;
    ++device->inFlight;
    flights_.push_back(Flight{io.transfer, &io, device});
    return kErrorIoPending;
}

void LIBUSB_CALL UsbDriverPort::TransferDone(libusb_transfer* transfer) {
    static_cast<UsbDriverPort*>(transfer->user_data)->Finish(transfer);
}

void UsbDriverPort::Finish(libusb_transfer* transfer) {
    std::lock_guard<std::mutex> guard(mutex_);
    Flight* found = FlightOfLocked(transfer);
    if (found == nullptr) return;
    Flight flight = std::move(*found);
    if (found != &flights_.back()) *found = std::move(flights_.back());
    flights_.pop_back();
    --flight.device->inFlight;
    std::uint32_t driverStatus = 0;
    std::uint32_t usbStatus = 0;
    switch (transfer->status) {
        case LIBUSB_TRANSFER_COMPLETED:
            break;
        case LIBUSB_TRANSFER_CANCELLED:
            driverStatus = kStatusCancelled;
            usbStatus = kUsbStatusCanceled;
            break;
        case LIBUSB_TRANSFER_NO_DEVICE:
            flight.device->gone.store(true);
            driverStatus = kStatusNoSuchDevice;
            usbStatus = kUsbStatusDeviceGone;
            break;
        case LIBUSB_TRANSFER_STALL:
            driverStatus = kStatusUnsuccessful;
            usbStatus = kUsbStatusStall;
            break;
        default:
            driverStatus = kStatusUnsuccessful;
            usbStatus = kUsbStatusXactError;
            break;
    }
    if (UsbPendingIo* io = flight.io) {
        WriteStatus(io->record, driverStatus, usbStatus);
        WriteStatus(io->record2, driverStatus, usbStatus);
        io->success = driverStatus == 0;
        io->bytes = io->byteBias + static_cast<std::uint32_t>(std::max(transfer->actual_length, 0));
        io->inFlight = false;
    } else {
        // Its record went while the kernel still held it: only now may it go.
        libusb_free_transfer(transfer);
    }
    completed_.notify_all();
}

void UsbDriverPort::Orphan(UsbPendingIo& io) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (io.inFlight) {
        if (Flight* flight = FlightOfLocked(io.transfer)) flight->io = nullptr;
        libusb_cancel_transfer(io.transfer);
        return;
    }
    if (io.transfer != nullptr) libusb_free_transfer(io.transfer);
}

// ---- DriverPort: requests ---------------------------------------------------

std::unique_ptr<PendingIo> UsbDriverPort::CreatePendingIo() {
    return std::make_unique<UsbPendingIo>(*this);
}

bool UsbDriverPort::IoControl(DriverHandle handle, std::uint32_t code, void* in,
                              std::uint32_t inSize, void* out, std::uint32_t outSize,
                              std::uint32_t* returned) {
    if (returned != nullptr) *returned = 0;
    if (IsBulk(code)) {
        // Without an overlapped record the caller waits for the transfer.
        UsbPendingIo io(*this);
        const std::uint32_t result = SubmitIoControl(handle, code, in, inSize, out, outSize, io);
        if (result == kErrorIoPending) WaitIo(io, kWaitInfinite);
        std::uint32_t bytes = 0;
        const bool ok = GetIoResult(handle, io, &bytes);
        if (returned != nullptr) *returned = bytes;
        return ok;
    }
    const std::shared_ptr<Device> device = DeviceOf(handle);
    if (!device || device->gone.load()) return false;
    std::uint32_t count = 0;
    const bool ok = ImmediateRequest(*device, code, static_cast<std::uint8_t*>(in), inSize,
                                     static_cast<std::uint8_t*>(out), outSize, count);
    if (returned != nullptr) *returned = ok ? count : 0;
    return ok;
}

std::uint32_t UsbDriverPort::SubmitIoControl(DriverHandle handle, std::uint32_t code, void* inVoid,
                                             std::uint32_t inSize, void* outVoid,
                                             std::uint32_t outSize, PendingIo& base) {
    auto* io = dynamic_cast<UsbPendingIo*>(&base);
    auto* in = static_cast<std::uint8_t*>(inVoid);
    auto* out = static_cast<std::uint8_t*>(outVoid);
    if (io == nullptr) return kErrorInvalidParameter;
    const std::shared_ptr<Device> device = DeviceOf(handle);
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (io->inFlight) return kErrorInvalidParameter;
        io->submitted = true;
        io->success = false;
        io->bytes = 0;
    }
    if (!device) return kErrorInvalidHandle;
    if (device->gone.load()) return kErrorDeviceNotConnected;
    if (IsBulk(code)) {
        EnsureEventThread();
        std::lock_guard<std::mutex> guard(mutex_);
        return StartBulkLocked(device, code, in, inSize, out, outSize, *io);
    }
    // Everything else completes at once.
    std::uint32_t count = 0;
    const bool ok = ImmediateRequest(*device, code, in, inSize, out, outSize, count);
    std::lock_guard<std::mutex> guard(mutex_);
    io->success = ok;
    io->bytes = count;
    completed_.notify_all();
    if (ok) return kErrorSuccess;
    return device->gone.load() ? kErrorDeviceNotConnected : kErrorGenFailure;
}

IoWaitResult UsbDriverPort::WaitIo(PendingIo& base, std::uint32_t timeoutMs) {
    auto* io = dynamic_cast<UsbPendingIo*>(&base);
    if (io == nullptr) return IoWaitResult::Failed;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!io->submitted) return IoWaitResult::Failed;
    const auto done = [&] { return !io->inFlight; };
    // A real device runs in real time: the library's clock hook is not applied.
    if (timeoutMs == kWaitInfinite) {
        completed_.wait(lock, done);
        return IoWaitResult::Completed;
    }
    return completed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)
               ? IoWaitResult::Completed
               : IoWaitResult::TimedOut;
}

bool UsbDriverPort::GetIoResult(DriverHandle, PendingIo& base, std::uint32_t* bytes) {
    auto* io = dynamic_cast<UsbPendingIo*>(&base);
    if (io == nullptr) return false;
    std::lock_guard<std::mutex> guard(mutex_);
    if (!io->submitted || io->inFlight) return false;
    if (bytes != nullptr) *bytes = io->bytes;
    return io->success;
}

}  // namespace nodrix::platform::usb
