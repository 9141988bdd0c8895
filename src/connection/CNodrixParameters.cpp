// Parameters the connection keeps itself: subsampling, wait time, the
// capture window as stored and the preview window's place.
#include "connection/CNodrix.h"
#include "connection/PreviewWindow.h"

namespace nodrix {

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

int CNodrix::SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (width > preview_window::kMaxExtent || height > preview_window::kMaxExtent) {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    preview_.Place(parent, x, y, width, height);
    return 1;
}

}  // namespace nodrix
