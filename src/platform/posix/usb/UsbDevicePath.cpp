#include "platform/posix/usb/UsbDevicePath.h"

#include <cctype>
#include <cstdio>

namespace nodrix::platform::usb {

std::string MakeUsbDevicePath(std::uint16_t vendorId, std::uint16_t productId, std::uint8_t bus,
                              const std::vector<std::uint8_t>& ports) {
    std::string chain;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (i > 0) chain += '.';
        chain += std::to_string(ports[i]);
    }
    if (chain.empty()) chain = "0";
    char path[200];
    std::snprintf(
        path, sizeof(path),
        "\\\\?\\usb#vid_%04x&pid_%04x#bus%03u-port%s#{328184c5-93e6-49b7-94b8-2ada13aabb39}",
        vendorId, productId, static_cast<unsigned>(bus), chain.c_str());
    return path;
}

bool SameDevicePath(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] != '\0' && i < b.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return a[i] == '\0' && i == b.size();
}

}  // namespace nodrix::platform::usb
