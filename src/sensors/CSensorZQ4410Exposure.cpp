// Readout window, frame length, exposure and triggered operation of the
// ZQ4410 driver.
//
// The sensor exposes a row for (frame length - shutter - 1) lines, so the
// frame length and the shutter must change in an order that never leaves a
// frame shorter than its exposure: the frame grows before the shutter moves
// and shrinks only after it has moved.

#include "platform/Time.h"
#include "sensors/CSensorZQ4410.h"
#include "sensors/ZQ4410Registers.h"
#include "transport/CControllerBase.h"

namespace nodrix {

namespace {

// Rows a full-height frame reads beyond the window, and the blanking lines a
// frame period adds to the rows it reads.
constexpr int kFullFrameExtraRows = 30;
constexpr int kFrameBlankingLines = 28;
constexpr int kMinWindowHeight = 8;
constexpr std::uint32_t kRearmWaitMs = 10;
constexpr std::uint32_t kTriggerTimingWaitMs = 100;

template <typename T>
void Store(T* out, T value) {
    if (out != nullptr) *out = value;
}

std::uint8_t Byte(std::uint64_t value, int shift) {
    return static_cast<std::uint8_t>((value >> shift) & 0xFF);
}

}  // namespace

// --- Frame and line length -------------------------------------------------

int CSensorZQ4410::WriteFrameLength(std::uint32_t lines) {
    if (lines < frameLengthMin) lines = frameLengthMin;
    if (lines > frameLengthMax) lines = frameLengthMax;
    int ok = 1;
    for (int i = 0; i < 4; ++i) {
        if (!WriteRegisterVerified(zq4410::reg::kFrameLength0 + i, Byte(lines, 8 * i))) ok = 0;
    }
    if (ok) frameLengthWritten = lines;
    return ok;
}

void CSensorZQ4410::CopyFrameLengthToFpga(std::uint32_t lines) {
    if (controller == nullptr) return;
    for (int i = 0; i < 4; ++i) {
        std::uint8_t byte = Byte(lines, 8 * i);
        if (i == 3) byte &= 0x0F;
        controller->WriteFpgaRegister(static_cast<std::uint8_t>(zq4410::fpga::kFrameLength0 + i),
                                      byte);
    }
}

std::uint32_t CSensorZQ4410::ReadSensorFrameLength() {
    std::uint32_t lines = 0;
    for (int i = 0; i < 4; ++i) {
        int byte = 0;
        if (!ReadRegister(zq4410::reg::kFrameLength0 + i, &byte)) return 0;
        if (i == 3) byte &= 0x0F;
        lines |= static_cast<std::uint32_t>(byte) << (8 * i);
    }
    return lines;
}

std::int32_t CSensorZQ4410::ReadSensorLineLength() {
    int low = 0;
    int high = 0;
    if (!ReadRegister(zq4410::reg::kLineLength0, &low) ||
        !ReadRegister(zq4410::reg::kLineLength0 + 1, &high)) {
        return 0;
    }
    return high << 8 | low;
}

std::uint32_t CSensorZQ4410::ReadFpgaFrameLength() {
    if (controller == nullptr) return 0;
    std::uint32_t lines = 0;
    for (int i = 0; i < 4; ++i) {
        std::uint8_t byte = 0;
        const auto address = static_cast<std::uint8_t>(zq4410::fpga::kFrameLength0 + i);
        if (!controller->ReadFpgaRegister(address, &byte)) return 0;
        if (i == 3) byte &= 0x0F;
        lines |= static_cast<std::uint32_t>(byte) << (8 * i);
    }
    return lines;
}

std::int32_t CSensorZQ4410::ReadFpgaLineLength() {
    if (controller == nullptr) return 0;
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    if (!controller->ReadFpgaRegister(zq4410::fpga::kLineLengthLow, &low) ||
        !controller->ReadFpgaRegister(zq4410::fpga::kLineLengthHigh, &high)) {
        return 0;
    }
    return high << 8 | low;
}

// --- Readout window --------------------------------------------------------

int CSensorZQ4410::SetWindow(int /*x*/, int /*width*/, int y, int height, int mode) {
    SensorDescription& d = description;
    if (height < kMinWindowHeight) return 0;
    // The start row is counted from the bottom of the array; a window that
    // leaves the array would wrap it into nonsense register values.
    if (y < 0 || height > d.maxHeight || y > d.maxHeight - height) return 0;

    if (height == d.maxHeight) {
        d.frameLines = height + kFullFrameExtraRows;
        frameLengthTarget =
            static_cast<std::uint32_t>(height + kFullFrameExtraRows + kFrameBlankingLines);
    } else {
        d.frameLines = height;
        frameLengthTarget = static_cast<std::uint32_t>(height + kFrameBlankingLines);
    }

    const int start = d.maxHeight - y - height;
    const int size = height + 2;
    const int r22 = start & 0xFF;
    const int r23 = (size & 0x1F) << 3 | ((start >> 8) & 0x07);
    const int r24 = (size >> 5) & 0x3F;
    auto writeWindow = [&] {
        WriteRegister(zq4410::reg::kWindowStartLow, r22);
        WriteRegister(zq4410::reg::kWindowStartHighSizeLow, r23);
        WriteRegister(zq4410::reg::kWindowSizeHigh, r24);
    };

    if (height < d.windowHeight) {
        // Shrinking: the exposure moves into the shorter frame first, and the
        // sensor is re-armed so that the smaller window takes effect.
        SetExposureLines(d.exposureLinesCurrent);
        writeWindow();
        WriteRegisterVerified(zq4410::reg::kOperatingState, 0);
        platform::SleepMs(kRearmWaitMs);
        WriteRegisterVerified(zq4410::reg::kOperatingState, zq4410::kOperatingFreeRunning);
    } else {
        writeWindow();
        SetExposureLines(d.exposureLinesCurrent);
    }

    d.windowX = 0;
    d.windowY = y;
    d.windowWidth = d.maxWidth;
    d.windowHeight = height;
    d.windowMode = mode;
    return 1;
}

int CSensorZQ4410::GetWindow(int* x, int* width, int* y, int* height, int* mode) {
    const SensorDescription& d = description;
    Store(x, static_cast<int>(d.windowX));
    Store(width, static_cast<int>(d.windowWidth));
    Store(y, static_cast<int>(d.windowY));
    Store(height, static_cast<int>(d.windowHeight));
    Store(mode, static_cast<int>(d.windowMode));
    return 1;
}

int CSensorZQ4410::SetSampleWidth(int flag) {
    SensorDescription& d = description;
    d.bitsPerPixel = flag ? 16 : 8;
    SetWindow(d.windowX, d.windowWidth, d.windowY, d.windowHeight, d.windowMode);
    return 1;
}

// --- Exposure --------------------------------------------------------------

int CSensorZQ4410::SetExposureLines(int requested) {
    SensorDescription& d = description;
    if (d.shortExposureMode) return 0;
    const bool triggered = operatingMode == 1;
    if (triggered) WriteFpgaRegisterVerified(zq4410::fpga::kTriggerTiming, 0);

    const auto lines = static_cast<std::uint32_t>(requested);
    int ok = 1;
    if (lines >= 1 && lines <= frameLengthTarget - 1) {
        if (frameLengthWritten < frameLengthTarget) {
            WriteFrameLength(frameLengthTarget);
            CopyFrameLengthToFpga(frameLengthTarget);
        }
        const std::uint32_t shutter = frameLengthTarget - lines - 1;
        for (int i = 0; i < 4; ++i) {
            int byte = Byte(shutter, 8 * i);
            if (i == 3) byte &= 0x07;
            if (!WriteRegisterVerified(zq4410::reg::kShutter0 + i, byte)) ok = 0;
        }
        if (frameLengthWritten != frameLengthTarget) {
            WriteFrameLength(frameLengthTarget);
            CopyFrameLengthToFpga(frameLengthTarget);
        }
    } else {
        // Longer than the frame (or 0): no shutter, and the frame is stretched
        // so that the whole frame period is exposed.
        for (int i = 0; i < 4; ++i) {
            const int written = WriteRegisterVerified(zq4410::reg::kShutter0 + i, 0);
            if (i < 2 && !written) ok = 0;
        }
        std::uint64_t stretched = static_cast<std::uint64_t>(lines) + 1;
        if (stretched < frameLengthMin) stretched = frameLengthMin;
        if (stretched > frameLengthMax) stretched = frameLengthMax;
        WriteFrameLength(static_cast<std::uint32_t>(stretched));
        CopyFrameLengthToFpga(static_cast<std::uint32_t>(stretched));
    }
    if (ok) d.exposureLinesCurrent = static_cast<std::int32_t>(lines);

    if (triggered) {
        ProgramTriggerTiming();
        WriteFpgaRegisterVerified(zq4410::fpga::kTriggerTiming, 1);
    }
    return ok;
}

int CSensorZQ4410::GetExposureLines(int* lines) {
    Store(lines, static_cast<int>(description.exposureLinesCurrent));
    return 1;
}

int CSensorZQ4410::GetExposureLinesMin(int* value) {
    Store(value, static_cast<int>(description.exposureLinesMin));
    return 1;
}

int CSensorZQ4410::GetExposureLinesMax(int* value) {
    Store(value, static_cast<int>(description.exposureLinesMax));
    return 1;
}

int CSensorZQ4410::GetExposureLinesDefault(int* value) {
    Store(value, static_cast<int>(description.exposureLinesDefault));
    return 1;
}

int CSensorZQ4410::SetExposureNanoseconds(std::uint64_t nanoseconds) {
    const SensorDescription& d = description;
    if (d.shortExposureMode) return 0;
    if (d.pixelClockKHz <= 0) return 0;
    // Whole nanoseconds per line, truncated (36288 ns with 1344 clocks at
    // 37.037 MHz).
    const std::int64_t lineTimeNs =
        static_cast<std::int64_t>(d.lineLength) * 1000000 / d.pixelClockKHz;
    if (lineTimeNs <= 0) return 0;
    double lines = static_cast<double>(nanoseconds) / static_cast<double>(lineTimeNs);
    if (lines < 1.0) lines = 1.0;
    return SetExposureLines(static_cast<int>(static_cast<std::uint32_t>(lines)));
}

int CSensorZQ4410::SetExposureTenths(int requested) {
    SensorDescription& d = description;
    auto tenths = static_cast<std::uint32_t>(requested);
    const auto minimum = static_cast<std::uint32_t>(d.exposureTenthsMin);
    const auto maximum = static_cast<std::uint32_t>(d.exposureTenthsMax);
    if (tenths < minimum) tenths = minimum;
    if (tenths > maximum) tenths = maximum;
    if (!SetExposureNanoseconds(static_cast<std::uint64_t>(tenths) * 100000)) return 0;
    d.exposureTenthsCurrent = static_cast<std::int32_t>(tenths);
    d.exposureSecondsCurrent = tenths / 10000.0;
    return 1;
}

int CSensorZQ4410::GetExposureTenths(int* value) {
    Store(value, static_cast<int>(description.exposureTenthsCurrent));
    return 1;
}

int CSensorZQ4410::GetExposureTenthsMin(int* value) {
    Store(value, static_cast<int>(description.exposureTenthsMin));
    return 1;
}

int CSensorZQ4410::GetExposureTenthsMax(int* value) {
    Store(value, static_cast<int>(description.exposureTenthsMax));
    return 1;
}

int CSensorZQ4410::GetExposureTenthsDefault(int* value) {
    Store(value, static_cast<int>(description.exposureTenthsDefault));
    return 1;
}

int CSensorZQ4410::SetExposureSeconds(double seconds) {
    SensorDescription& d = description;
    // NaN fails both comparisons of a plain clamp; it is taken as the minimum.
    if (!(seconds >= d.exposureSecondsMin)) seconds = d.exposureSecondsMin;
    if (seconds > d.exposureSecondsMax) seconds = d.exposureSecondsMax;
    const auto nanoseconds = static_cast<std::uint64_t>(seconds * 1e9);
    if (!SetExposureNanoseconds(nanoseconds)) return 0;
    d.exposureSecondsCurrent = seconds;
    // Truncated to whole tenths; the small allowance keeps 0.0401 s from
    // becoming 400 through its binary representation (400.99999...).
    d.exposureTenthsCurrent = static_cast<std::int32_t>(seconds * 10000 + 1e-6);
    return 1;
}

int CSensorZQ4410::GetExposureSeconds(double* seconds) {
    const SensorDescription& d = description;
    if (d.shortExposureMode) {
        Store(seconds, 120.0 / d.pixelClockKHz / 1000.0);
        return 1;
    }
    Store(seconds, d.exposureSecondsCurrent);
    return d.exposureSecondsSupported;
}

// --- Triggered operation ---------------------------------------------------

void CSensorZQ4410::ProgramTriggerTiming() {
    const auto lines = static_cast<std::uint32_t>(description.exposureLinesCurrent);
    const std::uint8_t exposureRegisters[4] = {
        zq4410::fpga::kTriggerExposure0, zq4410::fpga::kTriggerExposure1,
        zq4410::fpga::kTriggerExposure2, zq4410::fpga::kTriggerExposure3};
    for (int i = 0; i < 4; ++i) {
        int byte = Byte(lines, 8 * i);
        if (i == 3) byte &= 0x0F;
        WriteFpgaRegisterVerified(exposureRegisters[i], byte);
        platform::SleepMs(kTriggerTimingWaitMs);
    }
    if (controller != nullptr) {
        controller->WriteFpgaRegister(zq4410::fpga::kLineLengthLow, zq4410::kTriggerLineLengthLow);
        controller->WriteFpgaRegister(zq4410::fpga::kLineLengthHigh,
                                      zq4410::kTriggerLineLengthHigh);
    }
    CopyFrameLengthToFpga(frameLengthWritten);
}

int CSensorZQ4410::SetTriggerMode(int mode) {
    if (controller == nullptr) return 0;
    if (mode == 1) {
        frameLengthWritten = ReadFpgaFrameLength();
        description.lineLength = ReadFpgaLineLength();
        WriteRegister(zq4410::reg::kOperatingState, zq4410::kOperatingTriggered);
        ProgramTriggerTiming();
        WriteFpgaRegisterVerified(zq4410::fpga::kTriggerTiming, 1);
    } else {
        frameLengthWritten = ReadSensorFrameLength();
        description.lineLength = ReadSensorLineLength();
        WriteFpgaRegisterVerified(zq4410::fpga::kTriggerTiming, 0);
        WriteRegister(zq4410::reg::kOperatingState, zq4410::kOperatingFreeRunning);
    }
    operatingMode = mode;
    return 1;
}

int CSensorZQ4410::GetTriggerMode(int* mode) {
    Store(mode, static_cast<int>(operatingMode));
    return 1;
}

}  // namespace nodrix
