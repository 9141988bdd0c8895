// A DIB section selected into a memory device context, so that the preview
// and still-image code can draw an image with GDI directly.

#include <windows.h>
// After windows.h, whose types it uses.
#include <vfw.h>

#include "imaging/DibSurface.h"

namespace nodrix::imaging {

static_assert(sizeof(DibInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(sizeof(DibRgbQuad) == sizeof(RGBQUAD));

std::uint8_t* CreateDibSurface(DibSurface& surface, const DibInfo& info, void* reference) {
    surface = DibSurface{};
    void* bits = nullptr;
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
    HBITMAP bitmap =
        CreateDIBSection(static_cast<HDC>(reference), bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        return nullptr;
    }
    HDC dc = CreateCompatibleDC(static_cast<HDC>(reference));
    if (dc == nullptr) {
        DeleteObject(bitmap);
        return nullptr;
    }
    surface.dc = dc;
    surface.bitmap = bitmap;
    surface.previousBitmap = SelectObject(dc, bitmap);
    return static_cast<std::uint8_t*>(bits);
}

void SetDibSurfaceColorTable(DibSurface& surface, const DibRgbQuad* colors, int count) {
    if (surface.dc == nullptr) return;
    SetDIBColorTable(static_cast<HDC>(surface.dc), 0, static_cast<UINT>(count),
                     reinterpret_cast<const RGBQUAD*>(colors));
}

void ReleaseDibSurface(DibSurface& surface) {
    if (surface.drawDib != nullptr) DrawDibClose(static_cast<HDRAWDIB>(surface.drawDib));
    if (surface.dc != nullptr && surface.previousBitmap != nullptr)
        SelectObject(static_cast<HDC>(surface.dc), static_cast<HGDIOBJ>(surface.previousBitmap));
    if (surface.bitmap != nullptr) DeleteObject(static_cast<HBITMAP>(surface.bitmap));
    if (surface.dc != nullptr) DeleteDC(static_cast<HDC>(surface.dc));
    surface = DibSurface{};
}

}  // namespace nodrix::imaging
