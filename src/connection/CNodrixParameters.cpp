// Parameters the connection keeps itself or forwards to the camera core:
// mirroring, exposure, automatic exposure mode, subsampling, wait time and
// the capture window as stored.
#include <cmath>

#include "connection/CNodrix.h"
#include "connection/PreviewWindow.h"

namespace nodrix {

// The camera parameter block and the sensor are shared with the worker's
// automatic stages and with Prepare; every access here holds the frame
// lock that those hold.

int CNodrix::SetMirrorH(int on) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard frame(frameLock_);
    cameraParams_.mirrorH = on != 0;
    if (!core_->SetMirrorH(cameraParams_.mirrorH)) return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
    return 1;
}

int CNodrix::SetMirrorV(int on) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    platform::LockGuard frame(frameLock_);
    cameraParams_.mirrorV = on != 0;
    if (!core_->SetMirrorV(cameraParams_.mirrorV)) return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
    return 1;
}

int CNodrix::GetMirrorH() {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard frame(frameLock_);
    return cameraParams_.mirrorH;
}

int CNodrix::GetMirrorV() {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    platform::LockGuard frame(frameLock_);
    return cameraParams_.mirrorV;
}

int CNodrix::SetExposureTimeEx(double seconds) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (!core_->HasExposureSeconds()) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0;
    platform::LockGuard frame(frameLock_);
    // Refused before anything is stored: a value that is not a number, or
    // outside what the sensor can expose, cannot become whole tenths.
    if (!std::isfinite(seconds) || seconds < core_->GetExposureSecondsMin() ||
        seconds > core_->GetExposureSecondsMax()) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    if (!core_->SetExposureSeconds(seconds)) return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
    cameraParams_.exposureSeconds = seconds;
    cameraParams_.exposure = static_cast<std::int32_t>(static_cast<std::int64_t>(seconds) * 10000);
    return 1;
}

double CNodrix::GetExposureTimeEx(int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), -1.0;
    if (!core_->HasExposureSeconds()) return PushError(NODRIX_ERROR_NOT_SUPPORTED), -1.0;
    platform::LockGuard frame(frameLock_);
    int good = 0;
    const double seconds = core_->GetExposureSeconds(&good);
    if (good) cameraParams_.exposureSeconds = seconds;
    if (ok != nullptr) *ok = good ? 1 : 0;
    return seconds;
}

int CNodrix::SetRealExposureTime(int microseconds) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    const int units = microseconds / 100;
    platform::LockGuard frame(frameLock_);
    if (units < core_->GetExposureTenthsMin() || units > core_->GetExposureTenthsMax()) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    cameraParams_.exposure = units;
    core_->SetExposure(units);
    if (core_->HasExposureSeconds()) {
        int good = 0;
        const double seconds = core_->GetExposureSeconds(&good);
        if (good) cameraParams_.exposureSeconds = seconds;
    }
    return 1;
}

int CNodrix::GetRealExposureTime(int* ok) {
    platform::LockGuard frame(frameLock_);
    realExposureUs_ = cameraParams_.exposure * 100;
    if (ok != nullptr) *ok = 1;
    return realExposureUs_;
}

int CNodrix::SetAutoIris(int mode) {
    if (mode < 0 || mode > 2) {
        PostError(NODRIX_ERROR_INVALID_ARGUMENT);
        return 0;
    }
    platform::LockGuard frame(frameLock_);
    cameraParams_.autoIris = mode;
    return 1;
}

int CNodrix::GetAutoIris(int* ok) {
    if (ok != nullptr) *ok = 1;
    platform::LockGuard frame(frameLock_);
    return cameraParams_.autoIris;
}

int CNodrix::SetSubSample(int mode) {
    // Subsampling is not offered by this camera: only "none" is accepted.
    if (mode != 0) return 0;
    subSample_ = 0;
    return 1;
}

int CNodrix::SetWaitTime(int milliseconds) {
    if (milliseconds < 0) return 0;
    waitTimeMs_ = milliseconds;
    return 1;
}

int CNodrix::GetCaptureWindowEx(int* horizontalTotal, int* horizontalStart, int* width,
                                int* verticalTotal, int* verticalStart, int* height) const {
    if (horizontalTotal != nullptr) *horizontalTotal = geometry_.horizontalTotal;
    if (horizontalStart != nullptr) *horizontalStart = geometry_.horizontalStart;
    if (width != nullptr) *width = geometry_.width;
    if (verticalTotal != nullptr) *verticalTotal = geometry_.verticalTotal;
    if (verticalStart != nullptr) *verticalStart = geometry_.verticalStart;
    if (height != nullptr) *height = geometry_.height;
    return 1;
}

int CNodrix::SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width,
                              int height) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (width > preview_window::kMaxExtent || height > preview_window::kMaxExtent) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    previewParent_ = parent;
    placement_[0] = x;
    placement_[1] = y;
    placement_[2] = width;
    placement_[3] = height;
    return 1;
}

}  // namespace nodrix
