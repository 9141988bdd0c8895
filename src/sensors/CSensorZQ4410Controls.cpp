// Gain, black level, flips, short-exposure and gain modes and temperature of
// the ZQ4410 driver.

#include "sensors/CSensorZQ4410.h"
#include "sensors/ZQ4410Registers.h"
#include "transport/CControllerBase.h"

namespace nodrix {

namespace {

template <typename T>
void Store(T* out, T value) {
    if (out != nullptr) *out = value;
}

// The temperature reading is linear in degrees Celsius.
constexpr double kTemperatureScale = 0.3213;
constexpr double kTemperatureOffset = -287.09;

constexpr int kShortExposureOn[3] = {100, 32, 31};
constexpr int kShortExposureOff[3] = {255, 255, 255};

}  // namespace

// --- Gain ------------------------------------------------------------------

int CSensorZQ4410::SetGain(int code) {
    SensorDescription& d = description;
    const auto requested = static_cast<std::uint32_t>(code);
    if (requested < static_cast<std::uint32_t>(d.gainMin) ||
        requested > static_cast<std::uint32_t>(d.gainMax)) {
        return 0;
    }
    if (!WriteRegisterVerified(zq4410::reg::kAnalogGain, code)) return 0;
    d.gainCurrent = code;
    return 1;
}

int CSensorZQ4410::GetGain(int* code) {
    Store(code, static_cast<int>(description.gainCurrent));
    return 1;
}

int CSensorZQ4410::GetGainMin(int* value) {
    Store(value, static_cast<int>(description.gainMin));
    return 1;
}

int CSensorZQ4410::GetGainMax(int* value) {
    Store(value, static_cast<int>(description.gainMax));
    return 1;
}

int CSensorZQ4410::GetGainDefault(int* value) {
    Store(value, static_cast<int>(description.gainDefault));
    return 1;
}

// --- Black level -----------------------------------------------------------

void CSensorZQ4410::SetHold(bool on) {
    int control = 0;
    if (!ReadRegisterWaited(zq4410::reg::kReadControl2, &control)) return;
    const int updated = on ? control | zq4410::kHoldBit : control & ~zq4410::kHoldBit;
    WriteRegisterVerified(zq4410::reg::kReadControl2, updated);
}

int CSensorZQ4410::ReadBlackLevelRegisters(int* r367, int* r368, int* r369) {
    const int ok367 = ReadRegister(zq4410::reg::kBlackLevel0, r367);
    const int ok368 = ReadRegister(zq4410::reg::kBlackLevel0 + 1, r368);
    const int ok369 = ReadRegister(zq4410::reg::kBlackLevel0 + 2, r369);
    return ok367 && ok368 && ok369;
}

int CSensorZQ4410::SetBlackLevel(int value) {
    SensorDescription& d = description;
    const auto requested = static_cast<std::uint32_t>(value);
    if (requested < static_cast<std::uint32_t>(d.blackLevelMin) ||
        requested > static_cast<std::uint32_t>(d.blackLevelMax)) {
        return 0;
    }
    // The 14 bits span three registers; hold keeps the sensor from using a
    // half-updated value.
    SetHold(true);
    int r367 = 0;
    int r368 = 0;
    int r369 = 0;
    int ok = ReadBlackLevelRegisters(&r367, &r368, &r369);
    if (ok) {
        const int w367 = (r367 & 0x1F) | (value & 0x07) << 5;
        const int w368 = (value >> 3) & 0xFF;
        const int w369 = (r369 & 0xF8) | ((value >> 11) & 0x07);
        const int ok367 = WriteRegisterVerified(zq4410::reg::kBlackLevel0, w367);
        const int ok368 = WriteRegisterVerified(zq4410::reg::kBlackLevel0 + 1, w368);
        const int ok369 = WriteRegisterVerified(zq4410::reg::kBlackLevel0 + 2, w369);
        ok = ok367 && ok368 && ok369;
    }
    SetHold(false);
    if (!ok) return 0;
    d.blackLevelCurrent = value;
    return 1;
}

int CSensorZQ4410::GetBlackLevel(int* value) {
    SetHold(true);
    int r367 = 0;
    int r368 = 0;
    int r369 = 0;
    const int ok = ReadBlackLevelRegisters(&r367, &r368, &r369);
    SetHold(false);
    if (!ok) return 0;
    const int level = (r369 & 0x07) << 11 | r368 << 3 | ((r367 >> 5) & 0x07);
    description.blackLevelCurrent = level;
    Store(value, level);
    return 1;
}

// --- Flips -----------------------------------------------------------------

int CSensorZQ4410::SetMirrorV(int flag) {
    int control = 0;
    if (!ReadRegisterWaited(zq4410::reg::kReadControl1, &control)) return 0;
    const int updated =
        flag ? control | zq4410::kVerticalFlipBit : control & ~zq4410::kVerticalFlipBit;
    // The flag is recorded even when the write is not confirmed: the next
    // write of register 1 carries it again.
    WriteRegisterVerified(zq4410::reg::kReadControl1, updated);
    description.mirrorVCurrent = flag ? 1 : 0;
    return 1;
}

int CSensorZQ4410::SetMirrorH(int flag) {
    int control = 0;
    if (!ReadRegisterWaited(zq4410::reg::kReadControl2, &control)) return 0;
    const int updated =
        flag ? control | zq4410::kHorizontalFlipBit : control & ~zq4410::kHorizontalFlipBit;
    WriteRegisterVerified(zq4410::reg::kReadControl2, updated);
    description.mirrorHCurrent = flag ? 1 : 0;
    // Register 1 is written again after register 2, so that the vertical
    // flip stays as recorded.
    SetMirrorV(description.mirrorVCurrent);
    if (controller != nullptr) {
        controller->WriteFpgaRegister(zq4410::fpga::kHorizontalFlipOff, flag ? 0 : 1);
    }
    return 1;
}

int CSensorZQ4410::GetMirrorV(int* flag) {
    Store(flag, static_cast<int>(description.mirrorVCurrent));
    return 1;
}

int CSensorZQ4410::GetMirrorH(int* flag) {
    Store(flag, static_cast<int>(description.mirrorHCurrent));
    return 1;
}

// --- Short-exposure mode ---------------------------------------------------

int CSensorZQ4410::SetShortExposure(int flag) {
    const int* pattern = flag ? kShortExposureOn : kShortExposureOff;
    int ok = 1;
    for (int i = 0; i < 3; ++i) {
        if (!WriteRegisterVerified(zq4410::reg::kShortExposure0 + i, pattern[i])) ok = 0;
    }
    if (!ok) return 0;
    description.shortExposureMode = flag ? 1 : 0;
    if (flag) {
        WriteFrameLength(frameLengthWritten);
    } else {
        SetExposureLines(description.exposureLinesCurrent);
    }
    return 1;
}

int CSensorZQ4410::GetShortExposure(int* flag) {
    if (flag == nullptr) return 0;
    int bytes[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!ReadRegisterWaited(zq4410::reg::kShortExposure0 + i, &bytes[i])) return 0;
    }
    const auto pattern = static_cast<std::uint32_t>(bytes[2] << 16 | bytes[1] << 8 | bytes[0]);
    // Any other pattern is neither mode: the caller's value and the driver's
    // belief stay as they were.
    if (pattern == zq4410::kShortExposureOffPattern) {
        *flag = 0;
    } else if (pattern == zq4410::kShortExposureOnPattern) {
        *flag = 1;
    } else {
        return 1;
    }
    description.shortExposureMode = *flag;
    return 1;
}

// --- Gain mode -------------------------------------------------------------

int CSensorZQ4410::SetGainMode(int flag) {
    // Low gain swaps the two registers' patterns.
    const int value78 = flag ? zq4410::kGainModeHigh82 : zq4410::kGainModeHigh78;
    const int value82 = flag ? zq4410::kGainModeHigh78 : zq4410::kGainModeHigh82;
    const int ok78 = WriteRegisterVerified(zq4410::reg::kGainModeA, value78);
    const int ok82 = WriteRegisterVerified(zq4410::reg::kGainModeB, value82);
    return ok78 && ok82 ? 1 : 0;
}

int CSensorZQ4410::GetGainMode() {
    int r78 = 0;
    int r82 = 0;
    if (!ReadRegisterWaited(zq4410::reg::kGainModeA, &r78) ||
        !ReadRegisterWaited(zq4410::reg::kGainModeB, &r82)) {
        return -1;
    }
    const int pattern = r82 << 8 | r78;
    if (pattern == (zq4410::kGainModeHigh82 << 8 | zq4410::kGainModeHigh78)) return 0;
    if (pattern == (zq4410::kGainModeHigh78 << 8 | zq4410::kGainModeHigh82)) return 1;
    return -1;
}

// --- Temperature -----------------------------------------------------------

int CSensorZQ4410::GetTemperature(double* degrees) {
    int low = 0;
    int high = 0;
    if (!ReadRegisterWaited(zq4410::reg::kTemperatureLow, &low) ||
        !ReadRegisterWaited(zq4410::reg::kTemperatureHigh, &high) || degrees == nullptr) {
        return 0;
    }
    *degrees = (high * 256 + low) * kTemperatureScale + kTemperatureOffset;
    return 1;
}

}  // namespace nodrix
