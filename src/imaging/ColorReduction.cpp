// Colour to grey and the reductions of 16-bit and 32-bit images to the 8-bit
// and 24-bit formats that the preview and the recorder take.

#include <cstdint>
#include <cstring>

#include "imaging/ConversionKernels.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging {

namespace {

// A vectorised loop over the start of a row: returns the pixels it did.
struct NoFastPath {
    int operator()(const std::uint8_t*, std::uint8_t*, int) const { return 0; }
};

// Runs pixel(dstPixel, srcPixel) over the rectangle; with kReverse the
// destination rows run bottom to top. Images whose pixels are too small for
// the reduction are refused. fast runs first on each row when the pixels
// are exactly fastDstBpp and fastSrcBpp bytes.
template <bool kReverse, int kMinDstBpp, int kMinSrcBpp, typename Pixel, typename Fast = NoFastPath>
int ForEachPixel(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                 int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, Pixel pixel,
                 Fast fast = Fast{}, int fastDstBpp = 0, int fastSrcBpp = 0) {
    if (dstBpp < kMinDstBpp || srcBpp < kMinSrcBpp) return 0;
    const bool useFast = dstBpp == fastDstBpp && srcBpp == fastSrcBpp;
    const int width = rect.Width();
    for (int r = rect.top; r < rect.bottom; ++r) {
        const int dr = kReverse ? dstY + (rect.bottom - 1 - r) : dstY + (r - rect.top);
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dr) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        int c = 0;
        if (useFast) {
            c = fast(s, d, width);
            s += static_cast<std::ptrdiff_t>(c) * srcBpp;
            d += static_cast<std::ptrdiff_t>(c) * dstBpp;
        }
        for (; c < width; ++c, s += srcBpp, d += dstBpp) pixel(d, s);
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

// A loop over pixels as it is.
struct Pixels {
    rows::PixelsFn fn;
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        return fn != nullptr ? fn(s, d, width) : 0;
    }
};
// A loop over the samples of 48-bit pixels (three per pixel). A pixel it
// only half did is done again by the caller.
struct Samples48 {
    rows::SamplesToBytes fn;
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        return fn != nullptr ? fn(s, d, 3 * width) / 3 : 0;
    }
};
// Rows of whole 24-bit pixels are copied.
struct CopyRow {
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        std::memcpy(d, s, static_cast<std::size_t>(width) * 3);
        return width;
    }
};

void CopyColor(std::uint8_t* d, const std::uint8_t* s) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
}

}  // namespace

#define NODRIX_FORWARD dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride

int ColorToGrey(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void*) {
    const rows::RowSet& r = rows::ActiveRows();
    return ForEachPixel<false, 1, 3>(
        NODRIX_FORWARD,
        [](std::uint8_t* d, const std::uint8_t* s) {
            d[0] = static_cast<std::uint8_t>((59u * s[1] + 30u * s[2] + 11u * s[0]) / 100u);
        },
        Pixels{srcBpp == 4 ? r.grey32 : r.grey24}, 1, srcBpp == 4 ? 4 : 3);
}

int ReduceGrey16ForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                           int dstX, int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                           void*) {
    return ForEachPixel<false, 1, 2>(
        NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) { d[0] = s[1]; },
        Pixels{rows::ActiveRows().highByte}, 1, 2);
}

int ReduceColorForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                          int dstX, int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                          void*) {
    if (srcBpp == 3 && dstBpp == 3)
        return ForEachPixel<false, 3, 3>(NODRIX_FORWARD, CopyColor, CopyRow{}, 3, 3);
    return ForEachPixel<false, 3, 3>(NODRIX_FORWARD, CopyColor,
                                     Pixels{rows::ActiveRows().bgrx32To24}, 3, 4);
}

int ReduceColor16ForDisplay(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void*) {
    auto pixel = [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = Bits4To11(s);
        d[1] = Bits4To11(s + 2);
        d[2] = Bits4To11(s + 4);
    };
    const rows::RowSet& r = rows::ActiveRows();
    if (srcBpp == 6)
        return ForEachPixel<false, 3, 6>(NODRIX_FORWARD, pixel, Samples48{r.bits4To11}, 3, 6);
    return ForEachPixel<false, 3, 6>(NODRIX_FORWARD, pixel, Pixels{r.bgrx64To24Bits4To11}, 3, 8);
}

int ReduceGrey16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                             int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                             int srcStride, void*) {
    return ForEachPixel<true, 1, 2>(
        NODRIX_FORWARD, [](std::uint8_t* d, const std::uint8_t* s) { d[0] = Bits2To9(s); },
        Pixels{rows::ActiveRows().bits2To9}, 1, 2);
}

int ReduceColor16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                              int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                              int srcStride, void*) {
    auto pixel = [](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = s[1];
        d[1] = s[3];
        d[2] = s[5];
    };
    const rows::RowSet& r = rows::ActiveRows();
    if (srcBpp == 6)
        return ForEachPixel<true, 3, 6>(NODRIX_FORWARD, pixel, Samples48{r.highByte}, 3, 6);
    return ForEachPixel<true, 3, 6>(NODRIX_FORWARD, pixel, Pixels{r.bgrx64To24High}, 3, 8);
}

int ReduceColorForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void*) {
    if (srcBpp == 3 && dstBpp == 3)
        return ForEachPixel<true, 3, 3>(NODRIX_FORWARD, CopyColor, CopyRow{}, 3, 3);
    return ForEachPixel<true, 3, 3>(NODRIX_FORWARD, CopyColor,
                                    Pixels{rows::ActiveRows().bgrx32To24}, 3, 4);
}

#undef NODRIX_FORWARD

}  // namespace nodrix::imaging
