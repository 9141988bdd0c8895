#pragma once
// Overlapped records and request buffers kept for reuse, so that streaming
// a frame (a header request and one queued read per 512 KiB piece) creates
// no event and allocates nothing once the first frames have gone through.
// A slot whose request could not be ended is parked with the driver instead
// of coming back, and the pool makes a new one when it next runs dry.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DriverPort.h"
#include "platform/RecursiveLock.h"
#include "transport/TransferRecord.h"

namespace nodrix::transport {

// Large enough for the biggest request that rides in a slot: a control
// request with its data stage.
inline constexpr std::size_t kSlotBufferSize = kControlRequestSize;

struct TransferSlot {
    std::unique_ptr<platform::PendingIo> io;
    std::unique_ptr<std::uint8_t[]> buffer;  // kSlotBufferSize bytes

    bool Valid() const { return io != nullptr && buffer != nullptr; }
};

class TransferSlots {
public:
    explicit TransferSlots(platform::DriverPort& port) : port_(port) {}
    TransferSlots(const TransferSlots&) = delete;
    TransferSlots& operator=(const TransferSlots&) = delete;

    // A free slot with its buffer zeroed; invalid when the port cannot make
    // an overlapped record.
    TransferSlot Take();
    // Back into the pool; only for slots whose request has ended.
    void Give(TransferSlot slot);
    // Hands a slot whose request is still pending to the parking lot.
    void Park(TransferSlot slot);

    std::size_t FreeCount() const;

private:
    platform::DriverPort& port_;
    mutable platform::RecursiveLock lock_;
    std::vector<TransferSlot> free_;
};

// Takes a slot and gives it back (or leaves it parked) at the end of a scope.
class SlotLease {
public:
    explicit SlotLease(TransferSlots& slots) : slots_(slots), slot_(slots.Take()) {}
    ~SlotLease() {
        if (slot_.Valid()) slots_.Give(std::move(slot_));
    }
    SlotLease(const SlotLease&) = delete;
    SlotLease& operator=(const SlotLease&) = delete;

    bool Valid() const { return slot_.Valid(); }
    platform::PendingIo& Io() { return *slot_.io; }
    std::uint8_t* Buffer() { return slot_.buffer.get(); }
    // The request could not be ended: its memory must outlive it.
    void Park() { slots_.Park(std::move(slot_)); }

private:
    TransferSlots& slots_;
    TransferSlot slot_;
};

}  // namespace nodrix::transport
