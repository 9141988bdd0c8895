#include "emulator/EmulatedCamera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "emulator/DriverProtocol.h"
#include "emulator/FpgaRegisters.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator {
namespace {

// Bus devices in their 8-bit write form.
constexpr std::uint8_t kBusFpga = 0x40;
constexpr std::uint8_t kBusSensor = 0x48;
constexpr std::uint8_t kBusAux = 0x5A;
constexpr std::uint8_t kBusEeprom = 0xA2;

constexpr std::uint32_t kMaxBusBytes = 64;
constexpr std::uint32_t kMemoryCommandSize = 32;

// The request type each vendor request must carry.
int ExpectedRequestType(std::uint8_t request) {
    switch (request) {
        case 0x30: case 0x3C: case 0x3E: case 0xC0: case 0xD0: return 0x40;
        case 0x31: case 0x3D: case 0x3F: case 0xB0: case 0xB1: case 0xC3: case 0xD1: return 0xC0;
        case 0xC2: case 0xCC: return 0x42;
        default: return -1;
    }
}

}  // namespace

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

// ---- Register bus -----------------------------------------------------------

std::uint8_t EmulatedCamera::ReadFpga(std::uint8_t address) const {
    using namespace fpga_reg;
    switch (address) {
        case kBusBusy: return faults_.busBusy ? 1 : 0;
        case kFrameCounter: return static_cast<std::uint8_t>(triggerCount_);
        case kSensorState: return faults_.sensorNeverReady ? 0 : fpga_[address];
        default: return fpga_[address];
    }
}

void EmulatedCamera::WriteFpga(std::uint8_t address, std::uint8_t value) {
    using namespace fpga_reg;
    switch (address) {
        case kFrameCounter:
            triggerCount_ = value;
            break;
        case kStopStream:
            if (value == 2) StopStream();
            break;
        case kStreamReset:
            // The rising edge of the pulse flushes the endpoint; an exposure
            // under way (the pending header request) carries on.
            if ((value & 1) && !(fpga_[address] & 1)) DropEndpointData();
            break;
        case kSensorControl:
            if (value & 2) {
                sensor_.Reset();
                fpga_[kSensorState] = kSensorReady;
                value = static_cast<std::uint8_t>(value & ~2);
            }
            break;
        default:
            break;
    }
    fpga_[address] = value;
}

bool EmulatedCamera::NakThisTransfer(std::uint8_t address) {
    if (faults_.nakBusTransfers == 0) return false;
    if (faults_.nakBusAddress != 0 && (faults_.nakBusAddress & 0xFE) != (address & 0xFE)) {
        return false;
    }
    --faults_.nakBusTransfers;
    return true;
}

bool EmulatedCamera::BusWrite(std::uint8_t address, const std::uint8_t* data, std::uint32_t count,
                              std::uint64_t nowUs) {
    if (NakThisTransfer(address)) return false;
    switch (address) {
        case kBusFpga:
            if (count < 1) return false;
            fpgaPointer_ = data[0];
            if (count >= 3) WriteFpga(data[0], data[2]);
            return true;
        case kBusAux:
            if (count < 1) return false;
            auxPointer_ = data[0];
            if (count >= 2) aux_[data[0]] = data[1];
            return true;
        case kBusEeprom:
            return eeprom_.BusWrite(data, count, nowUs / 1000);
        case kBusSensor:
            if (count < 2) return false;
            sensorPointer_ = static_cast<std::uint16_t>((data[0] << 8) | data[1]);
            for (std::uint32_t i = 2; i < count; ++i) {
                sensor_.Write(sensorPointer_, data[i]);
                sensorPointer_ = static_cast<std::uint16_t>(sensorPointer_ + 1);
            }
            return true;
        default:
            return false;  // nobody acknowledges the address
    }
}

bool EmulatedCamera::BusRead(std::uint8_t address, std::uint8_t* data, std::uint32_t count,
                             std::uint64_t nowUs) {
    if (NakThisTransfer(address)) return false;
    switch (address) {
        case kBusFpga | 1:
            // The FPGA answers the register address, then its value.
            for (std::uint32_t i = 0; i < count; ++i) data[i] = 0;
            if (count >= 1) data[0] = fpgaPointer_;
            if (count >= 2) data[1] = ReadFpga(fpgaPointer_);
            return true;
        case kBusAux | 1:
            for (std::uint32_t i = 0; i < count; ++i) {
                data[i] = aux_[static_cast<std::uint8_t>(auxPointer_ + i)];
            }
            return true;
        case kBusEeprom | 1:
            return eeprom_.BusRead(data, count, nowUs / 1000);
        case kBusSensor | 1:
            for (std::uint32_t i = 0; i < count; ++i) {
                data[i] = sensor_.Read(sensorPointer_);
                sensorPointer_ = static_cast<std::uint16_t>(sensorPointer_ + 1);
            }
            return true;
        default:
            return false;
    }
}

// ---- Vendor requests --------------------------------------------------------

void EmulatedCamera::FillInfoBlock(std::uint8_t request, std::array<std::uint8_t, 64>& data) const {
    data.fill(0);
    if (request == 0xB0) {
        const char name[] = "NodrixT520 emulated";
        std::memcpy(data.data(), name, sizeof(name) - 1);
        PutLe16(&data[24], firmwareVersion_);
        PutLe16(&data[26], productId_);
        PutLe16(&data[28], fpgaVersion_);
    } else {
        const std::size_t n = std::min<std::size_t>(serial_.size(), 32);
        std::memcpy(data.data(), serial_.data(), n);
        PutLe16(&data[32], productId_);
    }
}

bool EmulatedCamera::VendorRequest(std::uint8_t requestType, std::uint8_t request,
                                   std::uint16_t value, std::uint16_t index,
                                   std::array<std::uint8_t, 64>& data, std::uint32_t& answered,
                                   std::uint64_t nowUs) {
    answered = 0;
    if (!present_) return false;
    if (ExpectedRequestType(request) != requestType) return false;
    switch (request) {
        case 0x30:
            if (value > kMaxBusBytes || !BusWrite(static_cast<std::uint8_t>(index), data.data(),
                                                  value, nowUs)) {
                return false;
            }
            answered = value;
            return true;
        case 0x31:
            if (value > kMaxBusBytes || (index & 1) == 0) return false;
            data.fill(0);
            if (!BusRead(static_cast<std::uint8_t>(index), data.data(), value, nowUs)) return false;
            answered = value;
            return true;
        case 0x3C:
            controlByte_ = data[0];
            answered = 1;
            return true;
        case 0x3D:
            data.fill(0);
            data[0] = controlByte_;
            answered = 1;
            return true;
        case 0x3E:
            words3E_[static_cast<std::uint16_t>((data[0] << 8) | data[1])] =
                static_cast<std::uint16_t>((data[2] << 8) | data[3]);
            answered = 4;
            return true;
        case 0x3F: {
            data.fill(0);
            auto it = words3E_.find(value);
            PutLe16(data.data(), it == words3E_.end() ? 0 : it->second);
            answered = 2;
            return true;
        }
        case 0xB0:
        case 0xB1:
            FillInfoBlock(request, data);
            answered = 64;
            return true;
        case 0xC0:
            StopStream();
            return true;
        case 0xC2:
            RequestHeader(nowUs);
            return true;
        case 0xC3: {
            data.fill(0);
            const bool configured =
                !faults_.fpgaNeverReady &&
                nowUs - poweredAtUs_ >= static_cast<std::uint64_t>(fpgaReadyDelayMs_) * 1000;
            data[0] = configured ? 1 : 0;
            answered = 64;
            return true;
        }
        case 0xCC:
            return true;
        case 0xD0:
            wordsD0_[static_cast<std::uint16_t>((value & 0x8000) | (index & 0x7FFF))] =
                GetLe32(data.data());
            answered = 4;
            return true;
        case 0xD1: {
            auto it = wordsD0_.find(index);
            data.fill(0);
            PutLe16(data.data(), static_cast<std::uint16_t>(it == wordsD0_.end() ? 0 : it->second));
            answered = 64;
            return true;
        }
        default:
            return false;
    }
}

// ---- Frames -----------------------------------------------------------------

std::uint64_t EmulatedCamera::NextFrameBoundary(std::uint64_t nowUs) {
    const double period = std::max(sensor_.FramePeriodUs(), 1.0);
    const double now = static_cast<double>(nowUs);
    if (nextBoundaryUs_ <= now) {
        nextBoundaryUs_ += (std::floor((now - nextBoundaryUs_) / period) + 1.0) * period;
    }
    return static_cast<std::uint64_t>(std::ceil(nextBoundaryUs_));
}

void EmulatedCamera::RequestHeader(std::uint64_t nowUs) {
    // A repeated request while an exposure is under way keeps that exposure.
    if (headerRequested_) return;
    headerRequested_ = true;
    requestReadyUs_ = pace_ == Pace::Max ? nowUs : NextFrameBoundary(nowUs);
}

double EmulatedCamera::TriggeredExposureUs() const {
    using namespace fpga_reg;
    const std::uint32_t lines = fpga_[kTriggerExposure0] | (fpga_[kTriggerExposure1] << 8) |
                                (fpga_[kTriggerExposure2] << 16) |
                                ((fpga_[kTriggerExposure3] & 0x0F) << 24);
    const std::uint32_t lineLength = fpga_[kLineLength] | (fpga_[kLineLength + 1] << 8);
    if (lines == 0 || lineLength == 0) return sensor_.ExposureUs();
    return static_cast<double>(lines) * lineLength * 1e6 / kPixelClockHz;
}

bool EmulatedCamera::Trigger(std::uint32_t count, std::uint64_t atUs) {
    if (!present_ || !Triggered()) return false;
    const std::uint64_t delay =
        pace_ == Pace::Max ? 0 : static_cast<std::uint64_t>(TriggeredExposureUs());
    if (count == 0) return true;
    triggerCount_ += count;
    triggeredFrame_ = true;
    triggeredReadyUs_ = atUs + delay;
    return true;
}

void EmulatedCamera::Advance(std::uint64_t nowUs) {
    if (!present_) return;
    if (Triggered() && triggerIntervalMs_ > 0) {
        const std::uint64_t interval = static_cast<std::uint64_t>(triggerIntervalMs_) * 1000;
        if (!autoTriggerActive_) {
            autoTriggerActive_ = true;
            nextAutoTriggerUs_ = nowUs + interval;
        }
        if (nowUs >= nextAutoTriggerUs_ + 16 * interval) {
            // Long idle: only the last few triggers still matter.
            const std::uint64_t missed = (nowUs - nextAutoTriggerUs_) / interval - 8;
            triggerCount_ += static_cast<std::uint32_t>(missed);
            nextAutoTriggerUs_ += missed * interval;
        }
        while (nextAutoTriggerUs_ <= nowUs) {
            Trigger(1, nextAutoTriggerUs_);
            nextAutoTriggerUs_ += interval;
        }
    } else {
        autoTriggerActive_ = false;
    }
    if (!Triggered()) triggeredFrame_ = false;

    if (endpoint_ != Endpoint::Empty || !headerRequested_) return;
    if (Triggered()) {
        if (triggeredFrame_ && triggeredReadyUs_ <= nowUs) {
            triggeredFrame_ = false;
            QueueHeader(triggeredReadyUs_);
        }
    } else if (FreeRunning() && requestReadyUs_ <= nowUs) {
        QueueHeader(requestReadyUs_);
    }
}

std::uint64_t EmulatedCamera::NextEventUs(std::uint64_t nowUs) const {
    if (!present_) return kNever;
    std::uint64_t next = kNever;
    if (memoryReadLeft_ > 0) return nowUs;
    if (endpoint_ != Endpoint::Empty) {
        if (holdUntilUs_ > nowUs) next = holdUntilUs_;
        return next;
    }
    if (Triggered()) {
        if (triggeredFrame_) next = std::min(next, triggeredReadyUs_);
        if (autoTriggerActive_) next = std::min(next, nextAutoTriggerUs_);
    } else if (headerRequested_ && FreeRunning()) {
        next = std::min(next, requestReadyUs_);
    }
    return next;
}

void EmulatedCamera::QueueHeader(std::uint64_t capturedUs) {
    using namespace fpga_reg;
    FrameSnapshot& f = frame_;
    f.pattern = pattern_;
    f.frameNumber = nextFrameNumber_++;
    f.width = fpga_[kWidthLow] | (fpga_[kWidthHigh] << 8);
    f.height = fpga_[kHeightLow] | (fpga_[kHeightHigh] << 8);
    f.bytesPerSample = fpga_[kTransferWidth] == 2 ? 2 : 1;
    f.windowY = sensor_.WindowY();
    f.windowHeight = sensor_.WindowHeight();
    f.flipV = sensor_.FlipV();
    f.flipH = sensor_.FlipH();
    const double exposureUs = Triggered() ? TriggeredExposureUs() : sensor_.ExposureUs();
    double gain = std::max<double>(sensor_.GainCode(), 1) / 2.0;
    if (sensor_.LowGainMode()) gain *= 0.25;
    const double scale = exposureUs / 40000.0 * gain * 65536.0;
    f.sceneScale = static_cast<std::uint32_t>(std::min(scale, 2147483647.0));
    const std::int64_t black = static_cast<std::int64_t>(sensor_.BlackLevel()) / 16 - 512;
    f.sceneBlack = static_cast<std::uint32_t>(std::max<std::int64_t>(black, 0));

    header_.fill(0);
    PutLe16(&header_[kHeaderWidth], static_cast<std::uint16_t>(f.width));
    PutLe16(&header_[kHeaderHeight], static_cast<std::uint16_t>(f.height));
    PutLe16(&header_[kHeaderBytesPerSample], static_cast<std::uint16_t>(f.bytesPerSample));
    PutLe32(&header_[kHeaderTimestampMs], static_cast<std::uint32_t>(capturedUs / 1000));
    const std::uint64_t size = f.PayloadBytes();
    PutLe32(&header_[kHeaderPayloadSize],
            static_cast<std::uint32_t>(std::min<std::uint64_t>(size, 0xFFFFFFFFu)));
    PutLe32(&header_[kHeaderFrameNumber], f.frameNumber);
    PutLe32(&header_[kHeaderTriggerCount], triggerCount_);

    headerRequested_ = false;
    endpoint_ = Endpoint::Header;
    headerOffset_ = 0;
    payloadOffset_ = 0;
    ++framesSent_;
}

void EmulatedCamera::DropEndpointData() {
    endpoint_ = Endpoint::Empty;
    memoryReadLeft_ = 0;
    memoryWriteLeft_ = 0;
    holdUntilUs_ = 0;
}

void EmulatedCamera::StopStream() {
    headerRequested_ = false;
    DropEndpointData();
}

ReadOutcome EmulatedCamera::BulkTransfer(std::uint8_t endpoint, std::uint8_t* buffer,
                                         std::uint32_t capacity, std::uint32_t& moved,
                                         std::uint64_t nowUs) {
    moved = 0;
    if (!present_) return ReadOutcome::Failed;
    if (endpoint == kEndpointBulkIn) return ReadBulkIn(buffer, capacity, moved, nowUs);
    if (endpoint == kEndpointBulkOut) return WriteBulkOut(buffer, capacity, moved);
    return ReadOutcome::Failed;  // this model has no other endpoint: stall
}

ReadOutcome EmulatedCamera::WriteBulkOut(const std::uint8_t* buffer, std::uint32_t capacity,
                                         std::uint32_t& moved) {
    moved = capacity;
    if (memoryWriteLeft_ > 0) {
        const std::uint32_t n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, memoryWriteLeft_));
        memory_.Write(memoryWriteAddress_, buffer, n);
        memoryWriteAddress_ += n;
        memoryWriteLeft_ -= n;
        return ReadOutcome::Done;
    }
    if (capacity != kMemoryCommandSize || GetLe32(buffer + 4) != 2) return ReadOutcome::Done;
    const std::uint64_t address =
        GetLe32(buffer + 8) | (static_cast<std::uint64_t>(GetLe32(buffer + 12)) << 32);
    const std::uint32_t length = GetLe32(buffer + 16);
    if (std::memcmp(buffer, "AU3R", 4) == 0) {
        memoryReadAddress_ = address;
        memoryReadLeft_ = length;
    } else if (std::memcmp(buffer, "AU3W", 4) == 0) {
        memoryWriteAddress_ = address;
        memoryWriteLeft_ = length;
    }
    return ReadOutcome::Done;
}

ReadOutcome EmulatedCamera::ReadBulkIn(std::uint8_t* buffer, std::uint32_t capacity,
                                       std::uint32_t& moved, std::uint64_t nowUs) {
    if (memoryReadLeft_ > 0) {
        moved = static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, memoryReadLeft_));
        memory_.Read(memoryReadAddress_, buffer, moved);
        memoryReadAddress_ += moved;
        memoryReadLeft_ -= moved;
        return ReadOutcome::Done;
    }
    Advance(nowUs);
    if (endpoint_ == Endpoint::Empty || nowUs < holdUntilUs_) return ReadOutcome::Pending;
    const bool header = endpoint_ == Endpoint::Header;
    std::uint32_t& delay = header ? faults_.delayHeaderReads : faults_.delayPayloadReads;
    if (delay > 0) {
        --delay;
        holdUntilUs_ = nowUs + static_cast<std::uint64_t>(faults_.delayMs) * 1000;
        return ReadOutcome::Pending;
    }
    std::uint32_t& fail = header ? faults_.failHeaderReads : faults_.failPayloadReads;
    if (fail > 0) {
        --fail;
        DropEndpointData();  // the frame is lost with the failed transfer
        return ReadOutcome::Failed;
    }
    std::uint32_t n = 0;
    if (header) {
        n = std::min<std::uint32_t>(capacity, kFrameHeaderSize - headerOffset_);
        std::memcpy(buffer, header_.data() + headerOffset_, n);
        headerOffset_ += n;
        if (headerOffset_ == kFrameHeaderSize) {
            endpoint_ = frame_.PayloadBytes() > 0 ? Endpoint::Payload : Endpoint::Empty;
        }
    } else {
        const std::uint64_t left = frame_.PayloadBytes() - payloadOffset_;
        n = static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, left));
        GeneratePayload(frame_, payloadOffset_, buffer, n);
        payloadOffset_ += n;
        if (payloadOffset_ == frame_.PayloadBytes()) endpoint_ = Endpoint::Empty;
    }
    std::uint32_t& truncate = header ? faults_.truncateHeaderReads : faults_.truncatePayloadReads;
    if (truncate > 0 && n > 0) {
        // A short transfer: half of it arrives, the rest of the frame is lost.
        --truncate;
        n /= 2;
        DropEndpointData();
    }
    moved = n;
    return ReadOutcome::Done;
}

}  // namespace nodrix::emulator
