#include "emulator/SensorModel.h"

#include <algorithm>

namespace nodrix::emulator {
namespace {

// Bits that exist in the top byte of the multi-byte registers.
std::uint8_t StoredBits(std::uint16_t address, std::uint8_t value) {
    if (address == sensor_reg::kFrameLength + 3) return value & 0x0F;  // bits 24-27
    if (address == sensor_reg::kShutter + 3) return value & 0x07;      // bits 24-26
    return value;
}

}  // namespace

SensorModel::SensorModel() { Reset(); }

void SensorModel::Reset() {
    regs_.fill(0);
    using namespace sensor_reg;
    regs_[kOperatingState] = kStateFreeRunning;
    // 1054 lines of 1344 clocks: 1024 rows and 30 lines of blanking.
    regs_[kFrameLength] = 1054 & 0xFF;
    regs_[kFrameLength + 1] = 1054 >> 8;
    regs_[kLineLength] = 1344 & 0xFF;
    regs_[kLineLength + 1] = 1344 >> 8;
    // Full window: start 0, height 1024 (encoded as 1026).
    const std::uint32_t h2 = kSensorHeight + 2;
    regs_[kWindow] = 0;
    regs_[kWindow + 1] = static_cast<std::uint8_t>((h2 & 0x1F) << 3);
    regs_[kWindow + 2] = static_cast<std::uint8_t>((h2 >> 5) & 0x3F);
    regs_[kGainModeA] = 255;  // high gain
    regs_[kGainModeB] = 6;
    regs_[kShortExposure] = 255;
    regs_[kShortExposure + 1] = 255;
    regs_[kShortExposure + 2] = 255;
    regs_[kGain] = 2;
    const std::uint32_t black = 8983;
    regs_[kBlackLevel] = static_cast<std::uint8_t>((black & 7) << 5);
    regs_[kBlackLevel + 1] = static_cast<std::uint8_t>((black >> 3) & 0xFF);
    regs_[kBlackLevel + 2] = static_cast<std::uint8_t>((black >> 11) & 7);
    const std::uint16_t temperature = 1000;
    regs_[kTemperature] = static_cast<std::uint8_t>(temperature & 0xFF);
    regs_[kTemperature + 1] = static_cast<std::uint8_t>(temperature >> 8);
}

void SensorModel::Write(std::uint16_t address, std::uint8_t value) {
    regs_[address] = StoredBits(address, value);
}

std::uint8_t SensorModel::Read(std::uint16_t address) const { return regs_[address]; }

std::uint32_t SensorModel::Gather(std::uint16_t first, int count) const {
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | regs_[first + i];
    return v;
}

std::uint32_t SensorModel::FrameLength() const { return Gather(sensor_reg::kFrameLength, 4); }
std::uint32_t SensorModel::LineLength() const { return Gather(sensor_reg::kLineLength, 2); }
std::uint32_t SensorModel::Shutter() const { return Gather(sensor_reg::kShutter, 4); }

std::uint32_t SensorModel::WindowHeight() const {
    const std::uint8_t r23 = regs_[sensor_reg::kWindow + 1];
    const std::uint8_t r24 = regs_[sensor_reg::kWindow + 2];
    const std::uint32_t h2 = (static_cast<std::uint32_t>(r24 & 0x3F) << 5) | (r23 >> 3);
    if (h2 <= 2) return 1;
    return std::min(h2 - 2, kSensorHeight);
}

std::uint32_t SensorModel::WindowY() const {
    const std::uint32_t s =
        (static_cast<std::uint32_t>(regs_[sensor_reg::kWindow + 1] & 7) << 8) |
        regs_[sensor_reg::kWindow];
    const std::uint32_t h = WindowHeight();
    // S counts from the bottom of the array: y = 1024 - S - H.
    if (s + h >= kSensorHeight) return 0;
    return kSensorHeight - s - h;
}

std::uint32_t SensorModel::BlackLevel() const {
    const std::uint8_t r367 = regs_[sensor_reg::kBlackLevel];
    const std::uint8_t r368 = regs_[sensor_reg::kBlackLevel + 1];
    const std::uint8_t r369 = regs_[sensor_reg::kBlackLevel + 2];
    return (static_cast<std::uint32_t>(r369 & 7) << 11) | (static_cast<std::uint32_t>(r368) << 3) |
           ((r367 >> 5) & 7);
}

bool SensorModel::LowGainMode() const {
    return regs_[sensor_reg::kGainModeA] == 6 && regs_[sensor_reg::kGainModeB] == 255;
}

bool SensorModel::ShortExposure() const {
    return regs_[sensor_reg::kShortExposure] == 100 &&
           regs_[sensor_reg::kShortExposure + 1] == 32 &&
           regs_[sensor_reg::kShortExposure + 2] == 31;
}

std::uint16_t SensorModel::TemperatureReading() const {
    return static_cast<std::uint16_t>(Gather(sensor_reg::kTemperature, 2));
}

double SensorModel::LineTimeUs() const {
    return static_cast<double>(std::max<std::uint32_t>(LineLength(), 1)) * 1e6 / kPixelClockHz;
}

double SensorModel::FramePeriodUs() const {
    return static_cast<double>(std::max<std::uint32_t>(FrameLength(), 2)) * LineTimeUs();
}

double SensorModel::ExposureUs() const {
    if (ShortExposure()) return 120.0 * 1e6 / kPixelClockHz;
    const std::int64_t lines = static_cast<std::int64_t>(FrameLength()) -
                               static_cast<std::int64_t>(Shutter()) - 1;
    return static_cast<double>(std::max<std::int64_t>(lines, 1)) * LineTimeUs();
}

}  // namespace nodrix::emulator
