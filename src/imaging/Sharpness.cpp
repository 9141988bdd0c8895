// Unsharp mask against the 4 x 4 box mean: each interior sample moves away
// from the mean of the 4 x 4 block whose corner it shares, by strength / 10
// of the difference. The box sums come from running column sums over the
// four source rows, so each sample costs a few additions; the result equals
// summing the 16 samples directly.

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "imaging/RowKernels.h"
#include "imaging/ToneKernels.h"
#include "platform/ThreadLocal.h"

namespace nodrix::imaging {

namespace {

template <typename Sample, int kSamples>
int Sharpen(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX, int dstY,
            int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    constexpr int kBytes = static_cast<int>(sizeof(Sample));
    constexpr int kMax = kBytes == 1 ? 255 : 65535;
    const auto* strength = static_cast<const int*>(param);
    if (strength == nullptr || dstBpp < kSamples * kBytes || srcBpp < kSamples * kBytes) return 0;
    // Sharpening needs the unsharpened samples of the neighbours.
    if (dst == src && dstStride == srcStride) return 0;
    const int c10 = *strength;
    const int width = rect.Width();
    const int height = rect.Height();
    if (width < 5 || height < 5) return 1;

    auto sample = [&](const std::uint8_t* p, int k) -> std::int32_t {
        if constexpr (kBytes == 1)
            return p[k];
        else
            return p[2 * k] | (p[2 * k + 1] << 8);
    };
    const std::uint8_t* base = src + static_cast<std::ptrdiff_t>(rect.top) * srcStride +
                               static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
    // Rows whose pixels are just their colour samples, or 32/64-bit pixels
    // whose fourth sample is kept, go to the vectorised row loop; strengths
    // above 30 would leave its range.
    const rows::RowSet& vector = rows::ActiveRows();
    const bool packed = dstBpp == srcBpp &&
                        (dstBpp == kSamples * kBytes || (kSamples == 3 && dstBpp == 4 * kBytes));
    const bool haveRow =
        kBytes == 1 ? vector.sharpenRow8 != nullptr : vector.sharpenRow16 != nullptr;
    if (packed && haveRow && c10 >= 0 && c10 <= 30) {
        using Sum = std::conditional_t<kBytes == 1, std::uint16_t, std::int32_t>;
        static platform::ThreadLocal<std::vector<Sum>> sumsOfThread;
        std::vector<Sum>& sums = sumsOfThread.Get();
        const int step = dstBpp / kBytes;
        const int count = width * step;
        sums.resize(static_cast<std::size_t>(count));
        for (int r = 2; r <= height - 3; ++r) {
            const std::uint8_t* rows[4];
            for (int k = 0; k < 4; ++k)
                rows[k] = base + static_cast<std::ptrdiff_t>(r - 2 + k) * srcStride;
            std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                                static_cast<std::ptrdiff_t>(dstX) * dstBpp;
            if constexpr (kBytes == 1)
                vector.sharpenRow8(rows, out, count, step, c10, sums.data());
            else
                vector.sharpenRow16(rows, out, count, step, c10, sums.data());
        }
        return 1;
    }
    // Column sums of the four rows r-2..r+1, per colour sample; reused
    // between calls on this thread.
    static platform::ThreadLocal<std::vector<std::int32_t>> columnsOfThread;
    std::vector<std::int32_t>& columns = columnsOfThread.Get();
    columns.resize(static_cast<std::size_t>(width) * kSamples);
    for (int r = 2; r <= height - 3; ++r) {
        const std::uint8_t* rows[4];
        for (int k = 0; k < 4; ++k)
            rows[k] = base + static_cast<std::ptrdiff_t>(r - 2 + k) * srcStride;
        for (int c = 0; c < width; ++c)
            for (int k = 0; k < kSamples; ++k) {
                const std::ptrdiff_t o = static_cast<std::ptrdiff_t>(c) * srcBpp;
                columns[static_cast<std::size_t>(c) * kSamples + k] =
                    sample(rows[0] + o, k) + sample(rows[1] + o, k) + sample(rows[2] + o, k) +
                    sample(rows[3] + o, k);
            }
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                            static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        for (int c = 2; c <= width - 3; ++c) {
            for (int k = 0; k < kSamples; ++k) {
                const std::int32_t* col = &columns[static_cast<std::size_t>(c - 2) * kSamples + k];
                const std::int32_t blur =
                    (col[0] + col[kSamples] + col[2 * kSamples] + col[3 * kSamples]) >> 4;
                const std::int32_t s = sample(rows[2] + static_cast<std::ptrdiff_t>(c) * srcBpp, k);
                // (strength * difference) / 10, truncated toward zero.
                const std::int32_t v = std::clamp(s + (c10 * (s - blur)) / 10, 0, kMax);
                std::uint8_t* d = out + static_cast<std::ptrdiff_t>(c) * dstBpp;
                if constexpr (kBytes == 1) {
                    d[k] = static_cast<std::uint8_t>(v);
                } else {
                    d[2 * k] = static_cast<std::uint8_t>(v);
                    d[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
                }
            }
        }
    }
    return 1;
}

}  // namespace

int Sharpness8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
               int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Sharpen<std::uint8_t, 1>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                    srcStride, param);
}

int Sharpness16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Sharpen<std::uint16_t, 1>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                     srcStride, param);
}

int SharpnessColor8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                    int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Sharpen<std::uint8_t, 3>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                    srcStride, param);
}

int SharpnessColor16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                     int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    return Sharpen<std::uint16_t, 3>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                     srcStride, param);
}

}  // namespace nodrix::imaging
