#pragma once
// Emulated cameras on a mocked USB bus: each camera of an emulated driver
// becomes a USB device in a umockdev test bed (its descriptors in the
// system's device files), and an ioctl handler answers the USB device file
// requests (claim, submit, reap, discard, clear halt, reset) from the
// camera's USB face. libusb runs unchanged on top, so the library's USB
// driver port is held against the same camera model as the driver-level
// face. The program must run with umockdev's preload library.

#include <memory>

namespace nodrix::emulator {
class EmulatedDriver;
}

namespace nodrix::testing {

class UsbTestbed {
public:
    explicit UsbTestbed(emulator::EmulatedDriver& driver);
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Whether the program runs with umockdev's preload library.
    static bool Available();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nodrix::testing
