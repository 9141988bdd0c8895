// Row expansion after a frame was read packed, and nearest-neighbour scaling
// for the preview.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "imaging/ConversionKernels.h"

namespace nodrix::imaging {

namespace {

// Rows arrive packed at width * bytes per pixel from the start of the
// buffer; each moves out to its place at the stride. The last row goes first
// so that no row is overwritten before it has moved; memmove handles the
// overlap within a row.
int ExpandRows(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
               int dstY, int dstBpp, int dstStride) {
    const std::size_t rowBytes = static_cast<std::size_t>(rect.Width()) * dstBpp;
    for (int r = rect.Height() - 1; r >= 0; --r) {
        const std::uint8_t* from = src + r * rowBytes;
        std::uint8_t* to = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                           static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        if (to != from) std::memmove(to, from, rowBytes);
    }
    return 1;
}

template <int kBytes>
int ScaleNearest(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g) {
    const int n = g.dstRect.Height();
    const int w = g.dstRect.Width();
    const int srcH = g.srcRect.Height();
    const int srcW = g.srcRect.Width();
    if (n <= 0 || w <= 0 || srcH <= 0 || srcW <= 0) return 0;
    const float rowStep = static_cast<float>(srcH) / static_cast<float>(n);
    const float columnStep = static_cast<float>(srcW) / static_cast<float>(w);
    // Source byte offsets of the destination columns, a block at a time so
    // that no per-call allocation is needed.
    constexpr int kBlock = 1024;
    int offsets[kBlock];
    for (int j0 = 0; j0 < w; j0 += kBlock) {
        const int count = std::min(kBlock, w - j0);
        for (int j = 0; j < count; ++j) {
            int v = static_cast<int>(columnStep * static_cast<float>(j0 + j));
            v = std::clamp(v, 0, srcW - 1);
            offsets[j] = (g.srcRect.left + v) * g.srcBpp;
        }
        bool contiguous = g.srcBpp == kBytes && g.dstBpp == kBytes;
        for (int j = 1; contiguous && j < count; ++j)
            contiguous = offsets[j] == offsets[j - 1] + kBytes;
        for (int i = 0; i < n; ++i) {
            int u = static_cast<int>(rowStep * static_cast<float>(i));
            u = std::clamp(u, 0, srcH - 1);
            const std::uint8_t* s =
                src + static_cast<std::ptrdiff_t>(g.srcRect.bottom - u - 1) * g.srcStride;
            std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(g.dstRect.top + i) * g.dstStride +
                              static_cast<std::ptrdiff_t>(g.dstRect.left + j0) * g.dstBpp;
            if (contiguous) {
                // One to one across: the row is a plain copy.
                std::memcpy(d, s + offsets[0], static_cast<std::size_t>(count) * kBytes);
                continue;
            }
            for (int j = 0; j < count; ++j, d += g.dstBpp) {
                const std::uint8_t* p = s + offsets[j];
                for (int b = 0; b < kBytes; ++b) d[b] = p[b];
            }
        }
    }
    return 1;
}

}  // namespace

int ExpandRows8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                int dstY, int dstBpp, int, int dstStride, int, void*) {
    return ExpandRows(dst, src, rect, dstX, dstY, dstBpp, dstStride);
}

int ExpandRows16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                 int dstY, int dstBpp, int, int dstStride, int, void*) {
    return ExpandRows(dst, src, rect, dstX, dstY, dstBpp, dstStride);
}

int ScaleNearest8(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g) {
    if (g.srcBpp < 1 || g.dstBpp < 1) return 0;
    return ScaleNearest<1>(dst, src, g);
}

int ScaleNearest24(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g) {
    if (g.srcBpp < 3 || g.dstBpp < 3) return 0;
    return ScaleNearest<3>(dst, src, g);
}

}  // namespace nodrix::imaging
