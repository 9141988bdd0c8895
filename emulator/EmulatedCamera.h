#pragma once
// One emulated camera behind the driver: the controller firmware's vendor
// requests, the register bus with the FPGA, the auxiliary device, the EEPROM
// and the sensor, and the bulk endpoint that carries frame headers and
// payloads. Not thread-safe: the driver calls it under its lock.

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "emulator/CameraMemory.h"
#include "emulator/Eeprom.h"
#include "emulator/EmulatorConfig.h"
#include "emulator/SensorModel.h"
#include "emulator/TestPattern.h"

namespace nodrix::emulator {

inline constexpr std::uint64_t kNever = ~std::uint64_t{0};

enum class ReadOutcome { Pending, Done, Failed };

class EmulatedCamera {
public:
    EmulatedCamera(const CameraSettings& settings, const EmulatorConfig& config,
                   std::string devicePath, std::uint64_t nowUs);

    const std::string& DevicePath() const { return path_; }
    std::uint16_t ProductId() const { return productId_; }

    // Plugging: a removed camera answers nothing; plugging it in again powers
    // it up afresh (FPGA and sensor state, frame numbers), keeping the EEPROM.
    bool Present() const { return present_; }
    std::uint32_t Generation() const { return generation_; }
    void Unplug();
    void Replug(std::uint64_t nowUs);

    // A vendor request on endpoint 0. data holds the 64 data bytes (out
    // direction: what the host sent; in direction: the answer). Sets answered
    // to the number of data bytes moved; false is a stall.
    bool VendorRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                       std::uint16_t index, std::array<std::uint8_t, 64>& data,
                       std::uint32_t& answered, std::uint64_t nowUs);

    // A bulk transfer on an endpoint: Pending while there is nothing to read.
    ReadOutcome BulkTransfer(std::uint8_t endpoint, std::uint8_t* buffer, std::uint32_t capacity,
                             std::uint32_t& moved, std::uint64_t nowUs);
    // Drops what waits on the bulk endpoint (pipe reset, stream-reset pulse).
    void DropEndpointData();
    // Forgets the header request and the endpoint data (stream stop, port reset).
    void StopStream();

    // Brings time-driven state up to nowUs: automatic triggers, headers.
    void Advance(std::uint64_t nowUs);
    // The earliest time after nowUs at which a bulk read could make progress.
    std::uint64_t NextEventUs(std::uint64_t nowUs) const;

    // Control for tests and tools.
    bool Trigger(std::uint32_t count, std::uint64_t nowUs);
    std::uint8_t ReadFpga(std::uint8_t address) const;
    void WriteFpga(std::uint8_t address, std::uint8_t value);  // with the FPGA's side effects
    void SetFpgaRaw(std::uint8_t address, std::uint8_t value) { fpga_[address] = value; }
    SensorModel& Sensor() { return sensor_; }
    Eeprom& Rom() { return eeprom_; }
    CameraMemory& Memory() { return memory_; }
    std::uint8_t AuxRegister(std::uint8_t a) const { return aux_[a]; }
    void SetAuxRegister(std::uint8_t a, std::uint8_t v) { aux_[a] = v; }
    FaultConfig& Faults() { return faults_; }
    void SetPattern(Pattern p) { pattern_ = p; }
    void SetPace(Pace p) { pace_ = p; }
    void SetTriggerIntervalMs(std::uint32_t ms) { triggerIntervalMs_ = ms; }
    void SetNextFrameNumber(std::uint32_t n) { nextFrameNumber_ = n; }
    std::uint32_t NextFrameNumber() const { return nextFrameNumber_; }
    std::uint64_t FramesSent() const { return framesSent_; }
    bool Triggered() const;
    bool FreeRunning() const;

private:
    enum class Endpoint { Empty, Header, Payload };

    void PowerUp(std::uint64_t nowUs);
    bool BusWrite(std::uint8_t address, const std::uint8_t* data, std::uint32_t count,
                  std::uint64_t nowUs);
    bool BusRead(std::uint8_t address, std::uint8_t* data, std::uint32_t count,
                 std::uint64_t nowUs);
    bool NakThisTransfer(std::uint8_t address);
    void RequestHeader(std::uint64_t nowUs);
    std::uint64_t NextFrameBoundary(std::uint64_t nowUs);
    // capturedUs: when the sensor finished the frame (the header's time stamp).
    void QueueHeader(std::uint64_t capturedUs);
    double TriggeredExposureUs() const;
    void FillInfoBlock(std::uint8_t request, std::array<std::uint8_t, 64>& data) const;
    ReadOutcome WriteBulkOut(const std::uint8_t* buffer, std::uint32_t capacity,
                             std::uint32_t& moved);
    ReadOutcome ReadBulkIn(std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t& moved,
                           std::uint64_t nowUs);

    // Identity and configuration.
    std::string path_;
    std::uint16_t productId_;
    std::string serial_;
    std::uint16_t firmwareVersion_;
    std::uint16_t fpgaVersion_;
    std::uint32_t fpgaReadyDelayMs_;
    std::uint32_t frameNumberStart_;
    Pattern pattern_;
    Pace pace_;
    double linkBytesPerSecond_;
    std::uint32_t triggerIntervalMs_;
    FaultConfig faults_;

    // Power state.
    bool present_ = true;
    std::uint32_t generation_ = 1;
    std::uint64_t poweredAtUs_ = 0;

    // Register devices.
    std::array<std::uint8_t, 256> fpga_{};
    std::array<std::uint8_t, 256> aux_{};
    SensorModel sensor_;
    Eeprom eeprom_;
    std::uint8_t fpgaPointer_ = 0;
    std::uint8_t auxPointer_ = 0;
    std::uint16_t sensorPointer_ = 0;

    // Firmware scratch state of the requests whose meaning is the firmware's.
    std::uint8_t controlByte_ = 0;
    std::map<std::uint16_t, std::uint16_t> words3E_;
    std::map<std::uint16_t, std::uint32_t> wordsD0_;

    // Frame production.
    bool headerRequested_ = false;
    std::uint64_t requestReadyUs_ = 0;
    double nextBoundaryUs_ = 0;
    // At the link's pace, the earliest time the next frame can be captured.
    std::uint64_t linkFreeUs_ = 0;
    // The frame of the latest trigger, until it is sent: the FPGA keeps one
    // triggered frame, a newer trigger replaces it.
    bool triggeredFrame_ = false;
    std::uint64_t triggeredReadyUs_ = 0;
    std::uint32_t triggerCount_ = 0;  // FPGA register 8
    bool autoTriggerActive_ = false;
    std::uint64_t nextAutoTriggerUs_ = 0;
    std::uint32_t nextFrameNumber_ = 0;
    std::uint64_t framesSent_ = 0;

    // The bulk endpoint.
    Endpoint endpoint_ = Endpoint::Empty;
    std::array<std::uint8_t, 64> header_{};
    std::uint32_t headerOffset_ = 0;
    FrameSnapshot frame_;
    std::uint64_t payloadOffset_ = 0;
    std::uint64_t holdUntilUs_ = 0;

    // Camera memory: what an "AU3R" command queued for the bulk IN endpoint
    // (ahead of frames), and what an "AU3W" command still expects on the
    // bulk OUT endpoint.
    CameraMemory memory_;
    std::uint64_t memoryReadAddress_ = 0;
    std::uint64_t memoryReadLeft_ = 0;
    std::uint64_t memoryWriteAddress_ = 0;
    std::uint64_t memoryWriteLeft_ = 0;
};

}  // namespace nodrix::emulator
