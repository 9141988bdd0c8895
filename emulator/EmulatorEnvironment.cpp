#include "emulator/EmulatorEnvironment.h"

namespace nodrix::emulator {

platform::DriverPort* DriverFromEnvironment() { return nullptr; }

}  // namespace nodrix::emulator
