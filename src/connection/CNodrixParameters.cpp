// Parameters the connection keeps itself or forwards to the camera core:
// mirroring, exposure, automatic exposure mode, subsampling, wait time and
// the capture window as stored.
#include "connection/CNodrix.h"
#include "connection/PreviewWindow.h"

namespace nodrix {

int CNodrix::SetMirrorH(int on) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return Reported(controls_.SetMirror(true, on));
}

int CNodrix::SetMirrorV(int on) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return Reported(controls_.SetMirror(false, on));
}

int CNodrix::GetMirrorH() {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return controls_.Parameters().mirrorH;
}

int CNodrix::GetMirrorV() {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return controls_.Parameters().mirrorV;
}

int CNodrix::SetExposureTimeEx(double seconds) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return Reported(controls_.SetExposureTimeEx(seconds));
}

double CNodrix::GetExposureTimeEx(int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), -1.0;
    if (!core_->HasExposureSeconds()) return PushError(NODRIX_ERROR_NOT_SUPPORTED), -1.0;
    return controls_.GetExposureTimeEx(ok);
}

int CNodrix::SetRealExposureTime(int microseconds) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return Reported(controls_.SetRealExposureTime(microseconds));
}

int CNodrix::GetRealExposureTime(int* ok) {
    if (ok != nullptr) *ok = 1;
    return controls_.Parameters().exposure * 100;
}

int CNodrix::SetAutoIris(int mode) {
    if (!controls_.SetAutoIris(mode)) {
        PostError(NODRIX_ERROR_INVALID_ARGUMENT);
        return 0;
    }
    return 1;
}

int CNodrix::GetAutoIris(int* ok) {
    if (ok != nullptr) *ok = 1;
    return controls_.Parameters().autoIris;
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
    preview_.Place(parent, x, y, width, height);
    return 1;
}

}  // namespace nodrix
