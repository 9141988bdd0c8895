#include "transport/ParkedTransfers.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/RecursiveLock.h"

namespace nodrix::transport {
namespace {

struct Parked {
    platform::DriverPort* port;
    std::unique_ptr<platform::PendingIo> io;
    std::unique_ptr<std::uint8_t[]> buffer;
};

struct ParkingLot {
    platform::RecursiveLock lock;
    std::vector<Parked> transfers;
    // The size of transfers, read without the lock: every transfer of every
    // connection looks here first, and the lot is nearly always empty.
    std::atomic<std::size_t> count{0};
};

ParkingLot& Lot() {
    // Never destroyed: a parked request may outlive static destruction.
    static ParkingLot* lot = new ParkingLot();
    return *lot;
}

}  // namespace

void ParkTransfer(platform::DriverPort& port, std::unique_ptr<platform::PendingIo> io,
                  std::unique_ptr<std::uint8_t[]> buffer) {
    ParkingLot& lot = Lot();
    platform::LockGuard guard(lot.lock);
    lot.transfers.push_back(Parked{&port, std::move(io), std::move(buffer)});
    lot.count.store(lot.transfers.size(), std::memory_order_release);
}

void ReclaimParkedTransfers(platform::DriverPort& port) {
    ParkingLot& lot = Lot();
    if (lot.count.load(std::memory_order_acquire) == 0) return;
    platform::LockGuard guard(lot.lock);
    auto done = std::remove_if(lot.transfers.begin(), lot.transfers.end(), [&](Parked& parked) {
        return parked.port == &port &&
               port.WaitIo(*parked.io, 0) == platform::IoWaitResult::Completed;
    });
    lot.transfers.erase(done, lot.transfers.end());
    lot.count.store(lot.transfers.size(), std::memory_order_release);
}

std::size_t ParkedTransferCount() {
    ParkingLot& lot = Lot();
    platform::LockGuard guard(lot.lock);
    return lot.transfers.size();
}

}  // namespace nodrix::transport
