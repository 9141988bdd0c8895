#pragma once
// The operating system's own driver port: the kernel driver on Windows;
// natively a port that finds no device (the emulated camera or a test's
// port stands in).

#include "platform/DriverPort.h"

namespace nodrix::platform::detail {

DriverPort& SystemDriverPort();

}  // namespace nodrix::platform::detail
