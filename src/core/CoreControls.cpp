// The camera controls the core implements itself: capture window, transfer
// bit depth, exposure with its frame time-out, trigger mode, clock rate,
// FPGA register and EEPROM access, and the text channel.

#include <cmath>
#include <limits>

#include "core/CNodrixU3T2Base.h"
#include "sensors/CSensorBase.h"
#include "transport/CNodrixCy3.h"

namespace nodrix {

namespace {

constexpr std::uint8_t kFpgaTransferWidth = 60;
constexpr int kEepromSettingsByte = 0x1080;
constexpr int kShortestFrameTimeoutMs = 5000;
// Exposures up to 5 s (in 0.1 ms) keep the shortest frame time-out.
constexpr int kExposureTenthsWithinDefaultTimeout = 50000;
constexpr int kProductTextChannel = 0x3180;
constexpr std::uint32_t kSpeedSuperSpeed = 4;

}  // namespace

int CNodrixU3T2Base::SetCaptureWindow(int x, int y, int width, int height, int mode) {
    if (!sensor_) {
        return 0;
    }
    SensorDescription& description = sensor_->Description();
    if (x == description.windowX && y == description.windowY && width == description.windowWidth &&
        height == description.windowHeight && mode == description.windowMode) {
        return 1;
    }
    if (!sensor_->SetWindow(x, width, y, height, mode)) {
        return 0;
    }
    sensor_->GetWindow(&x, &width, &y, &height, &mode);
    buffersNeedSetup_ = true;
    description.windowX = x;
    description.windowY = y;
    description.windowWidth = width;
    description.windowHeight = height;
    description.windowMode = mode;
    return 1;
}

int CNodrixU3T2Base::GetCaptureWindow(int* x, int* y, int* width, int* height, int* mode) {
    if (!sensor_) {
        return 0;
    }
    const SensorDescription& description = sensor_->Description();
    if (x) *x = description.windowX;
    if (y) *y = description.windowY;
    if (width) *width = description.windowWidth;
    if (height) *height = description.windowHeight;
    if (mode) *mode = description.windowMode;
    return 1;
}

int CNodrixU3T2Base::SetTransferBits(int mode) {
    if (mode == 1) {
        if (!WriteFpgaRegister(kFpgaTransferWidth, 2)) {
            return 0;
        }
        if (bitDepthMode_ != 1) {
            bitDepthMode_ = 1;
            return PrepareBuffers();
        }
        return 1;
    }
    if (!WriteFpgaRegister(kFpgaTransferWidth, 1)) {
        return 0;
    }
    if (mode == bitDepthMode_) {
        return 1;
    }
    bitDepthMode_ = mode;
    return PrepareBuffers();
}

int CNodrixU3T2Base::SetExposure(int tenths) {
    if (!sensor_) {
        return 0;
    }
    // The frame time-out allows twice the exposure once that exceeds 5 s.
    frameTimeoutMs_.store(tenths <= kExposureTenthsWithinDefaultTimeout ? kShortestFrameTimeoutMs
                                                                         : tenths / 5);
    return sensor_->SetExposureTenths(tenths);
}

int CNodrixU3T2Base::SetExposureSeconds(double seconds) {
    if (!sensor_) {
        return 0;
    }
    if (seconds > 2.0) {
        // One second beyond the exposure, kept within the range of the field.
        const double timeout = std::trunc((seconds + 1.0) * 1000.0);
        frameTimeoutMs_.store(timeout >= static_cast<double>(std::numeric_limits<int>::max())
                                  ? std::numeric_limits<int>::max()
                                  : static_cast<int>(timeout));
    }
    return sensor_->SetExposureSeconds(seconds);
}

int CNodrixU3T2Base::SetTriggerMode(int mode, int force) {
    if (!sensor_) {
        return 0;
    }
    if (!force && mode == triggerMode_) {
        return 1;
    }
    StopTransfer();
    EnsureFrameEvent();
    sensor_->SetTriggerMode(mode);
    if (mode == 1) {
        // The next triggered frame is the one that moves the frame counter.
        ReadTriggerState();
    }
    triggerMode_ = mode;
    return 1;
}

int CNodrixU3T2Base::SetClockRate(int index) {
    if (!sensor_) {
        return 0;
    }
    if (index == 2) {
        // The fastest clock needs a SuperSpeed link.
        std::uint32_t speed = 0;
        if (transport_ && transport_->GetSpeed(&speed)) {
            index = speed == kSpeedSuperSpeed ? 2 : 0;
        }
    }
    return sensor_->SetClockRate(index);
}

int CNodrixU3T2Base::WriteFpgaRegister(int address, int value) {
    if (!transport_ || UsesStreamEndpoint()) {
        return 0;
    }
    return transport_->WriteFpgaRegister(static_cast<std::uint8_t>(address),
                                         static_cast<std::uint8_t>(value))
               ? 1
               : 0;
}

int CNodrixU3T2Base::ReadFpgaRegister(int address, int* ok) {
    std::uint8_t value = 0;
    const bool read = transport_ && !UsesStreamEndpoint() &&
                      transport_->ReadFpgaRegister(static_cast<std::uint8_t>(address), &value);
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0;
}

int CNodrixU3T2Base::WriteConfigByte(int address, int value) {
    if (!transport_) {
        return 0;
    }
    return transport_->WriteEepromByte(static_cast<std::uint16_t>(address),
                                       static_cast<std::uint8_t>(value))
               ? 1
               : 0;
}

int CNodrixU3T2Base::ReadConfigByte(int address, std::uint8_t* value) {
    if (!transport_ || value == nullptr) {
        return 0;
    }
    return transport_->ReadEepromByte(static_cast<std::uint16_t>(address), value) ? 1 : 0;
}

int CNodrixU3T2Base::WriteSettingsByte(int value) {
    return WriteConfigByte(kEepromSettingsByte, value);
}

int CNodrixU3T2Base::ReadSettingsByte(std::uint8_t* value) {
    return ReadConfigByte(kEepromSettingsByte, value);
}

int CNodrixU3T2Base::ReceiveText(char* buffer, int length) {
    if (!sensor_ || productId_ != kProductTextChannel || buffer == nullptr || length <= 0) {
        return 0;
    }
    char text[256] = {};
    const int received = sensor_->ReceiveText(text, static_cast<int>(sizeof text));
    const int count = received < length ? received : length;
    for (int i = 0; i < count; ++i) {
        buffer[i] = text[i];
    }
    return received;
}

int CNodrixU3T2Base::SendText(const char* text, int length) {
    if (!sensor_ || productId_ != kProductTextChannel || text == nullptr) {
        return 0;
    }
    return sensor_->SendText(text, length);
}

}  // namespace nodrix
