#include "transport/TransferSlots.h"

#include <cstring>

#include "transport/ParkedTransfers.h"

namespace nodrix::transport {

TransferSlot TransferSlots::Take() {
    TransferSlot slot;
    {
        platform::LockGuard guard(lock_);
        if (!free_.empty()) {
            slot = std::move(free_.back());
            free_.pop_back();
        }
    }
    if (!slot.Valid()) {
        slot.io = port_.CreatePendingIo();
        if (slot.io == nullptr) return TransferSlot{};
        slot.buffer.reset(new std::uint8_t[kSlotBufferSize]);
    }
    std::memset(slot.buffer.get(), 0, kSlotBufferSize);
    return slot;
}

void TransferSlots::Give(TransferSlot slot) {
    if (!slot.Valid()) return;
    platform::LockGuard guard(lock_);
    free_.push_back(std::move(slot));
}

void TransferSlots::Park(TransferSlot slot) {
    if (!slot.Valid()) return;
    ParkTransfer(port_, std::move(slot.io), std::move(slot.buffer));
}

std::size_t TransferSlots::FreeCount() const {
    platform::LockGuard guard(lock_);
    return free_.size();
}

}  // namespace nodrix::transport
