#pragma once
// The one calling convention shared by every pixel kernel: a plain function
// over two images and a source rectangle, steered by a small per-kernel
// parameter record.

#include <cstdint>

namespace nodrix::imaging {

// A rectangle of pixels, right and bottom exclusive.
struct KernelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
};

// Source pixel (row r, column c) is at src + r * srcStride + c * srcBpp; its
// result goes to destination row (dstY + r - rect.top), column
// (dstX + c - rect.left). Returns nonzero on success (statistics kernels
// return their result). dst and src may be the same memory for kernels that
// work in place.
using PixelKernel = int (*)(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void* param);

// What a scaling kernel is told about both sides (the preview).
struct ScaleGeometry {
    KernelRect dstRect;
    KernelRect srcRect;
    int dstWidth = 0;
    int dstHeight = 0;
    int srcWidth = 0;
    int srcHeight = 0;
    int dstBpp = 0;
    int srcBpp = 0;
    int dstStride = 0;
    int srcStride = 0;
};

using ScaleKernel = int (*)(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g);

}  // namespace nodrix::imaging
