// The generic parameter access by filter code, the colour mode and the
// capture window set directly.
#include "connection/CNodrix.h"
#include "connection/CaptureWindowCheck.h"

namespace nodrix {

namespace {

bool IsSettableCode(int code) {
    return (code >= 1 && code <= 28) || (code >= 100 && code <= 106 && code != 101);
}

bool IsReadableCode(int code) {
    return (code >= 1 && code <= 27) || (code >= 100 && code <= 106);
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

// A software parameter of the image block with its accepted range.
struct ImageField {
    int code;
    std::int32_t ImageParameters::*field;
    int low;
    int high;
};

constexpr ImageField kImageFields[] = {
    {NODRIX_FILTER_BRIGHTNESS, &ImageParameters::brightness, -255, 255},
    {NODRIX_FILTER_CONTRAST, &ImageParameters::contrast, -127, 127},
    {NODRIX_FILTER_HUE, &ImageParameters::hue, -360, 360},
    {NODRIX_FILTER_SATURATION, &ImageParameters::saturation, -255, 255},
    {NODRIX_FILTER_SHARPNESS, &ImageParameters::sharpness, 0, 30},
    {NODRIX_FILTER_BAYER_GAIN_RED, &ImageParameters::bayerGainRed, 0, 400},
    {NODRIX_FILTER_BAYER_GAIN_GREEN, &ImageParameters::bayerGainGreen, 0, 400},
    {NODRIX_FILTER_BAYER_GAIN_BLUE, &ImageParameters::bayerGainBlue, 0, 400},
    {NODRIX_FILTER_GAMMA, &ImageParameters::gamma, 0, 200},
    {NODRIX_FILTER_BAYER_MODE, &ImageParameters::bayerMode, 0, 3},
    {NODRIX_FILTER_GRAY_MODE, &ImageParameters::greyMode, 0, 2},
    {NODRIX_FILTER_AUTO_GRAY_GAIN, &ImageParameters::autoGreyGain, 0, 1},
};

const ImageField* FindImageField(int code) {
    for (const ImageField& f : kImageFields) {
        if (f.code == code) return &f;
    }
    return nullptr;
}

bool IsGreyGain(int code) {
    return code >= NODRIX_FILTER_GRAY_GAIN_R && code <= NODRIX_FILTER_GRAY_GAIN_B;
}
bool IsGreyOffset(int code) {
    return code >= NODRIX_FILTER_GRAY_OFFSET_R && code <= NODRIX_FILTER_GRAY_OFFSET_B;
}

}  // namespace

int CNodrix::SetFilterValue(int code, int value) {
    // Codes are checked first, so an unknown one is always error 9.
    if (!IsSettableCode(code)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (CameraControls::OwnsFilterCode(code)) {
        return Reported(controls_.SetFilterValue(code, value));
    }
    // The worker converts with the image block under the same lock.
    platform::LockGuard frame(FrameLock());
    ImageParameters& p = imageParams_;
    const auto refuse = [this](int error) { return PushError(error), 0; };

    if (const ImageField* f = FindImageField(code)) {
        if (!InRange(value, f->low, f->high)) return refuse(NODRIX_ERROR_INVALID_ARGUMENT);
        p.*(f->field) = value;
        return 1;
    }
    if (IsGreyGain(code) || IsGreyOffset(code)) {
        const bool gain = IsGreyGain(code);
        if (!InRange(value, gain ? 0 : -255, 255)) return refuse(NODRIX_ERROR_INVALID_ARGUMENT);
        (gain ? p.greyGain[code - NODRIX_FILTER_GRAY_GAIN_R]
              : p.greyOffset[code - NODRIX_FILTER_GRAY_OFFSET_R]) = value;
        return 1;
    }
    switch (code) {
        case NODRIX_FILTER_BAYER_GAIN_RGB:
            p.bayerGainRed = value & 0xFF;
            p.bayerGainGreen = (value >> 8) & 0xFF;
            p.bayerGainBlue = (value >> 16) & 0xFF;
            return 1;
        case NODRIX_FILTER_BAYER_GAIN_AUTO:
            p.autoWhiteBalance = value != 0 ? 1 : 0;
            return 1;
        case NODRIX_FILTER_DOT_FILTER:
        case NODRIX_FILTER_MASK_FILTER:
            if (!InRange(value, 0, 1)) return refuse(NODRIX_ERROR_INVALID_ARGUMENT);
            (code == NODRIX_FILTER_DOT_FILTER ? dotFilter_ : maskFilter_) = value;
            return 1;
        default:
            return refuse(NODRIX_ERROR_INVALID_ARGUMENT);
    }
}

int CNodrix::GetFilterValue(int code, int* ok) {
    const auto fail = [&](int error, int result) {
        if (ok != nullptr) *ok = 0;
        PushError(error);
        return result;
    };
    const auto good = [&](int result) {
        if (ok != nullptr) *ok = 1;
        return result;
    };
    if (!IsReadableCode(code)) return fail(NODRIX_ERROR_INVALID_ARGUMENT, 0);
    // The temperature is read only through Nodrix_GetTemperatureEx.
    if (code == NODRIX_FILTER_TEMPERATURE) return fail(NODRIX_ERROR_NOT_SUPPORTED, -1);
    if (!core_) return fail(NODRIX_ERROR_NO_CORE, 0);
    if (CameraControls::OwnsFilterCode(code)) {
        const bool shortExposure = code == NODRIX_FILTER_SHORT_EXPOSURE;
        const bool blackLevel = code == NODRIX_FILTER_BLACK_LEVEL;
        if (code == NODRIX_FILTER_PELTIER && !core_->HasPeltier()) {
            return fail(NODRIX_ERROR_NOT_SUPPORTED, -1);
        }
        if ((shortExposure && !core_->HasShortExposure()) ||
            (blackLevel && !core_->HasBlackLevel())) {
            return fail(NODRIX_ERROR_NOT_SUPPORTED, 0);
        }
        bool read = false;
        const int value = controls_.ReadFilterValue(code, &read);
        if (!shortExposure && !blackLevel) return good(value);
        if (!read) return fail(NODRIX_ERROR_CAMERA_REQUEST, 0);
        // A success record, as after their writes.
        PushError(NODRIX_ERROR_NONE);
        return good(shortExposure ? (value != 0 ? 1 : 0) : value);
    }
    platform::LockGuard frame(FrameLock());
    const ImageParameters& p = imageParams_;

    if (const ImageField* f = FindImageField(code)) return good(p.*(f->field));
    if (IsGreyGain(code)) return good(p.greyGain[code - NODRIX_FILTER_GRAY_GAIN_R]);
    if (IsGreyOffset(code)) return good(p.greyOffset[code - NODRIX_FILTER_GRAY_OFFSET_R]);
    switch (code) {
        case NODRIX_FILTER_BAYER_GAIN_RGB:
            return good(((p.bayerGainBlue & 0xFF) << 16) | ((p.bayerGainGreen & 0xFF) << 8) |
                        (p.bayerGainRed & 0xFF));
        case NODRIX_FILTER_BAYER_GAIN_AUTO:
            return good(p.autoWhiteBalance);
        case NODRIX_FILTER_DOT_FILTER:
            return good(dotFilter_);
        case NODRIX_FILTER_MASK_FILTER:
            return good(maskFilter_);
        default:
            return fail(NODRIX_ERROR_INVALID_ARGUMENT, 0);
    }
}

int CNodrix::SetColorMode(int bitsPerPixel) {
    // A running stream's buffers are shaped for the mode it started in.
    if (!core_ || acquisition_.Streaming()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    int mode = -1;
    for (int i = 0; i < 6; ++i) {
        if (kColorModeBits[i] == bitsPerPixel) mode = i;
    }
    const bool no8Bit = !core_->Supports8BitOutput();
    const bool noColour = !core_->SupportsColorOutput();
    const bool refused =
        mode < 0 || (no8Bit && (mode == 0 || mode == 3)) || (noColour && mode >= 2);
    if (refused) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    colorMode_ = mode;  // takes effect at the next preparation
    return 1;
}

int CNodrix::SetCaptureWindowEx(int horizontalTotal, int horizontalStart, int width,
                                int verticalTotal, int verticalStart, int height) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if ((width != kSensorWidth && !core_->CanChangeWidth()) ||
        (height != kSensorHeight && !core_->CanChangeHeight())) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    geometry_.horizontalTotal = horizontalTotal;
    geometry_.horizontalStart = horizontalStart;
    geometry_.width = width;
    geometry_.verticalTotal = verticalTotal;
    geometry_.verticalStart = verticalStart;
    geometry_.height = height;
    // A window the camera refuses is reported, not taken as set.
    if (!CaptureWindowFits(geometry_, subSample_) ||
        !core_->SetCaptureWindow(horizontalStart, verticalStart, width, height, subSample_)) {
        return PushError(NODRIX_ERROR_CAPTURE_WINDOW), 0;
    }
    return 1;
}

}  // namespace nodrix
