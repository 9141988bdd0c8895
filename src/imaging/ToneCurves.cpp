// Brightness, contrast and gamma: each sample replaced by its table entry.

#include <cstdint>

#include "imaging/RowKernels.h"
#include "imaging/ToneKernels.h"

namespace nodrix::imaging {

namespace {

// kSamples colour samples per pixel of sizeof(Sample) bytes each; pixels
// are bpp bytes apart.
// scale, when given, does the start of a row of contiguous samples (a
// vectorised brightness); the table the rest.
template <typename Sample, int kSamples>
int ApplyTable(const Sample* table, std::uint8_t* dst, const std::uint8_t* src,
               const KernelRect& rect, int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
               int srcStride, rows::ScaleFn scale = nullptr, float factor = 1.0f) {
    constexpr int kMinBpp = kSamples * static_cast<int>(sizeof(Sample));
    if (dstBpp < kMinBpp || srcBpp < kMinBpp) return 0;
    const int width = rect.Width();
    for (int r = rect.top; r < rect.bottom; ++r) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dstY + r - rect.top) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        constexpr int kBytes = static_cast<int>(sizeof(Sample));
        if ((kSamples == 1 || kSamples == 3) && dstBpp == kSamples * kBytes &&
            srcBpp == kSamples * kBytes) {
            // Contiguous samples: one run over the whole row.
            const int count = kSamples * width;
            if constexpr (kBytes == 1) {
                // A vectorised table lookup beats even the brightness product.
                if (rows::ActiveRows().lookup8 != nullptr) {
                    rows::ActiveRows().lookup8(table, s, d, count);
                    continue;
                }
            }
            int i = 0;
            if constexpr (kBytes == 2) {
                if (scale == nullptr && rows::ActiveRows().lookup16 != nullptr)
                    i = rows::ActiveRows().lookup16(table, s, d, count);
            }
            if (scale != nullptr) i = scale(s, d, count, factor);
            if constexpr (kBytes == 1) {
                for (; i < count; ++i) d[i] = table[s[i]];
            } else {
                for (; i < count; ++i) {
                    const Sample v = table[s[2 * i] | (s[2 * i + 1] << 8)];
                    d[2 * i] = static_cast<std::uint8_t>(v);
                    d[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
                }
            }
            continue;
        }
        if constexpr (sizeof(Sample) == 1) {
            if (kSamples == 3 && dstBpp == 4 && srcBpp == 4 &&
                rows::ActiveRows().lookupBgrx8 != nullptr) {
                rows::ActiveRows().lookupBgrx8(table, s, d, width);
                continue;
            }
            for (int c = 0; c < width; ++c, s += srcBpp, d += dstBpp)
                for (int k = 0; k < kSamples; ++k) d[k] = table[s[k]];
        } else {
            for (int c = 0; c < width; ++c, s += srcBpp, d += dstBpp) {
                for (int k = 0; k < kSamples; ++k) {
                    const Sample v = table[s[2 * k] | (s[2 * k + 1] << 8)];
                    d[2 * k] = static_cast<std::uint8_t>(v);
                    d[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
                }
            }
        }
    }
    return 1;
}

inline const int* Value(void* param) {
    return static_cast<const int*>(param);
}

}  // namespace

#define NODRIX_TABLE_KERNEL(name, Sample, samples, tableOf)                                    \
    int name(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,     \
             int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {    \
        if (Value(param) == nullptr) return 0;                                                 \
        return ApplyTable<Sample, samples>(tableOf(*Value(param)), dst, src, rect, dstX, dstY, \
                                           dstBpp, srcBpp, dstStride, srcStride);              \
    }

// Brightness is a plain product, so contiguous samples can be scaled in
// vectors with the same single-precision arithmetic as its table.
#define NODRIX_BRIGHTNESS_KERNEL(name, Sample, samples, tableOf, scaleOf)                   \
    int name(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,  \
             int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) { \
        if (Value(param) == nullptr) return 0;                                              \
        return ApplyTable<Sample, samples>(                                                 \
            tableOf(*Value(param)), dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,  \
            srcStride, rows::ActiveRows().scaleOf, BrightnessFactor(*Value(param)));        \
    }

NODRIX_BRIGHTNESS_KERNEL(Brightness8, std::uint8_t, 1, BrightnessTable8, scale8)
NODRIX_BRIGHTNESS_KERNEL(Brightness16, std::uint16_t, 1, BrightnessTable16, scale16)
NODRIX_BRIGHTNESS_KERNEL(BrightnessColor8, std::uint8_t, 3, BrightnessTable8, scale8)
NODRIX_BRIGHTNESS_KERNEL(BrightnessColor16, std::uint16_t, 3, BrightnessTable16, scale16)

#undef NODRIX_BRIGHTNESS_KERNEL
NODRIX_TABLE_KERNEL(Contrast8, std::uint8_t, 1, ContrastTable8)
NODRIX_TABLE_KERNEL(Contrast16, std::uint16_t, 1, ContrastTable16)
NODRIX_TABLE_KERNEL(ContrastColor8, std::uint8_t, 3, ContrastTable8)
NODRIX_TABLE_KERNEL(ContrastColor16, std::uint16_t, 3, ContrastTable16)
NODRIX_TABLE_KERNEL(Gamma8, std::uint8_t, 1, GammaTable8)
NODRIX_TABLE_KERNEL(Gamma16, std::uint16_t, 1, GammaTable16)
NODRIX_TABLE_KERNEL(GammaColor8, std::uint8_t, 3, GammaTable8)
NODRIX_TABLE_KERNEL(GammaColor16, std::uint16_t, 3, GammaTable16)

#undef NODRIX_TABLE_KERNEL

}  // namespace nodrix::imaging
