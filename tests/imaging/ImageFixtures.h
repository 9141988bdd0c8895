#pragma once
// Helpers of the imaging tests: random images and pixel access.

#include <cstdint>
#include <random>

#include "imaging/CDibImage.h"

namespace nodrix::imaging::test {

inline void FillRandom(CDibImage& img, std::mt19937& rng, int maxValue) {
    std::uniform_int_distribution<int> dist(0, maxValue);
    const int samplesPerRow = img.Stride() / (img.Bits() == 16 ? 2 : 1);
    for (int r = 0; r < img.Height(); ++r) {
        std::uint8_t* row = img.Row(r);
        for (int i = 0; i < samplesPerRow; ++i) {
            const int v = dist(rng);
            if (img.Bits() == 16) {
                row[2 * i] = static_cast<std::uint8_t>(v);
                row[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
            } else {
                row[i] = static_cast<std::uint8_t>(v);
            }
        }
    }
}

inline void FillBytes(CDibImage& img, std::uint8_t value) {
    for (int r = 0; r < img.Height(); ++r)
        for (int i = 0; i < img.Stride(); ++i) img.Row(r)[i] = value;
}

inline int Sample16(const CDibImage& img, int r, int c, int index = 0) {
    const std::uint8_t* p = img.Row(r) + c * img.BytesPerPixel() + 2 * index;
    return p[0] | (p[1] << 8);
}

inline void SetSample16(CDibImage& img, int r, int c, int v, int index = 0) {
    std::uint8_t* p = img.Row(r) + c * img.BytesPerPixel() + 2 * index;
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline bool SamePixels(const CDibImage& a, const CDibImage& b) {
    if (a.Height() != b.Height() || a.Stride() != b.Stride()) return false;
    for (int r = 0; r < a.Height(); ++r)
        for (int i = 0; i < a.Stride(); ++i)
            if (a.Row(r)[i] != b.Row(r)[i]) return false;
    return true;
}

}  // namespace nodrix::imaging::test
