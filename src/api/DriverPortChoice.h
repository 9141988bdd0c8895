#pragma once
// Which driver the library talks to, chosen where it is put together: the
// connection is made with this port and hands it down to its camera core
// and transport, which know no other.

#include "platform/DriverPort.h"

namespace nodrix::api {

// The port a new connection uses: one installed by a test, else the
// emulated camera when NODRIX_EMULATION is set, else the operating system's
// driver.
platform::DriverPort& ActiveDriverPort();
// Tests and applications may install their own port (nullptr restores the
// default choice). The port must outlive every connection made with it.
void InstallDriverPort(platform::DriverPort* port);

}  // namespace nodrix::api
