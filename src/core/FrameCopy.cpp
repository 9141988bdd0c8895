#include "core/FrameCopy.h"

#include <algorithm>
#include <cstring>

namespace nodrix::core {

FrameOrientation OrientationFor(int orientationCode, bool bottomUp) {
    const bool vertical = orientationCode == 3 || orientationCode == 4;
    const bool horizontal = orientationCode == 2 || orientationCode == 4;
    return FrameOrientation{bottomUp == vertical, horizontal};
}

namespace {

void ReverseRow8(std::uint8_t* dst, const std::uint8_t* src, std::size_t pixels) {
    std::reverse_copy(src, src + pixels, dst);
}

void ReverseRow16(std::uint8_t* dst, const std::uint8_t* src, std::size_t pixels) {
    // Two-byte samples move as units; the byte order inside a sample stays.
    const std::uint8_t* s = src + 2 * pixels;
    for (std::size_t i = 0; i < pixels; ++i) {
        s -= 2;
        dst[2 * i] = s[0];
        dst[2 * i + 1] = s[1];
    }
}

}  // namespace

void CopyFrameOriented(std::uint8_t* dst, const std::uint8_t* src, const FrameGeometry& geometry,
                       FrameOrientation orientation) {
    const std::size_t rowBytes = geometry.RowBytes();
    const std::size_t rows = geometry.height;
    if (rowBytes == 0 || rows == 0) {
        return;
    }
    if (!orientation.reverseRows && !orientation.reversePixels) {
        std::memcpy(dst, src, rowBytes * rows);
        return;
    }
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t from = orientation.reverseRows ? rows - 1 - row : row;
        const std::uint8_t* s = src + from * rowBytes;
        std::uint8_t* d = dst + row * rowBytes;
        if (!orientation.reversePixels) {
            std::memcpy(d, s, rowBytes);
        } else if (geometry.bytesPerPixel == 2) {
            ReverseRow16(d, s, geometry.width);
        } else {
            ReverseRow8(d, s, geometry.width);
        }
    }
}

}  // namespace nodrix::core
