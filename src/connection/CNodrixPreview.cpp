// The connection's side of the preview window: whether one is wanted, its
// creation with its device context, its destruction, and the drawing of each
// converted frame.
#include "connection/CNodrix.h"
#include "connection/PreviewWindow.h"
#include "platform/PreviewSurface.h"

namespace nodrix {
namespace {

// Subsampling modes divide the capture size by 2, 4 or 8.
int SubsampleDivisor(int mode) {
    switch (mode) {
        case 1:
        case 17: return 2;
        case 2:
        case 18: return 4;
        case 3:
        case 19: return 8;
        default: return 1;
    }
}

}  // namespace

int CNodrix::OutputWidth() const { return geometry_.width / SubsampleDivisor(subSample_); }
int CNodrix::OutputHeight() const { return geometry_.height / SubsampleDivisor(subSample_); }

bool CNodrix::PreviewWindowWanted() const {
    return previewParent_ != 0 || placement_[0] != 0 || placement_[1] != 0 ||
           placement_[2] != 0 || placement_[3] != 0;
}

platform::WindowHandle CNodrix::CreatePreviewWindow(platform::WindowHandle parent,
                                                    const int* placement) {
    return preview_window::Create(windowClassName_, this, parent, placement, OutputWidth(),
                                  OutputHeight());
}

bool CNodrix::OpenPreviewWindow() {
    if (previewWindow_ != 0 || !PreviewWindowWanted()) return true;
    previewWindow_ = CreatePreviewWindow(previewParent_, placement_);
    if (previewWindow_ != 0) previewDc_ = platform::preview::AcquireDeviceContext(previewWindow_);
    if (previewWindow_ == 0 || previewDc_ == nullptr) {
        DestroyPreviewWindow();
        PushError(NODRIX_ERROR_WINDOW);
        return false;
    }
    return true;
}

void CNodrix::DestroyPreviewWindow() {
    // The worker draws under the frame lock; the window goes only between
    // two of its frames.
    platform::LockGuard guard(frameLock_);
    preview_window::Destroy(previewWindow_, previewDc_, windowClassName_);
    previewDc_ = nullptr;
    previewWindow_ = 0;
}

void CNodrix::SizeDisplayToWindow() {
    platform::LockGuard guard(frameLock_);
    preview_window::SizeDisplay(previewWindow_, previewDc_, colorMode_, *images_[kDisplay]);
}

void CNodrix::Draw() {
    preview_window::DrawImages images;
    images.output = &OutputImage();
    images.grey8 = images_[kRaw8].get();
    images.rgb24 = images_[kRgb24].get();
    images.display = images_[kDisplay].get();
    preview_window::Draw(previewWindow_, previewDc_, colorMode_, images);
}

}  // namespace nodrix
