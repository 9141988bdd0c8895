// Register and EEPROM access over the camera's register bus.
#include <cstdint>

#include "platform/Time.h"
#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"

namespace nodrix {
namespace {

constexpr std::uint32_t kBusTimeoutMs = 3000;
constexpr std::uint8_t kFpgaVersionLow = 16;
constexpr std::uint8_t kFpgaVersionHigh = 17;
// The EEPROM needs this long to latch an address, and to program a byte.
constexpr std::uint32_t kEepromAddressDelayMs = 10;
constexpr std::uint32_t kEepromWriteDelayMs = 14;

}  // namespace

int CNodrixCy3::WriteFpgaRegister(std::uint8_t address, std::uint8_t value) {
    const std::uint8_t data[3] = {address, 0, value};
    platform::LockGuard guard(fpgaLock_);
    return I2cWrite(transport::kBusFpga, data, 3, kBusTimeoutMs);
}

int CNodrixCy3::ReadFpgaRegister(std::uint8_t address, std::uint8_t* value) {
    if (value == nullptr) return 0;
    std::uint8_t answer[2] = {};
    platform::LockGuard guard(fpgaLock_);
    if (!I2cWrite(transport::kBusFpga, &address, 1, kBusTimeoutMs)) return 0;
    if (!I2cRead(transport::kBusFpga | 1, answer, 2, kBusTimeoutMs)) return 0;
    *value = answer[1];
    return 1;
}

int CNodrixCy3::ReadFpgaVersion() {
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    if (!ReadFpgaRegister(kFpgaVersionHigh, &high) || !ReadFpgaRegister(kFpgaVersionLow, &low)) {
        return 0;
    }
    return high * 256 + low;
}

int CNodrixCy3::WriteAuxRegister(std::uint8_t address, std::uint8_t value) {
    const std::uint8_t data[2] = {address, value};
    return I2cWrite(transport::kBusAux, data, 2, kBusTimeoutMs);
}

int CNodrixCy3::ReadAuxRegister(std::uint8_t address, std::uint8_t* value) {
    if (value == nullptr) return 0;
    if (!I2cWrite(transport::kBusAux, &address, 1, kBusTimeoutMs)) return 0;
    return I2cRead(transport::kBusAux | 1, value, 1, kBusTimeoutMs);
}

int CNodrixCy3::WriteEepromByte(std::uint16_t address, std::uint8_t value) {
    const std::uint8_t data[3] = {static_cast<std::uint8_t>(address >> 8),
                                  static_cast<std::uint8_t>(address), value};
    const int ok = I2cWrite(transport::kBusEeprom, data, 3, kBusTimeoutMs);
    platform::SleepMs(kEepromWriteDelayMs);
    return ok;
}

int CNodrixCy3::ReadEepromByte(std::uint16_t address, std::uint8_t* value) {
    if (value == nullptr) return 0;
    const std::uint8_t data[2] = {static_cast<std::uint8_t>(address >> 8),
                                  static_cast<std::uint8_t>(address)};
    if (!I2cWrite(transport::kBusEeprom, data, 2, kBusTimeoutMs)) return 0;
    platform::SleepMs(kEepromAddressDelayMs);
    return I2cRead(transport::kBusEeprom | 1, value, 1, kBusTimeoutMs);
}

}  // namespace nodrix
