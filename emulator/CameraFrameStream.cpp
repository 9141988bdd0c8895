// Frame production and the bulk endpoints: header requests, the sensor's
// frame period, triggers, the header and payload on endpoint 0x81, and the
// camera-memory commands on endpoint 0x01.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "emulator/DriverProtocol.h"
#include "emulator/EmulatedCamera.h"
#include "emulator/FpgaRegisters.h"
#include "emulator/GenerationMeter.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator {
namespace {

constexpr std::uint32_t kMemoryCommandSize = 32;

}  // namespace

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
    switch (pace_) {
        case Pace::Max:
            requestReadyUs_ = nowUs;
            break;
        case Pace::Link:
            requestReadyUs_ = std::max(nowUs, linkFreeUs_);
            break;
        case Pace::Sensor:
            requestReadyUs_ = NextFrameBoundary(nowUs);
            break;
    }
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
        pace_ == Pace::Sensor ? static_cast<std::uint64_t>(TriggeredExposureUs()) : 0;
    if (count == 0) return true;
    triggerCount_ += count;
    triggeredFrame_ = true;
    triggeredReadyUs_ = pace_ == Pace::Link ? std::max(atUs, linkFreeUs_) : atUs + delay;
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
    // Frames dropped inside the camera use up their numbers all the same.
    nextFrameNumber_ += faults_.droppedFrames;
    faults_.droppedFrames = 0;
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
    // The link is busy with this frame until its last byte could be across.
    linkFreeUs_ =
        capturedUs + static_cast<std::uint64_t>(std::ceil(
                         static_cast<double>(kFrameHeaderSize + size) * 1e6 / linkBytesPerSecond_));

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
        MeteredGeneratePayload(frame_, payloadOffset_, buffer, n);
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
