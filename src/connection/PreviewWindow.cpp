#include "connection/PreviewWindow.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "imaging/ConversionKernels.h"
#include "platform/PreviewSurface.h"
#include "platform/Time.h"

namespace nodrix::preview_window {
namespace {

namespace surface = platform::preview;

surface::SourceImage SourceOf(const imaging::CDibImage& image) {
    surface::SourceImage source;
    source.memoryDc = image.DeviceContext();
    source.pixels = image.Pixels();
    source.colorTable = reinterpret_cast<const std::uint8_t*>(image.Info().colors);
    source.width = image.Width();
    source.height = image.Height();
    source.stride = image.Stride();
    source.bits = image.Bits();
    return source;
}

int DisplayBits(int colorMode) { return colorMode <= 1 ? 8 : 24; }

bool UsableClientArea(platform::WindowHandle window, void* dc, int* width, int* height) {
    return window != 0 && dc != nullptr && surface::IsVisible(window) &&
           surface::ClientSize(window, width, height) && *width > 0 && *height > 0;
}

}  // namespace

platform::WindowHandle Create(char* className, const void* owner, platform::WindowHandle parent,
                              const int placement[4], int clientWidth, int clientHeight) {
    className[0] = '\0';
    if (parent == 0 && placement[0] == 0 && placement[1] == 0 && placement[2] == 0 &&
        placement[3] == 0) {
        return 0;
    }
    // A class of its own for each window, named after the connection and the
    // moment, so that two connections never share one.
    const unsigned salt = platform::MultimediaTime() + static_cast<unsigned>(std::rand());
    std::snprintf(className, kClassNameChars, "VideoRenderer_%08x_%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(owner)), salt);
    if (!surface::RegisterWindowClass(className)) {
        className[0] = '\0';
        return 0;
    }
    platform::WindowHandle window =
        parent != 0 ? surface::CreateChildWindow(className, parent, placement[0], placement[1],
                                                 placement[2], placement[3])
                    : surface::CreateTopLevelWindow(className, clientWidth, clientHeight);
    if (window != 0 && !surface::ShowNewWindow(window)) {
        surface::DestroyWindow(window);
        window = 0;
    }
    if (window == 0) {
        surface::UnregisterWindowClass(className);
        className[0] = '\0';
    }
    return window;
}

void Destroy(platform::WindowHandle window, void* dc, char* className) {
    if (dc != nullptr) surface::ReleaseDeviceContext(window, dc);
    if (window != 0) surface::DestroyWindow(window);
    if (className[0] != '\0') surface::UnregisterWindowClass(className);
    className[0] = '\0';
}

void SizeDisplay(platform::WindowHandle window, void* dc, int colorMode,
                 imaging::CDibImage& display) {
    int width = 0;
    int height = 0;
    if (!UsableClientArea(window, dc, &width, &height)) return;
    const int bits = DisplayBits(colorMode);
    if (display.Width() != width || display.Height() != height || display.Bits() != bits) {
        display.Release();
        display.Allocate(width, height, bits);
    }
}

void Draw(platform::WindowHandle window, void* dc, int colorMode, const DrawImages& images) {
    if (window == 0 || dc == nullptr || images.output == nullptr || images.output->Empty()) return;
    const imaging::CDibImage& output = *images.output;

    // The displayable source: 8-bit grey or 24-bit colour.
    imaging::CDibImage* source = colorMode <= 1 ? images.grey8 : images.rgb24;
    imaging::PixelKernel reduce = nullptr;
    if (colorMode == 1) reduce = imaging::ReduceGrey16ForDisplay;
    if (colorMode == 3) reduce = imaging::ReduceColorForDisplay;
    if (colorMode == 4 || colorMode == 5) reduce = imaging::ReduceColor16ForDisplay;
    if (reduce == nullptr) source = images.output;
    if (source == nullptr) return;
    if (reduce != nullptr) {
        const int bits = DisplayBits(colorMode);
        if (source->Width() != output.Width() || source->Height() != output.Height() ||
            source->Bits() != bits) {
            source->Release();
            if (!source->Allocate(output.Width(), output.Height(), bits)) return;
        }
        int significantBits = output.SignificantBits();
        source->Apply(reduce, output, nullptr, 0, 0, &significantBits);
    }

    int width = 0;
    int height = 0;
    if (!UsableClientArea(window, dc, &width, &height)) return;

    if (width == source->Width() && height == source->Height() && colorMode != 1) {
        surface::StretchFlipped(dc, SourceOf(*source), width, height);
        return;
    }
    if (images.display == nullptr) return;
    imaging::CDibImage& display = *images.display;
    const int bits = DisplayBits(colorMode);
    if (display.Width() != width || display.Height() != height || display.Bits() != bits) {
        display.Release();
        if (!display.Allocate(width, height, bits)) return;
    }
    display.ApplyScaled(bits == 8 ? imaging::ScaleNearest8 : imaging::ScaleNearest24, *source,
                        nullptr, nullptr);
    surface::CopyToWindow(dc, SourceOf(display));
}

}  // namespace nodrix::preview_window
