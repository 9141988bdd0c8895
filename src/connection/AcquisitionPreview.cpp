// The acquisition's side of the preview window: the output's size it is made
// for, the frame lock around its destruction, and the images each converted
// frame is drawn from.
#include "connection/Acquisition.h"

namespace nodrix {
namespace {

// Subsampling modes divide the capture size by 2, 4 or 8.
int SubsampleDivisor(int mode) {
    switch (mode) {
        case 1:
        case 17:
            return 2;
        case 2:
        case 18:
            return 4;
        case 3:
        case 19:
            return 8;
        default:
            return 1;
    }
}

}  // namespace

int Acquisition::OutputWidth() const {
    return geometry_.width / SubsampleDivisor(subSample_);
}
int Acquisition::OutputHeight() const {
    return geometry_.height / SubsampleDivisor(subSample_);
}

bool Acquisition::OpenPreviewWindow() {
    if (preview_.Open(owner_, OutputWidth(), OutputHeight())) return true;
    PushError(NODRIX_ERROR_WINDOW);
    return false;
}

void Acquisition::DestroyPreviewWindow() {
    // The worker draws under the frame lock; the window goes only between
    // two of its frames.
    platform::LockGuard guard(frameLock_);
    preview_.Destroy();
}

void Acquisition::SizeDisplayToWindow() {
    platform::LockGuard guard(frameLock_);
    preview_.SizeDisplay(colorMode_, *images_[kDisplay]);
}

void Acquisition::Draw() {
    // Without a window nothing is drawn, and a frame recorded straight
    // stays in the core.
    if (!preview_.IsOpen()) return;
    preview_window::DrawImages images;
    images.output = &OutputImage();
    images.grey8 = images_[kRaw8].get();
    images.rgb24 = images_[kRgb24].get();
    images.display = images_[kDisplay].get();
    preview_.Draw(colorMode_, images);
}

}  // namespace nodrix
