#pragma once
// The bitmap information of an image buffer, laid out field for field as the
// Windows BITMAPINFOHEADER followed by a 256-entry RGBQUAD colour table, so
// that the pair can be handed to GDI as a BITMAPINFO unchanged.

#include <cstdint>

namespace nodrix::imaging {

struct DibInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(DibInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

struct DibRgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
static_assert(sizeof(DibRgbQuad) == 4, "RGBQUAD is 4 bytes");

struct DibInfo {
    DibInfoHeader header;
    DibRgbQuad colors[256];
};
static_assert(sizeof(DibInfo) == 40 + 256 * 4, "BITMAPINFO with 256 colours");

}  // namespace nodrix::imaging
