// Queued bulk transfers, the direct transfer and the endpoint abort.
#include <atomic>
#include <cstring>
#include <memory>

#include "platform/Time.h"
#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"
#include "transport/ParkedTransfers.h"
#include "transport/TransferSlots.h"

namespace nodrix {

using platform::DriverHandle;
using platform::IoWaitResult;
using platform::kInvalidDriverHandle;

namespace {

constexpr std::uint32_t kBulkWriteTimeoutMs = 3000;
constexpr std::uint32_t kStreamReadTimeoutMs = 5000;
constexpr std::uint32_t kDirectTransferTimeoutMs = 3000;
// After an abort the request should end at once; this is how long it gets
// before the second abort.
constexpr std::uint32_t kAbortSettleMs = 50;
// How long an abort, or a request after its second abort, may take before
// its memory is parked rather than waited on for ever.
constexpr std::uint32_t kAbortCompletionMs = 5000;
// The driver gives a control transfer 3 s; this leaves it room to report.
constexpr std::uint32_t kControlCompletionMs = 5000;

// Counts a read from the frame endpoint as in flight for its lifetime.
class ReadInFlight {
public:
    explicit ReadInFlight(std::atomic<int>* count) : count_(count) {
        if (count_ != nullptr) count_->fetch_add(1);
    }
    ~ReadInFlight() {
        if (count_ != nullptr) count_->fetch_sub(1);
    }
    ReadInFlight(const ReadInFlight&) = delete;
    ReadInFlight& operator=(const ReadInFlight&) = delete;

private:
    std::atomic<int>* count_;
};

}  // namespace

void CNodrixCy3::AbortPipe(DriverHandle handle) {
    platform::DriverPort& port = Port();
    transport::SlotLease slot(slots_);
    if (!slot.Valid()) return;
    std::uint8_t* endpoint = slot.Buffer();
    endpoint[0] = transport::kEndpointBulkIn;
    const std::uint32_t result = port.SubmitIoControl(handle, transport::kIoctlAbortPipe,
                                                      endpoint, 1, nullptr, 0, slot.Io());
    if (result != platform::kErrorIoPending) return;
    if (port.WaitIo(slot.Io(), kAbortCompletionMs) != IoWaitResult::Completed) slot.Park();
}

int CNodrixCy3::SendFrameHeaderRequest(DriverHandle handle) {
    // The data handle is overlapped, so even this control request goes with
    // an overlapped record of its own.
    platform::DriverPort& port = Port();
    transport::SlotLease slot(slots_);
    if (!slot.Valid()) return 0;
    std::uint8_t* request = slot.Buffer();
    const transport::ControlSetup setup{transport::kRequestTypeVendorOutEndpoint,
                                        transport::kRequestFrameHeader, 0, 0};
    if (!transport::BuildControlRequest(setup, nullptr, 0, request)) return 0;
    const std::uint32_t size = static_cast<std::uint32_t>(transport::kControlRequestSize);
    const std::uint32_t result = port.SubmitIoControl(
        handle, transport::kIoctlControlTransfer, request, size, request, size, slot.Io());
    if (result == platform::kErrorSuccess) return 1;
    if (result != platform::kErrorIoPending) return 0;
    if (port.WaitIo(slot.Io(), kControlCompletionMs) != IoWaitResult::Completed) {
        slot.Park();
        return 0;
    }
    std::uint32_t bytes = 0;
    return port.GetIoResult(handle, slot.Io(), &bytes) ? 1 : 0;
}

int CNodrixCy3::AbortDataPipe() {
    bool opened = false;
    const DriverHandle handle = AcquireDataHandle(&opened);
    if (handle != kInvalidDriverHandle) AbortPipe(handle);
    ReleaseDataHandle(opened);
    return 1;
}

int CNodrixCy3::QueuedTransfer(DriverHandle handle, std::uint8_t* buffer, std::uint32_t count,
                               std::uint8_t endpoint, std::uint32_t* transferred,
                               std::uint32_t timeoutMs) {
    if (transferred != nullptr) *transferred = 0;
    if (count > transport::kMaxBulkTransfer || handle == kInvalidDriverHandle ||
        requestBuffer_ == nullptr || (count > 0 && buffer == nullptr)) {
        return 0;
    }
    // Reads from the frame endpoint are the ones a stop interrupts.
    const bool interruptible = endpoint == transport::kEndpointBulkIn;
    const ReadInFlight inFlight(interruptible ? &readsInFlight_ : nullptr);
    if (interruptible && readsInterrupted_.load()) return 0;
    platform::DriverPort& port = Port();
    transport::ReclaimParkedTransfers(port);
    transport::SlotLease slot(slots_);
    if (!slot.Valid()) return 0;
    // The driver writes its status fields into the record until the request ends.
    std::uint8_t* record = slot.Buffer();
    transport::WriteTransferRecord(transport::QueuedTransferRecord(endpoint), record);

    const std::uint32_t result = port.SubmitIoControl(
        handle, transport::kIoctlQueuedTransfer, record,
        static_cast<std::uint32_t>(transport::kTransferRecordSize), buffer, count, slot.Io());
    lastSubmitResult_ = result;
    bool completed = false;
    if (result == platform::kErrorSuccess) {
        completed = true;
    } else if (result == platform::kErrorIoPending) {
        // An interruption that came while this read was being queued may
        // have found nothing to abort: the read then aborts itself.
        completed = !(interruptible && readsInterrupted_.load()) &&
                    port.WaitIo(slot.Io(), timeoutMs) == IoWaitResult::Completed;
    } else {
        return 0;  // refused: nothing is pending
    }

    if (!completed) {
        // Expired or the wait failed: the request must end before its memory goes.
        AbortPipe(handle);
        if (port.WaitIo(slot.Io(), kAbortSettleMs) != IoWaitResult::Completed) {
            AbortPipe(handle);
            if (port.WaitIo(slot.Io(), kAbortCompletionMs) != IoWaitResult::Completed) {
                slot.Park();
            }
        }
        return 0;
    }

    std::uint32_t bytes = 0;
    if (!port.GetIoResult(handle, slot.Io(), &bytes)) return 0;
    if (transferred != nullptr) *transferred = bytes;
    const transport::TransferRecord answer = transport::ReadTransferRecord(record);
    if (answer.driverStatus != 0 || answer.usbStatus != 0) {
        platform::SleepMs(1);
        return 0;
    }
    return 1;
}

int CNodrixCy3::BulkRead(DriverHandle handle, std::uint8_t* buffer, std::uint32_t count,
                         std::uint8_t endpoint, std::uint32_t* transferred,
                         std::uint32_t timeoutMs) {
    return QueuedTransfer(handle, buffer, count, endpoint, transferred, timeoutMs);
}

int CNodrixCy3::BulkWrite(DriverHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                          std::uint8_t endpoint, std::uint32_t* transferred) {
    // The driver only reads the data of an OUT transfer.
    return QueuedTransfer(handle, const_cast<std::uint8_t*>(buffer), count, endpoint, transferred,
                          kBulkWriteTimeoutMs);
}

int CNodrixCy3::TransferAsync5000(DriverHandle handle, std::uint8_t* buffer, std::uint32_t count,
                                  std::uint8_t endpoint, std::uint32_t* transferred) {
    if (transferred != nullptr) *transferred = 0;
    if (handle == kInvalidDriverHandle || !SendFrameHeaderRequest(handle)) return 0;
    return QueuedTransfer(handle, buffer, count, endpoint, transferred, kStreamReadTimeoutMs);
}

int CNodrixCy3::TransferSync(DriverHandle handle, std::uint8_t* destination, std::uint32_t count,
                             std::uint8_t endpoint, std::uint32_t* transferred) {
    if (transferred != nullptr) *transferred = 0;
    if (count > transport::kMaxBulkTransfer || handle == kInvalidDriverHandle ||
        requestBuffer_ == nullptr || (count > 0 && destination == nullptr)) {
        return 0;
    }
    platform::DriverPort& port = Port();
    std::uint8_t* request = requestBuffer_.get();
    const std::uint32_t size = static_cast<std::uint32_t>(transport::kTransferRecordSize) + count;
    transport::WriteTransferRecord(transport::DirectTransferRecord(endpoint, count), request);
    std::memset(request + transport::kTransferRecordSize, 0, count);

    std::unique_ptr<platform::PendingIo> io = port.CreatePendingIo();
    if (io == nullptr) return 0;
    const std::uint32_t result = port.SubmitIoControl(handle, transport::kIoctlDirectTransfer,
                                                      request, size, request, size, *io);
    bool completed = false;
    if (result == platform::kErrorSuccess) {
        completed = true;
    } else if (result == platform::kErrorIoPending) {
        completed = port.WaitIo(*io, kDirectTransferTimeoutMs) == IoWaitResult::Completed;
    } else {
        return 0;
    }
    if (!completed) {
        AbortPipe(handle);
        if (port.WaitIo(*io, kAbortSettleMs) != IoWaitResult::Completed) {
            // The driver still owns the request buffer; the core allocates a
            // new one before the next transfer.
            transport::ParkTransfer(port, std::move(io), std::move(requestBuffer_));
        }
        return 0;
    }

    std::uint32_t bytes = 0;
    if (!port.GetIoResult(handle, *io, &bytes)) return 0;
    const std::uint32_t data =
        bytes >= transport::kTransferRecordSize
            ? bytes - static_cast<std::uint32_t>(transport::kTransferRecordSize)
            : 0;
    if (data > count) return 0;
    if (data > 0) std::memcpy(destination, request + transport::kTransferRecordSize, data);
    if (transferred != nullptr) *transferred = data;
    return 1;
}

}  // namespace nodrix
