#pragma once
// Devices on the camera's register bus, by their 8-bit write address (the
// read address has bit 0 set).

#include <cstdint>

namespace nodrix::emulator {

inline constexpr std::uint8_t kBusFpga = 0x40;
inline constexpr std::uint8_t kBusSensor = 0x48;
inline constexpr std::uint8_t kBusAux = 0x5A;
inline constexpr std::uint8_t kBusEeprom = 0xA2;

// The most bytes one bus transfer carries.
inline constexpr std::uint32_t kMaxBusBytes = 64;

}  // namespace nodrix::emulator
