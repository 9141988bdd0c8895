#pragma once
// The owner of a connection's preview window: where the application placed
// it, the window with its device context while it is open, and its class.
// The connection opens it before a start, draws each converted frame into
// it under the frame lock, and destroys it only between two frames.

#include "connection/PreviewWindow.h"
#include "platform/WindowMessages.h"

namespace nodrix {

class PreviewWindowOwner {
public:
    PreviewWindowOwner(int width, int height) : placement_{0, 0, width, height} {}
    PreviewWindowOwner(const PreviewWindowOwner&) = delete;
    PreviewWindowOwner& operator=(const PreviewWindowOwner&) = delete;
    ~PreviewWindowOwner() { Destroy(); }

    // Where the next window goes: a child of parent at the placement, or a
    // top-level window (no parent), or none (no parent, all four zero).
    void Place(platform::WindowHandle parent, int x, int y, int width, int height);
    bool Wanted() const;
    bool IsOpen() const { return window_ != 0; }
    // Opens the window when one is wanted and none is open, its client area
    // clientWidth x clientHeight when it has no parent. False when it cannot
    // be made (nothing stays open then).
    bool Open(const void* owner, int clientWidth, int clientHeight);
    void Destroy();

    void SizeDisplay(int colorMode, imaging::CDibImage& display);
    void Draw(int colorMode, const preview_window::DrawImages& images);

private:
    platform::WindowHandle window_ = 0;
    void* dc_ = nullptr;
    char className_[preview_window::kClassNameChars] = {};
    platform::WindowHandle parent_ = 0;
    int placement_[4];
};

}  // namespace nodrix
