#pragma once
// The operating system's own driver port: the kernel driver on Windows;
// natively the cameras on the USB bus through libusb (a build without
// libusb has a port that finds no device).

#include "platform/DriverPort.h"

namespace nodrix::platform::detail {

DriverPort& SystemDriverPort();

}  // namespace nodrix::platform::detail
