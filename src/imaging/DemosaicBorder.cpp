// The demosaic of the two outer rows and columns on each side. A neighbour
// outside the rectangle is taken from four positions further in, which has
// the same Bayer phase. Every strip pixel is computed at its own phase, so
// odd widths and heights get the colours of their true pattern position.

#include <algorithm>
#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/DemosaicFormula.h"

namespace nodrix::imaging {

namespace {

// Folds an index outside 0..size-1 back by four; tiny rectangles (under four
// pixels) are clamped as well.
inline int Fold(int i, int size) {
    if (i < 0)
        i += 4;
    else if (i >= size)
        i -= 4;
    return std::clamp(i, 0, size - 1);
}

template <bool kWide>
int Border(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX, int dstY,
           int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    const auto* p = static_cast<const DemosaicParams*>(param);
    const int sampleBytes = kWide ? 2 : 1;
    if (p == nullptr || srcBpp != sampleBytes) return 0;
    if (dstBpp != 3 * sampleBytes && dstBpp != 4 * sampleBytes) return 0;
    const int width = rect.Width();
    const int height = rect.Height();
    const std::int32_t blueFactor = demosaic::GainFactor(p->blueGain);
    const std::int32_t redFactor = demosaic::GainFactor(p->redGain);
    const int rowPhase = BayerRowPhase(p->bayerMode);
    const int columnPhase = BayerColumnPhase(p->bayerMode);
    const std::uint8_t* base = src + static_cast<std::ptrdiff_t>(rect.top) * srcStride +
                               static_cast<std::ptrdiff_t>(rect.left) * srcBpp;

    auto pixel = [&](int r, int c) {
        auto at = [&](int dy, int dx) -> std::int32_t {
            const std::uint8_t* s = base +
                                    static_cast<std::ptrdiff_t>(Fold(r + dy, height)) * srcStride +
                                    static_cast<std::ptrdiff_t>(Fold(c + dx, width)) * srcBpp;
            return kWide ? (s[0] | (s[1] << 8)) : s[0];
        };
        const demosaic::PixelSums s = demosaic::SumsAt(at, (r + rowPhase) & 1, (c + columnPhase) & 1);
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                            static_cast<std::ptrdiff_t>(dstX + c) * dstBpp;
        if constexpr (kWide) {
            const std::uint16_t v[3] = {demosaic::Scale16(blueFactor, s.blue),
                                        static_cast<std::uint16_t>(s.green),
                                        demosaic::Scale16(redFactor, s.red)};
            for (int i = 0; i < 3; ++i) {
                out[2 * i] = static_cast<std::uint8_t>(v[i]);
                out[2 * i + 1] = static_cast<std::uint8_t>(v[i] >> 8);
            }
        } else {
            out[0] = demosaic::Scale8(blueFactor, s.blue);
            out[1] = static_cast<std::uint8_t>(s.green);
            out[2] = demosaic::Scale8(redFactor, s.red);
        }
    };
    auto rows = [&](int first, int last) {
        for (int r = std::max(first, 0); r <= last; ++r)
            for (int c = 0; c < width; ++c) pixel(r, c);
    };
    auto columns = [&](int first, int last) {
        for (int r = 0; r < height; ++r)
            for (int c = std::max(first, 0); c <= last; ++c) pixel(r, c);
    };
    rows(0, std::min(1, height - 1));
    rows(height - 2, height - 1);
    columns(0, std::min(1, width - 1));
    columns(width - 2, width - 1);
    return 1;
}

}  // namespace

int DemosaicBorder8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                    int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Border<false>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, param);
}

int DemosaicBorder16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                     int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                     void* param) {
    return Border<true>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, param);
}

}  // namespace nodrix::imaging
