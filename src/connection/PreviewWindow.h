#pragma once
// The preview window of a connection: its creation (a child of an
// application window, or a top-level window with a client area of the
// capture size, centred on the screen) and the drawing of a converted frame
// into it. Kept apart from the connection so that the drawing can be shown
// to be right on its own.

#include <cstddef>

#include "imaging/CDibImage.h"
#include "platform/WindowMessages.h"

namespace nodrix::preview_window {

inline constexpr std::size_t kClassNameChars = 256;

// The largest width or height a preview window may be given: beyond it the
// window's pixels could not be allocated on any supported system, so the
// placement is refused instead of failing when preview starts.
inline constexpr int kMaxExtent = 16384;

// Registers a class named "VideoRenderer_<owner>_<time>" into className
// (kClassNameChars; left empty when registration fails) and creates the
// window: a child of parent at the placement, or, without a parent, a
// top-level window whose client area is clientWidth x clientHeight (none
// when all four placement values are zero). 0 on failure.
platform::WindowHandle Create(char* className, const void* owner, platform::WindowHandle parent,
                              const int placement[4], int clientWidth, int clientHeight);
// Releases the device context, destroys the window and unregisters the
// class; every argument may be empty.
void Destroy(platform::WindowHandle window, void* dc, char* className);

// The images one drawing uses: the output image of the colour mode, the two
// displayable buffers (8-bit grey and 24-bit colour) that reductions write,
// and the window-sized display image.
struct DrawImages {
    imaging::CDibImage* output = nullptr;
    imaging::CDibImage* grey8 = nullptr;
    imaging::CDibImage* rgb24 = nullptr;
    imaging::CDibImage* display = nullptr;
};

// Sizes display to the client area (8-bit for grey modes 0 and 1, 24-bit
// otherwise) when the window is visible and not empty.
void SizeDisplay(platform::WindowHandle window, void* dc, int colorMode,
                 imaging::CDibImage& display);
// Draws the output image into the window: one stretch copy when the client
// area has the image's size, else scaled through display. A hidden, empty or
// missing window skips the frame.
void Draw(platform::WindowHandle window, void* dc, int colorMode, const DrawImages& images);

}  // namespace nodrix::preview_window
