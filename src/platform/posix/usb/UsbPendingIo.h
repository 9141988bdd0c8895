#pragma once
// The overlapped record of the libusb port: the transfer it carries and its
// outcome. Fields are guarded by the port's mutex.

#include <libusb.h>

#include <cstdint>

#include "platform/DriverPort.h"

namespace nodrix::platform::usb {

class UsbDriverPort;

class UsbPendingIo final : public PendingIo {
public:
    explicit UsbPendingIo(UsbDriverPort& port) : port_(port) {}
    // A transfer still in flight is cancelled and left to its completion.
    ~UsbPendingIo() override;
    UsbPendingIo(const UsbPendingIo&) = delete;
    UsbPendingIo& operator=(const UsbPendingIo&) = delete;

    bool submitted = false;
    bool inFlight = false;
    bool success = false;
    std::uint32_t bytes = 0;
    std::uint32_t byteBias = 0;       // record bytes counted in the result
    std::uint8_t* record = nullptr;   // status fields are written here
    std::uint8_t* record2 = nullptr;  // and here, when the answer has its own copy
    libusb_transfer* transfer = nullptr;

private:
    UsbDriverPort& port_;
};

}  // namespace nodrix::platform::usb
