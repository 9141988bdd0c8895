#pragma once
// One picture as the viewer keeps it: the camera's samples, top row first,
// with what the library said about them.

#include <cstdint>
#include <vector>

namespace nodrix_viewer {

struct Frame {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;     // 8, 16, 24, 32, 48 or 64
    int significantBits = 8;  // of each sample: 8, 12 or 16
    int stride = 0;           // bytes per row in pixels
    std::uint32_t frameNumber = 0;
    std::uint64_t timestampUs = 0;
    double exposureMs = 0.0;
    int gain = 0;
    std::vector<std::uint8_t> pixels;  // capacity kept from frame to frame

    bool Empty() const { return width <= 0 || height <= 0; }
    int BytesPerSample() const { return bitsPerPixel == 16 || bitsPerPixel >= 48 ? 2 : 1; }
    int Channels() const { return bitsPerPixel / (8 * BytesPerSample()); }
    // The largest sample value: 255, 4095 or 65535.
    int MaxSample() const { return (1 << significantBits) - 1; }
    // Sample c of the pixel at column x, row y; the caller checks the bounds.
    int Sample(int x, int y, int c) const;
};

}  // namespace nodrix_viewer
