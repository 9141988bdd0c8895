#pragma once
// The image sensor's register file (16-bit addresses, 8-bit values) and what
// its registers mean for the frames it reads out: operating state, flips,
// frame and line length, shutter, window, gain, black level, gain mode,
// short exposure and temperature.

#include <array>
#include <cstdint>

namespace nodrix::emulator {

inline constexpr std::uint32_t kSensorWidth = 1280;
inline constexpr std::uint32_t kSensorHeight = 1024;
inline constexpr double kPixelClockHz = 37037000.0;

// Register addresses the sensor acts on.
namespace sensor_reg {
inline constexpr std::uint16_t kOperatingState = 0;
inline constexpr std::uint16_t kFlipV = 1;         // bit 6
inline constexpr std::uint16_t kFlipHHold = 2;     // bit 0 flip, bit 6 hold
inline constexpr std::uint16_t kFrameLength = 5;   // 5..8, 28 bits
inline constexpr std::uint16_t kLineLength = 9;    // 9..10
inline constexpr std::uint16_t kShutter = 11;      // 11..14, 27 bits
inline constexpr std::uint16_t kWindow = 22;       // 22..24
inline constexpr std::uint16_t kGainModeA = 78;
inline constexpr std::uint16_t kGainModeB = 82;
inline constexpr std::uint16_t kShortExposure = 90;  // 90..92
inline constexpr std::uint16_t kGain = 287;
inline constexpr std::uint16_t kBlackLevel = 367;  // 367..369
inline constexpr std::uint16_t kTemperature = 392;  // 392..393
}  // namespace sensor_reg

inline constexpr std::uint8_t kStateFreeRunning = 4;
inline constexpr std::uint8_t kStateTriggered = 16;

class SensorModel {
public:
    SensorModel();

    // Power-on (and reset-request) state of every register.
    void Reset();

    void Write(std::uint16_t address, std::uint8_t value);
    std::uint8_t Read(std::uint16_t address) const;

    std::uint8_t OperatingState() const { return regs_[sensor_reg::kOperatingState]; }
    bool FlipV() const { return (regs_[sensor_reg::kFlipV] & 0x40) != 0; }
    bool FlipH() const { return (regs_[sensor_reg::kFlipHHold] & 0x01) != 0; }
    std::uint32_t FrameLength() const;
    std::uint32_t LineLength() const;
    std::uint32_t Shutter() const;
    // The window rows as the image sees them: first row y and height H.
    std::uint32_t WindowY() const;
    std::uint32_t WindowHeight() const;
    std::uint8_t GainCode() const { return regs_[sensor_reg::kGain]; }
    std::uint32_t BlackLevel() const;
    bool LowGainMode() const;
    bool ShortExposure() const;
    std::uint16_t TemperatureReading() const;

    // One line in microseconds, the frame period and the exposure.
    double LineTimeUs() const;
    double FramePeriodUs() const;
    double ExposureUs() const;

private:
    std::uint32_t Gather(std::uint16_t first, int count) const;

    std::array<std::uint8_t, 65536> regs_{};
};

}  // namespace nodrix::emulator
