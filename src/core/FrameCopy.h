#pragma once
// Copying a raw frame out of a ring buffer in the orientation the sensor asks
// for. A raw frame is width x height samples of 1 or 2 bytes, rows packed.

#include <cstddef>
#include <cstdint>

namespace nodrix::core {

struct FrameGeometry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bytesPerPixel = 1;

    std::size_t RowBytes() const { return std::size_t{width} * bytesPerPixel; }
    std::size_t FrameBytes() const { return RowBytes() * height; }
};

struct FrameOrientation {
    bool reverseRows = false;    // last stored row first
    bool reversePixels = false;  // pixels of every row in reverse order
};

// The sensor's orientation code (1 to 4) and the caller's bottom-up flag
// decide the copy: codes 2 and 4 mirror each row; codes 3 and 4 invert the
// row-order rule, under which rows keep their stored order when the
// bottom-up flag differs from "code is 3 or 4".
FrameOrientation OrientationFor(int orientationCode, bool bottomUp);

// Copies geometry.FrameBytes() bytes from src to dst with the orientation.
// The buffers must not overlap.
void CopyFrameOriented(std::uint8_t* dst, const std::uint8_t* src, const FrameGeometry& geometry,
                       FrameOrientation orientation);

}  // namespace nodrix::core
