#pragma once
// FPGA register addresses the emulated camera gives a meaning to. All others
// store what is written.

#include <cstdint>

namespace nodrix::emulator::fpga_reg {

inline constexpr std::uint8_t kBusBusy = 2;
inline constexpr std::uint8_t kIoPort = 7;
inline constexpr std::uint8_t kFrameCounter = 8;
inline constexpr std::uint8_t kVersionLow = 16;
inline constexpr std::uint8_t kVersionHigh = 17;
inline constexpr std::uint8_t kConfigLevel = 19;
inline constexpr std::uint8_t kSensorState = 33;
inline constexpr std::uint8_t kTransferWidth = 60;
inline constexpr std::uint8_t kHeightLow = 64;
inline constexpr std::uint8_t kHeightHigh = 65;
inline constexpr std::uint8_t kWidthLow = 68;
inline constexpr std::uint8_t kWidthHigh = 69;
inline constexpr std::uint8_t kFrameLength = 80;  // 80..83
inline constexpr std::uint8_t kLineLength = 84;   // 84..85
inline constexpr std::uint8_t kTriggerMode = 88;
inline constexpr std::uint8_t kFlipHOff = 90;
inline constexpr std::uint8_t kStopStream = 104;
inline constexpr std::uint8_t kStreamReset = 108;
inline constexpr std::uint8_t kTriggerExposure0 = 133;
inline constexpr std::uint8_t kTriggerExposure1 = 134;
inline constexpr std::uint8_t kTriggerExposure2 = 155;
inline constexpr std::uint8_t kTriggerExposure3 = 156;
inline constexpr std::uint8_t kSensorControl = 164;  // bit 1: sensor reset request

inline constexpr std::uint8_t kSensorReady = 3;

}  // namespace nodrix::emulator::fpga_reg
