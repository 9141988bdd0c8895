// Colour to grey and the reductions of 16-bit and 32-bit images to the 8-bit
// and 24-bit formats that the preview and the recorder take.

#include <cstdint>

#include "imaging/ConversionKernels.h"

namespace nodrix::imaging {

namespace {

// Runs pixel(dstPixel, srcPixel) over the rectangle; with kReverse the
// destination rows run bottom to top.
// Images whose pixels are too small for the reduction are refused.
template <bool kReverse, int kMinDstBpp, int kMinSrcBpp, typename Pixel>
int ForEachPixel(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                 int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, Pixel pixel) {
    if (dstBpp < kMinDstBpp || srcBpp < kMinSrcBpp) return 0;
    const int width = rect.Width();
    for (int r = rect.top; r < rect.bottom; ++r) {
        const int dr = kReverse ? dstY + (rect.bottom - 1 - r) : dstY + (r - rect.top);
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dr) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        for (int c = 0; c < width; ++c, s += srcBpp, d += dstBpp) pixel(d, s);
    }
    return 1;
}

// Bits 2-9 of a little-endian 16-bit sample.
inline std::uint8_t Bits2To9(const std::uint8_t* p) {
    return static_cast<std::uint8_t>((p[1] << 6) | (p[0] >> 2));
}
// Bits 4-11 of a little-endian 16-bit sample.
inline std::uint8_t Bits4To11(const std::uint8_t* p) {
    return static_cast<std::uint8_t>((p[1] << 4) | (p[0] >> 4));
}

}  // namespace

#define NODRIX_FORWARD dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride

int ColorToGrey(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void*) {
    return ForEachPixel<false, 1, 3>(NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = static_cast<std::uint8_t>((59u * s[1] + 30u * s[2] + 11u * s[0]) / 100u);
    });
}

int ReduceGrey16ForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                           int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                           int srcStride, void*) {
    return ForEachPixel<false, 1, 2>(NODRIX_FORWARD,
                               [](std::uint8_t* d, const std::uint8_t* s) { d[0] = s[1]; });
}

int ReduceColorForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                          int dstX, int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                          void*) {
    return ForEachPixel<false, 3, 3>(NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    });
}

int ReduceColor16ForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void*) {
    return ForEachPixel<false, 3, 6>(NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = Bits4To11(s);
        d[1] = Bits4To11(s + 2);
        d[2] = Bits4To11(s + 4);
    });
}

int ReduceGrey16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                             int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                             int srcStride, void*) {
    return ForEachPixel<true, 1, 2>(NODRIX_FORWARD,
                              [](std::uint8_t* d, const std::uint8_t* s) { d[0] = Bits2To9(s); });
}

int ReduceColor16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                              int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                              int srcStride, void*) {
    return ForEachPixel<true, 3, 6>(NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = s[1];
        d[1] = s[3];
        d[2] = s[5];
    });
}

int ReduceColorForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void*) {
    return ForEachPixel<true, 3, 3>(NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    });
}

#undef NODRIX_FORWARD

}  // namespace nodrix::imaging
