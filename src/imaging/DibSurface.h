#pragma once
// The drawing surface behind an image buffer. On Windows it is a DIB
// section selected into a memory device context; natively there is no such
// thing and the image keeps plain heap pixels.

#include <cstdint>

#include "imaging/DibInfo.h"

namespace nodrix::imaging {

// Operating system handles, kept opaque (HDC, HBITMAP, HDRAWDIB).
struct DibSurface {
    void* dc = nullptr;
    void* bitmap = nullptr;
    void* previousBitmap = nullptr;
    void* drawDib = nullptr;
};

// Makes a section of the format in info, with reference (a device context,
// may be null) as the reference context. Returns its pixels, or null when no
// section could be made (surface is then left empty).
std::uint8_t* CreateDibSurface(DibSurface& surface, const DibInfo& info, void* reference);

// Sets the first count entries of the section's colour table.
void SetDibSurfaceColorTable(DibSurface& surface, const DibRgbQuad* colors, int count);

// Restores the previous bitmap, deletes the section, the context and any
// DrawDib handle; leaves the surface empty.
void ReleaseDibSurface(DibSurface& surface);

}  // namespace nodrix::imaging
