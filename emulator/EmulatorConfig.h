#pragma once
// What an emulated driver starts with: its cameras, how they produce frames
// and which faults they carry from the start. Parsed from the text of
// NODRIX_EMULATION or filled in by a test.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::emulator {

enum class Pattern { Ramp, Scene };
// Sensor: at the sensor's frame period. Max: as soon as a frame is asked
// for. Link: no faster than the bus carries a frame's header and payload.
enum class Pace { Sensor, Max, Link };

inline constexpr std::uint16_t kDefaultVendorId = 0x2E5A;
inline constexpr std::uint16_t kProductT520 = 0x33B0;

// Faults a camera shows until they are used up. Counts give how many of the
// next reads or transfers are affected; 0 is none.
struct FaultConfig {
    std::uint32_t failHeaderReads = 0;
    std::uint32_t failPayloadReads = 0;
    std::uint32_t truncateHeaderReads = 0;
    std::uint32_t truncatePayloadReads = 0;
    std::uint32_t delayHeaderReads = 0;
    std::uint32_t delayPayloadReads = 0;
    std::uint32_t delayMs = 5000;
    // The next N frames are exposed but never sent (as when the camera's
    // frame memory overflows): the frame after them carries a number N
    // higher than the one before.
    std::uint32_t droppedFrames = 0;
    std::uint32_t nakBusTransfers = 0;
    std::uint8_t nakBusAddress = 0;  // 0: any bus device
    bool fpgaNeverReady = false;
    bool sensorNeverReady = false;
    bool busBusy = false;
};

struct CameraSettings {
    std::uint16_t productId = kProductT520;
    std::string serial;  // written into the EEPROM
};

struct EmulatorConfig {
    std::vector<CameraSettings> cameras;
    std::uint16_t vendorId = kDefaultVendorId;
    Pattern pattern = Pattern::Ramp;
    Pace pace = Pace::Sensor;
    std::uint32_t triggerIntervalMs = 0;
    std::uint16_t firmwareVersion = 0x1101;
    std::uint16_t fpgaVersion = 0x0205;
    std::uint32_t fpgaReadyDelayMs = 0;
    std::uint32_t frameNumberStart = 0xFFFFFF00u;
    std::uint32_t unplugAfterMs = 0;  // 0: never
    std::uint32_t replugAfterMs = 0;  // after an unplug by unplugAfterMs; 0: never
    std::uint32_t busSpeed = 4;       // SuperSpeed
    std::uint32_t eepromWriteMs = 5;  // write cycle during which the EEPROM NAKs
    FaultConfig faults;
};

// Bytes per second that bulk transfers carry in practice at a bus speed
// code (4: SuperSpeed, 3: high, 2: full, 1: low speed).
double LinkBytesPerSecond(std::uint32_t busSpeed);

// The serial number of camera k when none is given: base followed by k as
// two digits.
std::string SerialForCamera(const std::string& base, std::size_t k);

// Parses NODRIX_EMULATION: a bare number N (N cameras of this model) or
// key=value pairs separated by ';'. Unknown keys and malformed values are
// reported in error (when given) and otherwise ignored. Returns false when the
// text asks for no emulation (empty, or "0").
bool ParseEmulatorConfig(const std::string& text, EmulatorConfig& config, std::string* error);

}  // namespace nodrix::emulator
