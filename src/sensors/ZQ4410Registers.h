#pragma once
// Register map of the ZQ4410 sensor (16-bit addresses, 8-bit values) and of
// the FPGA registers that work beside it. Multi-byte values are split low
// byte first over consecutive addresses.

#include <cstdint>

namespace nodrix::zq4410 {

// Sensor registers.
namespace reg {
constexpr int kOperatingState = 0;  // 4 free running, 16 triggered, 0 while re-arming
constexpr int kReadControl1 = 1;    // bit 6: vertical flip
constexpr int kReadControl2 = 2;    // bit 0: horizontal flip, bit 6: hold
constexpr int kFrameLength0 = 5;    // 5..8: frame length in lines, 28 bits
constexpr int kLineLength0 = 9;     // 9..10: line length in clocks
constexpr int kShutter0 = 11;       // 11..14: shutter, 27 bits
constexpr int kWindowStartLow = 22;
constexpr int kWindowStartHighSizeLow = 23;
constexpr int kWindowSizeHigh = 24;
constexpr int kGainModeA = 78;
constexpr int kGainModeB = 82;
constexpr int kShortExposure0 = 90;  // 90..92
constexpr int kAnalogGain = 287;
constexpr int kBlackLevel0 = 367;  // 367..369
constexpr int kTemperatureLow = 392;
constexpr int kTemperatureHigh = 393;
}  // namespace reg

constexpr int kOperatingFreeRunning = 4;
constexpr int kOperatingTriggered = 16;
constexpr int kVerticalFlipBit = 0x40;
constexpr int kHorizontalFlipBit = 0x01;
constexpr int kHoldBit = 0x40;

// Register patterns of the two gain modes (78, 82) and the short exposure (90..92).
constexpr int kGainModeHigh78 = 255;
constexpr int kGainModeHigh82 = 6;
constexpr std::uint32_t kShortExposureOnPattern = 0x1F2064;  // 100, 32, 31
constexpr std::uint32_t kShortExposureOffPattern = 0xFFFFFF;

// FPGA registers.
namespace fpga {
constexpr std::uint8_t kBusBusy = 2;  // the register bus may be used only while 0
constexpr std::uint8_t kFirmwareLevel = 19;
constexpr std::uint8_t kSensorState = 33;   // 3: ready
constexpr std::uint8_t kFrameLength0 = 80;  // 80..83: copy of the frame length
constexpr std::uint8_t kLineLengthLow = 84;
constexpr std::uint8_t kLineLengthHigh = 85;
constexpr std::uint8_t kTriggerTiming = 88;  // 1 while the FPGA times the sensor
constexpr std::uint8_t kHorizontalFlipOff = 90;
constexpr std::uint8_t kTriggerExposure0 = 133;  // bits 0-7
constexpr std::uint8_t kTriggerExposure1 = 134;  // bits 8-15
constexpr std::uint8_t kTriggerExposure2 = 155;  // bits 16-23
constexpr std::uint8_t kTriggerExposure3 = 156;  // bits 24-27
constexpr std::uint8_t kResetControl = 164;      // bit 1: sensor reset request
}  // namespace fpga

constexpr std::uint8_t kSensorStateReady = 3;
constexpr std::uint8_t kFirmwareLevelAlwaysReady = 9;
constexpr std::uint8_t kResetRequestBit = 0x02;

// Line length the FPGA uses while it times the sensor (95 + 5 * 256 clocks).
constexpr std::uint8_t kTriggerLineLengthLow = 95;
constexpr std::uint8_t kTriggerLineLengthHigh = 5;

}  // namespace nodrix::zq4410
