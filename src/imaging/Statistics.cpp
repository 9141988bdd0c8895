// Statistics behind automatic exposure, grey balance and white balance.

#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/RowKernels.h"
#include "imaging/SampleDepth.h"

namespace nodrix::imaging {

namespace {

inline std::uint32_t Sample16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}

// shift: of 16-bit samples to the 0..255 scale.
template <bool kWide>
int MeanOfRect(const std::uint8_t* src, const KernelRect& rect, int srcBpp, int srcStride,
               int shift) {
    if (rect.Empty() || srcBpp < (kWide ? 2 : 1)) return 0;
    std::uint64_t sum = 0;
    for (int r = rect.top; r < rect.bottom; ++r) {
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        int c = 0;
        if (srcBpp == (kWide ? 2 : 1)) {
            const rows::RowSet& fast = rows::ActiveRows();
            if (kWide && fast.levelSum16 != nullptr) c = fast.levelSum16(p, rect.Width(), shift, sum);
            if (!kWide && fast.paritySum8 != nullptr) {
                std::uint64_t sums[2] = {0, 0};
                c = fast.paritySum8(p, rect.Width(), sums);
                sum += sums[0] + sums[1];
            }
        }
        for (p += static_cast<std::ptrdiff_t>(c) * srcBpp; c < rect.Width(); ++c, p += srcBpp)
            sum += kWide ? TopByteAt(p, shift) : *p;
    }
    const std::uint64_t count = static_cast<std::uint64_t>(rect.Width()) * rect.Height();
    return static_cast<int>(sum / count);
}

// Sums and counts of the four Bayer positions, indexed [row parity][column
// parity].
struct PositionSums {
    std::uint64_t sum[2][2] = {};
    std::uint64_t count[2][2] = {};
};

template <bool kWide>
PositionSums SumPositions(const std::uint8_t* src, const KernelRect& rect, int srcBpp,
                          int srcStride, int bayerMode) {
    PositionSums s;
    for (int r = rect.top; r < rect.bottom; ++r) {
        const int rp = (r - rect.top + BayerRowPhase(bayerMode)) & 1;
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint64_t sums[2] = {0, 0};
        int counts[2] = {0, 0};
        int c = 0;
        rows::ParitySumFn fast =
            kWide ? rows::ActiveRows().paritySum16 : rows::ActiveRows().paritySum8;
        if (fast != nullptr && srcBpp == (kWide ? 2 : 1)) {
            // Positions counted from the row start: index parity 0 is the
            // column phase of the mode.
            std::uint64_t byIndex[2] = {0, 0};
            c = fast(p, rect.Width(), byIndex);
            const int cp0 = BayerColumnPhase(bayerMode);
            sums[cp0] += byIndex[0];
            sums[cp0 ^ 1] += byIndex[1];
            counts[0] = counts[1] = c / 2;
            p += static_cast<std::ptrdiff_t>(c) * srcBpp;
        }
        for (; c < rect.Width(); ++c, p += srcBpp) {
            const int cp = (c + BayerColumnPhase(bayerMode)) & 1;
            sums[cp] += kWide ? Sample16(p) : *p;
            ++counts[cp];
        }
        for (int cp = 0; cp < 2; ++cp) {
            s.sum[rp][cp] += sums[cp];
            s.count[rp][cp] += static_cast<std::uint64_t>(counts[cp]);
        }
    }
    return s;
}

template <bool kWide>
int WhiteBalanceStats(const std::uint8_t* src, const KernelRect& rect, int srcBpp, int srcStride,
                      void* param) {
    auto* p = static_cast<DemosaicParams*>(param);
    if (p == nullptr) return 0;
    const PositionSums s = SumPositions<kWide>(src, rect, srcBpp, srcStride, p->bayerMode);
    const std::uint64_t greenCount = s.count[0][0] + s.count[1][1];
    if (greenCount == 0 || s.count[0][1] == 0 || s.count[1][0] == 0) return 1;
    const double l = static_cast<double>(s.sum[0][0] + s.sum[1][1]) / greenCount;
    const double blue = static_cast<double>(s.sum[0][1]) / s.count[0][1];
    const double red = static_cast<double>(s.sum[1][0]) / s.count[1][0];
    // A colour without light has no gain that could balance it.
    if (l <= 0.0 || blue <= 0.0 || red <= 0.0) return 1;
    const double m = l + blue + red;
    p->blueGain = static_cast<int>(m / blue / 3 * 100 / (m / l / 3));
    p->greenGain = 100;
    p->redGain = static_cast<int>(m / red / 3 * 100 / (m / l / 3));
    return 1;
}

}  // namespace

int MeanOfRect8(std::uint8_t*, const std::uint8_t* src, const KernelRect& rect, int, int, int,
                int srcBpp, int, int srcStride, void*) {
    return MeanOfRect<false>(src, rect, srcBpp, srcStride, 0);
}

int MeanOfRect16(std::uint8_t*, const std::uint8_t* src, const KernelRect& rect, int, int, int,
                 int srcBpp, int, int srcStride, void* param) {
    return MeanOfRect<true>(src, rect, srcBpp, srcStride, TopByteShiftOf(param));
}

int GreyBalanceStats8(std::uint8_t*, const std::uint8_t* src, const KernelRect& rect, int, int, int,
                      int srcBpp, int, int srcStride, void* param) {
    auto* p = static_cast<GreyGainOffsetParams*>(param);
    if (p == nullptr) return 0;
    const PositionSums s = SumPositions<false>(src, rect, srcBpp, srcStride, p->bayerMode);
    auto mean = [&](int rp, int cp) {
        return static_cast<float>(s.sum[rp][cp]) / static_cast<float>(s.count[rp][cp]);
    };
    if (s.count[0][0] == 0) return 1;
    const float m00 = mean(0, 0);
    p->gains[GreyPositionIndex(0, 0)] = 128;
    static constexpr int kOthers[3][2] = {{0, 1}, {1, 1}, {1, 0}};
    for (const auto& pos : kOthers) {
        if (s.count[pos[0]][pos[1]] == 0) continue;
        const float m = mean(pos[0], pos[1]);
        if (m <= 0.0f) continue;
        const float g = m00 / m * 128.0f;
        p->gains[GreyPositionIndex(pos[0], pos[1])] = static_cast<int>(g);
    }
    return 1;
}

int WhiteBalanceStats8(std::uint8_t*, const std::uint8_t* src, const KernelRect& rect, int, int,
                       int, int srcBpp, int, int srcStride, void* param) {
    return WhiteBalanceStats<false>(src, rect, srcBpp, srcStride, param);
}

int WhiteBalanceStats16(std::uint8_t*, const std::uint8_t* src, const KernelRect& rect, int, int,
                        int, int srcBpp, int, int srcStride, void* param) {
    return WhiteBalanceStats<true>(src, rect, srcBpp, srcStride, param);
}

}  // namespace nodrix::imaging
