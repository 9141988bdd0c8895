// Colour to grey and the reductions of 16-bit and 32-bit images to the 8-bit
// and 24-bit formats that the preview and the recorder take.

#include <cstdint>
#include <cstring>

#include "imaging/ConversionKernels.h"
#include "imaging/RowKernels.h"
#include "imaging/SampleDepth.h"

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

// A loop over pixels as it is.
struct Pixels {
    rows::PixelsFn fn;
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        return fn != nullptr ? fn(s, d, width) : 0;
    }
};
// A loop over 16-bit samples, samplesPerPixel of them per pixel (1 grey, 3
// for 48-bit pixels). A pixel it only half did is done again by the caller.
struct TopBytesOfSamples {
    rows::SamplesToBytes fn;
    int shift;
    int samplesPerPixel;
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        return fn != nullptr ? fn(s, d, samplesPerPixel * width, shift) / samplesPerPixel : 0;
    }
};
// A loop over 64-bit pixels to three top bytes each.
struct TopBytesOfBgrx64 {
    rows::Bgrx64ToBytes fn;
    int shift;
    int operator()(const std::uint8_t* s, std::uint8_t* d, int width) const {
        return fn != nullptr ? fn(s, d, width, shift) : 0;
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

// 16-bit grey to the top byte of its significant bits.
template <bool kReverse>
int ReduceGrey16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                 int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, int shift) {
    return ForEachPixel<kReverse, 1, 2>(
        dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
        [shift](std::uint8_t* d, const std::uint8_t* s) { d[0] = TopByteAt(s, shift); },
        TopBytesOfSamples{rows::ActiveRows().topBytes, shift, 1}, 1, 2);
}

// 48/64-bit colour to 24 bits, each sample to the top byte of its
// significant bits.
template <bool kReverse>
int ReduceColor16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                  int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, int shift) {
    auto pixel = [shift](std::uint8_t* d, const std::uint8_t* s) {
        d[0] = TopByteAt(s, shift);
        d[1] = TopByteAt(s + 2, shift);
        d[2] = TopByteAt(s + 4, shift);
    };
    const rows::RowSet& r = rows::ActiveRows();
    if (srcBpp == 6) {
        return ForEachPixel<kReverse, 3, 6>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                            srcStride, pixel,
                                            TopBytesOfSamples{r.topBytes, shift, 3}, 3, 6);
    }
    return ForEachPixel<kReverse, 3, 6>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                        srcStride, pixel, TopBytesOfBgrx64{r.bgrx64To24Top, shift},
                                        3, 8);
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
                           void* param) {
    return ReduceGrey16<false>(NODRIX_FORWARD, TopByteShiftOf(param));
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
                            int srcStride, void* param) {
    return ReduceColor16<false>(NODRIX_FORWARD, TopByteShiftOf(param));
}

int ReduceGrey16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                             int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                             int srcStride, void* param) {
    return ReduceGrey16<true>(NODRIX_FORWARD, TopByteShiftOf(param));
}

int ReduceColor16ForRecording(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                              int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                              int srcStride, void* param) {
    return ReduceColor16<true>(NODRIX_FORWARD, TopByteShiftOf(param));
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

void GreyRowToBgr(const std::uint8_t* src, std::uint8_t* dst, int count) {
    const rows::PixelsFn vector = rows::ActiveRows().greyToBgr;
    int x = vector != nullptr ? vector(src, dst, count) : 0;
    for (std::uint8_t* d = dst + 3 * x; x < count; ++x, d += 3) d[0] = d[1] = d[2] = src[x];
}

}  // namespace nodrix::imaging
