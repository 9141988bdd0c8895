#pragma once
// The camera's configuration EEPROM: 64 KiB with 16-bit addresses, erased to
// 0xFF, the serial number text at 0x1040 and the settings byte at 0x1080.
// After a write it is busy for its write cycle and answers nothing (NAK),
// as serial EEPROMs do.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::emulator {

inline constexpr std::uint16_t kEepromSerialAddress = 0x1040;
inline constexpr std::uint16_t kEepromSerialSize = 32;
inline constexpr std::uint16_t kEepromSettingsAddress = 0x1080;

class Eeprom {
public:
    explicit Eeprom(const std::string& serial);

    // Bus transfers; false is a NAK. nowMs is library time.
    bool BusWrite(const std::uint8_t* data, std::uint32_t count, std::uint64_t nowMs);
    bool BusRead(std::uint8_t* data, std::uint32_t count, std::uint64_t nowMs);

    void SetWriteCycleMs(std::uint32_t ms) { writeCycleMs_ = ms; }

    // Direct access for tests, without bus timing.
    std::uint8_t Peek(std::uint16_t address) const { return bytes_[address]; }
    void Poke(std::uint16_t address, std::uint8_t value) { bytes_[address] = value; }
    void WriteSerial(const std::string& serial);

private:
    bool Busy(std::uint64_t nowMs) const;

    std::vector<std::uint8_t> bytes_;
    std::uint16_t pointer_ = 0;
    std::uint32_t writeCycleMs_ = 5;
    std::uint64_t busyUntilMs_ = 0;
};

}  // namespace nodrix::emulator
