#pragma once
// Device paths of USB cameras, in the form the discovery reads: the vendor
// and product identifiers as four hexadecimal digits where the Windows
// driver's paths carry them, and a tail naming the bus and the chain of hub
// ports, which stays the same when the camera is unplugged and plugged into
// the same socket again.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::platform::usb {

// "\\?\usb#vid_vvvv&pid_pppp#bus001-port1.4#{328184c5-...}"
std::string MakeUsbDevicePath(std::uint16_t vendorId, std::uint16_t productId, std::uint8_t bus,
                              const std::vector<std::uint8_t>& ports);

// Paths compare without regard to letter case, as the system's do.
bool SameDevicePath(const char* a, const std::string& b);

}  // namespace nodrix::platform::usb
