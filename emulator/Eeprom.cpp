#include "emulator/Eeprom.h"

namespace nodrix::emulator {

Eeprom::Eeprom(const std::string& serial) : bytes_(65536, 0xFF) {
    WriteSerial(serial);
    bytes_[kEepromSettingsAddress] = 0;
}

void Eeprom::WriteSerial(const std::string& serial) {
    for (std::uint16_t i = 0; i < kEepromSerialSize; ++i) {
        bytes_[kEepromSerialAddress + i] = 0xFF;
    }
    // The text ends with 0xFF, so at most 31 characters fit with it.
    const std::size_t n = serial.size() < kEepromSerialSize ? serial.size() : kEepromSerialSize - 1;
    for (std::size_t i = 0; i < n; ++i) {
        bytes_[kEepromSerialAddress + i] = static_cast<std::uint8_t>(serial[i]);
    }
}

bool Eeprom::Busy(std::uint64_t nowMs) const { return nowMs < busyUntilMs_; }

bool Eeprom::BusWrite(const std::uint8_t* data, std::uint32_t count, std::uint64_t nowMs) {
    if (Busy(nowMs) || count < 2) return false;
    pointer_ = static_cast<std::uint16_t>((data[0] << 8) | data[1]);
    if (count == 2) return true;  // sets the address for a following read
    for (std::uint32_t i = 2; i < count; ++i) {
        bytes_[pointer_] = data[i];
        pointer_ = static_cast<std::uint16_t>(pointer_ + 1);
    }
    busyUntilMs_ = nowMs + writeCycleMs_;
    return true;
}

bool Eeprom::BusRead(std::uint8_t* data, std::uint32_t count, std::uint64_t nowMs) {
    if (Busy(nowMs)) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        data[i] = bytes_[pointer_];
        pointer_ = static_cast<std::uint16_t>(pointer_ + 1);
    }
    return true;
}

}  // namespace nodrix::emulator
