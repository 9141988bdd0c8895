// Which driver the transport talks to is decided here, where the library is
// put together: the platform layer offers the operating system's driver and
// knows nothing of the emulated camera.
#include "api/DriverPortChoice.h"

#include <atomic>

#include "emulator/EmulatorEnvironment.h"
#include "platform/SystemDriverPort.h"

namespace nodrix::api {
using platform::DriverPort;
namespace {

std::atomic<DriverPort*> g_installed{nullptr};

}  // namespace

DriverPort& ActiveDriverPort() {
    if (DriverPort* installed = g_installed.load(std::memory_order_acquire)) return *installed;
    if (DriverPort* emulated = emulator::DriverFromEnvironment()) return *emulated;
    return platform::detail::SystemDriverPort();
}

void InstallDriverPort(DriverPort* port) {
    g_installed.store(port, std::memory_order_release);
}

}  // namespace nodrix::api
