#pragma once
// Requests whose abort did not complete in time. The driver may still write
// into their overlapped record and buffers, so they are kept here instead of
// being freed; each is released once its port reports it complete.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/DriverPort.h"

namespace nodrix::transport {

void ParkTransfer(platform::DriverPort& port, std::unique_ptr<platform::PendingIo> io,
                  std::unique_ptr<std::uint8_t[]> buffer);
// Releases the parked requests of port that have completed since.
void ReclaimParkedTransfers(platform::DriverPort& port);
std::size_t ParkedTransferCount();

}  // namespace nodrix::transport
