#pragma once
// The windows the preview draws into. On Windows real windows and GDI;
// natively off-screen windows, each with a pixel surface that drawing
// writes and tests read back, so the same drawing logic runs in both builds.

#include <cstdint>
#include <vector>

#include "platform/WindowMessages.h"

namespace nodrix::platform::preview {

// Child window control identifier and styles of the preview windows.
inline constexpr int kChildControlId = 6540;
inline constexpr std::uint32_t kChildStyle = 0x52000000u;     // child, visible, clip children
inline constexpr std::uint32_t kTopLevelStyle = 0x16CF0000u;  // overlapped window, visible, clip both
inline constexpr const char* kChildCaption = "ActiveMovie Window";
inline constexpr const char* kTopLevelCaption = "Active Window";

// Registers a window class of that name: no class style, the default window
// procedure, the application's module, an arrow cursor and a black
// background. False when the name is taken or registration fails.
bool RegisterWindowClass(const char* name);
void UnregisterWindowClass(const char* name);

// A child window of parent at (x, y) with the given size.
WindowHandle CreateChildWindow(const char* className, WindowHandle parent, int x, int y, int width,
                               int height);
// A top-level window whose client area is width x height, centred on the
// screen and never placed at negative coordinates.
WindowHandle CreateTopLevelWindow(const char* className, int clientWidth, int clientHeight);
// Focus, show and update a new window; false when the update fails.
bool ShowNewWindow(WindowHandle window);
void DestroyWindow(WindowHandle window);

// The window's device context (HDC) and its release.
void* AcquireDeviceContext(WindowHandle window);
void ReleaseDeviceContext(WindowHandle window, void* dc);

bool IsVisible(WindowHandle window);
// Client area size; false when the window does not exist.
bool ClientSize(WindowHandle window, int* width, int* height);

// An image as the drawing calls see it: a bottom-up device-independent
// bitmap (memory row 0 is the bottom row for GDI) of 8 bits with a colour
// table or of 24 bits, and its memory device context where there is one.
struct SourceImage {
    void* memoryDc = nullptr;
    const std::uint8_t* pixels = nullptr;
    const std::uint8_t* colorTable = nullptr;  // 256 RGBQUADs for 8-bit images
    int width = 0;
    int height = 0;
    int stride = 0;
    int bits = 0;
};

// One stretch copy of the whole source to (0, 0, width, height) of the
// device context, rows turned over so that memory row 0 shows at the top.
bool StretchFlipped(void* dc, const SourceImage& source, int width, int height);
// A plain copy of the source to (0, 0), as GDI shows it (memory row 0 at the
// bottom).
bool CopyToWindow(void* dc, const SourceImage& source);

// --- Inspection, for tests --------------------------------------------------

struct WindowPlacement {
    int x = 0;  // window position in its parent's client area, or on the screen
    int y = 0;
    int width = 0;  // window size
    int height = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};
bool GetPlacement(WindowHandle window, WindowPlacement* placement);
bool ScreenSize(int* width, int* height);
// The first preview window (class name beginning "VideoRenderer_") that is a
// child of parent, or a top-level window when parent is 0; 0 when none.
WindowHandle FindPreviewWindow(WindowHandle parent);
// The client area's pixels as 0x00RRGGBB, top row first; false when the
// window does not exist.
bool ReadClientPixels(WindowHandle window, std::vector<std::uint32_t>* pixels, int* width,
                      int* height);

}  // namespace nodrix::platform::preview
