#include "connection/PreviewWindowOwner.h"

#include "platform/PreviewSurface.h"

namespace nodrix {

void PreviewWindowOwner::Place(platform::WindowHandle parent, int x, int y, int width, int height) {
    parent_ = parent;
    placement_[0] = x;
    placement_[1] = y;
    placement_[2] = width;
    placement_[3] = height;
}

bool PreviewWindowOwner::Wanted() const {
    return parent_ != 0 || placement_[0] != 0 || placement_[1] != 0 || placement_[2] != 0 ||
           placement_[3] != 0;
}

bool PreviewWindowOwner::Open(const void* owner, int clientWidth, int clientHeight) {
    if (window_ != 0 || !Wanted()) return true;
    window_ =
        preview_window::Create(className_, owner, parent_, placement_, clientWidth, clientHeight);
    if (window_ != 0) dc_ = platform::preview::AcquireDeviceContext(window_);
    if (window_ == 0 || dc_ == nullptr) {
        Destroy();
        return false;
    }
    return true;
}

void PreviewWindowOwner::Destroy() {
    preview_window::Destroy(window_, dc_, className_);
    dc_ = nullptr;
    window_ = 0;
}

void PreviewWindowOwner::SizeDisplay(int colorMode, imaging::CDibImage& display) {
    preview_window::SizeDisplay(window_, dc_, colorMode, display);
}

void PreviewWindowOwner::Draw(int colorMode, const preview_window::DrawImages& images) {
    preview_window::Draw(window_, dc_, colorMode, images);
}

}  // namespace nodrix
