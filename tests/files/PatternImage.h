#pragma once
// Output images with a known byte pattern for the writer tests, and the
// pixel values a file should hold for them.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "imaging/CDibImage.h"

namespace nodrix::testing {

// Two-byte samples for 16-bit grey and 48/64-bit colour.
inline int SampleBytesOf(int bits) {
    return bits == 16 || bits == 48 || bits == 64 ? 2 : 1;
}

inline std::uint8_t PatternByte(int row, int column) {
    return static_cast<std::uint8_t>(row * 37 + column * 11 + 5);
}

// Every pixel byte set from the pattern; padding stays as allocated.
inline std::unique_ptr<imaging::CDibImage> PatternImage(int width, int height, int bits) {
    auto image = std::make_unique<imaging::CDibImage>();
    EXPECT_EQ(image->Allocate(width, height, bits), 1);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < width * bits / 8; ++i) image->Row(y)[i] = PatternByte(y, i);
    }
    return image;
}

// Sample c (0 B or grey, 1 G, 2 R, 3 X) of pixel (x, y), 8 or 16 bits wide.
inline int Sample(const imaging::CDibImage& image, int x, int y, int c) {
    const int sampleBytes = SampleBytesOf(image.Bits());
    const int channels = image.Bits() / 8 / sampleBytes;
    const std::uint8_t* p = image.Row(y) + (x * channels + c) * sampleBytes;
    return sampleBytes == 2 ? p[0] | (p[1] << 8) : p[0];
}

}  // namespace nodrix::testing
