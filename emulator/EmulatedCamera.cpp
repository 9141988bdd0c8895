#include "emulator/EmulatedCamera.h"

#include <utility>

#include "emulator/FpgaRegisters.h"

namespace nodrix::emulator {

EmulatedCamera::EmulatedCamera(const CameraSettings& settings, const EmulatorConfig& config,
                               std::string devicePath, std::uint64_t nowUs)
    : path_(std::move(devicePath)),
      productId_(settings.productId),
      serial_(settings.serial),
      firmwareVersion_(config.firmwareVersion),
      fpgaVersion_(config.fpgaVersion),
      fpgaReadyDelayMs_(config.fpgaReadyDelayMs),
      frameNumberStart_(config.frameNumberStart),
      pattern_(config.pattern),
      pace_(config.pace),
      linkBytesPerSecond_(LinkBytesPerSecond(config.busSpeed)),
      triggerIntervalMs_(config.triggerIntervalMs),
      faults_(config.faults),
      eeprom_(settings.serial) {
    eeprom_.SetWriteCycleMs(config.eepromWriteMs);
    PowerUp(nowUs);
}

void EmulatedCamera::PowerUp(std::uint64_t nowUs) {
    using namespace fpga_reg;
    poweredAtUs_ = nowUs;
    fpga_.fill(0);
    aux_.fill(0);
    fpga_[kVersionLow] = static_cast<std::uint8_t>(fpgaVersion_);
    fpga_[kVersionHigh] = static_cast<std::uint8_t>(fpgaVersion_ >> 8);
    fpga_[kConfigLevel] = 10;
    fpga_[kSensorState] = kSensorReady;
    fpga_[kTransferWidth] = 1;
    fpga_[kHeightLow] = kSensorHeight & 0xFF;
    fpga_[kHeightHigh] = kSensorHeight >> 8;
    fpga_[kWidthLow] = kSensorWidth & 0xFF;
    fpga_[kWidthHigh] = kSensorWidth >> 8;
    fpga_[kFrameLength] = 1054 & 0xFF;
    fpga_[kFrameLength + 1] = 1054 >> 8;
    fpga_[kLineLength] = 1344 & 0xFF;
    fpga_[kLineLength + 1] = 1344 >> 8;
    fpga_[kFlipHOff] = 1;
    sensor_.Reset();
    fpgaPointer_ = 0;
    auxPointer_ = 0;
    sensorPointer_ = 0;
    controlByte_ = 0;
    words3E_.clear();
    wordsD0_.clear();
    headerRequested_ = false;
    nextBoundaryUs_ = static_cast<double>(nowUs);
    triggeredFrame_ = false;
    triggerCount_ = 0;
    autoTriggerActive_ = false;
    nextFrameNumber_ = frameNumberStart_;
    endpoint_ = Endpoint::Empty;
    holdUntilUs_ = 0;
}

void EmulatedCamera::Unplug() {
    present_ = false;
    StopStream();
}

void EmulatedCamera::Replug(std::uint64_t nowUs) {
    if (present_) return;
    present_ = true;
    ++generation_;
    PowerUp(nowUs);
}

bool EmulatedCamera::Triggered() const {
    return fpga_[fpga_reg::kTriggerMode] == 1 || sensor_.OperatingState() == kStateTriggered;
}

bool EmulatedCamera::FreeRunning() const {
    return !Triggered() && sensor_.OperatingState() == kStateFreeRunning;
}

}  // namespace nodrix::emulator
