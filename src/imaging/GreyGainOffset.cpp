// Per-position grey gains and offsets: value = offset + gain * sample / 128.

#include <algorithm>
#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging {

namespace {

int MaxForDepth(int depth) {
    switch (depth) {
        case 10:
            return 1023;
        case 12:
            return 4095;
        case 14:
            return 16383;
        default:
            return 65535;
    }
}

template <bool kWide>
int GreyGainOffset(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                   int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    const auto* p = static_cast<const GreyGainOffsetParams*>(param);
    const int sampleBytes = kWide ? 2 : 1;
    if (p == nullptr || dstBpp < sampleBytes || srcBpp < sampleBytes) return 0;
    const int maxValue = kWide ? MaxForDepth(p->depth) : 255;
    // The vectorised loop takes samples packed without gaps and the gains
    // and offsets its lanes hold.
    rows::GainOffsetFn fast =
        kWide ? rows::ActiveRows().gainOffset16 : rows::ActiveRows().gainOffset8;
    if (dstBpp != sampleBytes || srcBpp != sampleBytes) fast = nullptr;
    for (int i = 0; i < 4; ++i)
        if (p->gains[i] < 0 || p->gains[i] > 256 || p->offsets[i] < -16384 || p->offsets[i] > 16384)
            fast = nullptr;
    for (int r = rect.top; r < rect.bottom; ++r) {
        const int rp = (r - rect.top + BayerRowPhase(p->bayerMode)) & 1;
        // The two positions of this row, for even and odd column phase.
        std::int64_t gain[2], offset[2];
        for (int cp = 0; cp < 2; ++cp) {
            const int i = GreyPositionIndex(rp, cp);
            gain[cp] = p->gains[i];
            offset[cp] = p->offsets[i];
        }
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dstY + r - rect.top) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        int cp = BayerColumnPhase(p->bayerMode);
        int c = rect.left;
        if (fast != nullptr) {
            const int g[2] = {static_cast<int>(gain[cp]), static_cast<int>(gain[cp ^ 1])};
            const int o[2] = {static_cast<int>(offset[cp]), static_cast<int>(offset[cp ^ 1])};
            const int done = fast(s, d, rect.Width(), g, o, maxValue);
            c += done;
            s += static_cast<std::ptrdiff_t>(done) * srcBpp;
            d += static_cast<std::ptrdiff_t>(done) * dstBpp;
            cp ^= done & 1;
        }
        for (; c < rect.right; ++c, s += srcBpp, d += dstBpp, cp ^= 1) {
            const std::int64_t sample = kWide ? (s[0] | (s[1] << 8)) : s[0];
            const std::int64_t v =
                std::clamp<std::int64_t>(offset[cp] + gain[cp] * sample / 128, 0, maxValue);
            d[0] = static_cast<std::uint8_t>(v);
            if (kWide) d[1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    return 1;
}

}  // namespace

int GreyGainOffset8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                    int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return GreyGainOffset<false>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
                                 param);
}

int GreyGainOffset16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                     int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return GreyGainOffset<true>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
                                param);
}

}  // namespace nodrix::imaging
