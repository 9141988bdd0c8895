#include "emulator/EmulatorEnvironment.h"

#include <cstdlib>
#include <mutex>
#include <string>

#include "emulator/EmulatedDriver.h"
#include "emulator/EmulatorConfig.h"

namespace nodrix::emulator {

platform::DriverPort* DriverFromEnvironment() {
    static std::once_flag once;
    static EmulatedDriver* driver = nullptr;
    std::call_once(once, [] {
        const char* text = std::getenv("NODRIX_EMULATION");
        if (text == nullptr) return;
        EmulatorConfig config;
        if (!ParseEmulatorConfig(text, config, nullptr)) return;
        // Lives as long as the process: transport objects of any thread may
        // still hold handles of it while static objects are destroyed.
        driver = new EmulatedDriver(config);
    });
    return driver;
}

}  // namespace nodrix::emulator
