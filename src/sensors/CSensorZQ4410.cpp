// Construction, register access and initialisation of the ZQ4410 driver.

#include "sensors/CSensorZQ4410.h"

#include "catalogue/CameraCatalogue.h"
#include "platform/Time.h"
#include "sensors/ZQ4410Registers.h"
#include "transport/CControllerBase.h"

namespace nodrix {

namespace {

constexpr std::uint32_t kBusTimeoutMs = 3000;
// Settling time before every register write.
constexpr std::uint32_t kWriteSettleMs = 1;
constexpr int kBusAttempts = 100;
constexpr std::uint32_t kBusRetryWaitMs = 3;

constexpr std::uint32_t kPowerUpWaitMs = 7000;
constexpr int kResetAttempts = 5;
constexpr std::uint32_t kResetWaitMs = 5000;

}  // namespace

CSensorZQ4410::CSensorZQ4410(CControllerBase* controller_, std::uint8_t busAddress_)
    : CSensorBase(controller_, busAddress_) {
    FillDescription();
}

CSensorZQ4410::~CSensorZQ4410() = default;

void CSensorZQ4410::FillDescription() {
    SensorDescription& d = description;
    constexpr catalogue::SensorGeometry kSize = catalogue::kZQ4410Geometry;
    d.maxWidth = kSize.width;
    d.maxHeight = kSize.height;
    d.defaultX = 0;
    d.defaultY = 0;
    d.defaultWidth = kSize.width;
    d.defaultHeight = kSize.height;
    d.horizontalWindowing = 0;
    d.verticalWindowing = 1;
    d.windowX = 0;
    d.windowY = 0;
    d.windowWidth = kSize.width;
    d.windowHeight = kSize.height;
    d.lineLength = 1344;
    d.frameLines = 1054;
    d.windowMode = 0;
    d.defaultWindowMode = 0;

    d.gainMin = 2;
    d.gainMax = 62;
    d.gainCurrent = 2;
    d.gainDefault = 2;
    d.gainSupported = 1;

    d.exposureLinesMin = 1;
    d.exposureLinesMax = 1080;
    d.exposureLinesCurrent = 1080;
    d.exposureLinesDefault = 1080;
    d.exposureLinesSupported = 1;

    d.exposureTenthsMin = 1;
    d.exposureTenthsMax = 20000;
    d.exposureTenthsCurrent = 401;
    d.exposureTenthsDefault = 401;

    d.blackLevelMin = 0;
    d.blackLevelMax = 0x3FFF;
    d.blackLevelCurrent = 8983;
    d.blackLevelDefault = 8983;
    d.blackLevelSupported = 1;

    d.exposureSecondsMin = 0.000037125;
    d.exposureSecondsMax = 2.0;
    d.exposureSecondsCurrent = 0.040132165;
    d.exposureSecondsDefault = 0.040132165;
    d.exposureSecondsSupported = 1;
    d.shortExposureMode = 0;

    d.mirrorVCurrent = 0;
    d.mirrorVDefault = 0;
    d.mirrorVSupported = 1;
    d.mirrorHCurrent = 0;
    d.mirrorHDefault = 0;
    d.mirrorHSupported = 1;

    d.bitsPerPixel = 8;
    d.pixelClockKHz = 37037;
    d.orientationCode = 3;
    modelCode = kModelCode;
}

// --- Register access -------------------------------------------------------

int CSensorZQ4410::WriteRegister(int address, int value) {
    platform::LockGuard guard(lock);
    platform::SleepMs(kWriteSettleMs);
    if (controller == nullptr) return 0;
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>((address >> 8) & 0xFF),
                                   static_cast<std::uint8_t>(address & 0xFF),
                                   static_cast<std::uint8_t>(value & 0xFF)};
    return controller->I2cWrite(busAddress, bytes, 3, kBusTimeoutMs) ? 1 : 0;
}

int CSensorZQ4410::ReadRegister(int address, int* value) {
    if (controller == nullptr || value == nullptr) return 0;
    platform::LockGuard guard(lock);
    const std::uint8_t addressBytes[2] = {static_cast<std::uint8_t>((address >> 8) & 0xFF),
                                          static_cast<std::uint8_t>(address & 0xFF)};
    if (!controller->I2cWrite(busAddress, addressBytes, 2, kBusTimeoutMs)) return 0;
    std::uint8_t byte = 0;
    if (!controller->I2cRead(busAddress, &byte, 1, kBusTimeoutMs)) return 0;
    *value = byte;
    return 1;
}

bool CSensorZQ4410::BusIdle() {
    std::uint8_t busy = 0xFF;
    return controller->ReadFpgaRegister(zq4410::fpga::kBusBusy, &busy) && busy == 0;
}

int CSensorZQ4410::ReadRegisterWaited(int address, int* value) {
    if (controller == nullptr || value == nullptr) return 0;
    for (int attempt = 0; attempt < kBusAttempts; ++attempt) {
        int byte = 0;
        if (BusIdle() && ReadRegister(address, &byte)) {
            *value = byte;
            return 1;
        }
        platform::SleepMs(kBusRetryWaitMs);
    }
    return 0;
}

int CSensorZQ4410::WriteRegisterVerified(int address, int value) {
    if (controller == nullptr) return 0;
    for (int attempt = 0; attempt < kBusAttempts; ++attempt) {
        int readBack = -1;
        if (BusIdle() && WriteRegister(address, value) && ReadRegisterWaited(address, &readBack) &&
            readBack == value) {
            return 1;
        }
        platform::SleepMs(kBusRetryWaitMs);
    }
    return 0;
}

// --- Initialisation --------------------------------------------------------

int CSensorZQ4410::WaitReady() {
    // Without a camera nothing can become ready; waiting half a minute for
    // it would only stall the caller.
    if (controller == nullptr) return 0;

    std::uint8_t level = 0;
    if (controller->ReadFpgaRegister(zq4410::fpga::kFirmwareLevel, &level) &&
        level >= zq4410::kFirmwareLevelAlwaysReady) {
        return 1;
    }
    auto sensorReady = [this] {
        std::uint8_t state = 0;
        return controller->ReadFpgaRegister(zq4410::fpga::kSensorState, &state) &&
               state == zq4410::kSensorStateReady;
    };
    if (sensorReady()) return 1;

    platform::SleepMs(kPowerUpWaitMs);
    for (int attempt = 0; attempt < kResetAttempts; ++attempt) {
        if (sensorReady()) return 1;
        RequestReset();
        platform::SleepMs(kResetWaitMs);
    }
    return 0;
}

int CSensorZQ4410::RequestReset() {
    if (controller == nullptr) return 0;
    std::uint8_t control = 0;
    // Without the current value the other bits of the register would be
    // overwritten, so a failed read requests nothing.
    if (!controller->ReadFpgaRegister(zq4410::fpga::kResetControl, &control)) return 0;
    const auto request = static_cast<std::uint8_t>(control | zq4410::kResetRequestBit);
    return controller->WriteFpgaRegister(zq4410::fpga::kResetControl, request) ? 1 : 0;
}

int CSensorZQ4410::ApplyDefaults() {
    SensorDescription& d = description;
    SetBlackLevel(d.blackLevelDefault);
    SetGain(d.gainDefault);
    SetMirrorH(d.mirrorHDefault);
    SetMirrorV(d.mirrorVDefault);
    SetWindow(d.defaultX, d.defaultWidth, d.defaultY, d.defaultHeight, 0);

    d.shortExposureMode = 0;
    d.shortExposureSeconds = 120.0 / d.pixelClockKHz / 1000.0;

    // The sensor's own frame and line lengths are the starting point; the
    // FPGA gets copies of both.
    frameLengthWritten = ReadSensorFrameLength();
    d.lineLength = ReadSensorLineLength();
    CopyFrameLengthToFpga(frameLengthWritten);
    if (controller != nullptr) {
        controller->WriteFpgaRegister(zq4410::fpga::kLineLengthLow,
                                      static_cast<std::uint8_t>(d.lineLength & 0xFF));
        controller->WriteFpgaRegister(zq4410::fpga::kLineLengthHigh,
                                      static_cast<std::uint8_t>((d.lineLength >> 8) & 0xFF));
    }
    SetExposureLines(d.exposureLinesDefault);
    return 1;
}

}  // namespace nodrix
