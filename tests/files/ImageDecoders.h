#pragma once
// Reads still image files back through the same libraries that wrote them,
// so the tests see what any reader of the file would see.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::testing {

struct DecodedPng {
    bool ok = false;
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colorType = -1;
    // Rows as stored: samples in file order, 16-bit ones high byte first.
    std::vector<std::vector<std::uint8_t>> rows;
};
DecodedPng DecodePng(const std::string& name);

struct DecodedTiff {
    bool ok = false;
    std::uint32_t width = 0, height = 0, strips = 0;
    std::uint16_t bitsPerSample = 0, samplesPerPixel = 0, photometric = 0, compression = 0,
                  planar = 0;
    bool littleEndian = false;
    // The strip with samples in host order.
    std::vector<std::uint8_t> strip;
};
DecodedTiff DecodeTiff(const std::string& name);

struct DecodedJpeg {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    // Rows of width x components samples, top row first.
    std::vector<std::uint8_t> pixels;
    int At(int x, int y, int c) const { return pixels[(y * width + x) * components + c]; }
};
DecodedJpeg DecodeJpeg(const std::string& name);

}  // namespace nodrix::testing
