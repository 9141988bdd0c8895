#pragma once
// The switch that puts any program onto the emulated camera without
// rebuilding: the NODRIX_EMULATION environment variable.

namespace nodrix::platform {
class DriverPort;
}

namespace nodrix::emulator {

// The process's emulated driver configured from NODRIX_EMULATION, created on
// first use; nullptr when the variable is unset or empty.
platform::DriverPort* DriverFromEnvironment();

}  // namespace nodrix::emulator
