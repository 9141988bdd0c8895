// Brightness, contrast and gamma: each sample replaced by its table entry.
// Rows of contiguous samples go to a vectorised run where the level has one;
// a run may compute the curve rather than look it up when it gives exactly
// the table's entries.

#include <cstdint>

#include "imaging/RowKernels.h"
#include "imaging/ToneKernels.h"

namespace nodrix::imaging {

namespace {

inline std::uint16_t Load16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void Store16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// kSamples colour samples of 8 bits per pixel; pixels are bpp bytes apart.
// scale, when given, does the start of a row of contiguous samples (a
// vectorised brightness); the table the rest.
template <int kSamples>
int ApplyTable8(const std::uint8_t* table, std::uint8_t* dst, const std::uint8_t* src,
                const KernelRect& rect, int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                int srcStride, rows::ScaleFn scale = nullptr, float factor = 1.0f) {
    if (dstBpp < kSamples || srcBpp < kSamples) return 0;
    const rows::RowSet& vector = rows::ActiveRows();
    const int width = rect.Width();
    for (int r = rect.top; r < rect.bottom; ++r) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dstY + r - rect.top) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        if (dstBpp == kSamples && srcBpp == kSamples) {
            // Contiguous samples: one run over the whole row. A vectorised
            // table lookup beats even the brightness product.
            const int count = kSamples * width;
            if (vector.lookup8 != nullptr) {
                vector.lookup8(table, s, d, count);
                continue;
            }
            int i = scale != nullptr ? scale(s, d, count, factor) : 0;
            for (; i < count; ++i) d[i] = table[s[i]];
            continue;
        }
        if (kSamples == 3 && dstBpp == 4 && srcBpp == 4 && vector.lookupBgrx8 != nullptr) {
            vector.lookupBgrx8(table, s, d, width);
            continue;
        }
        for (int c = 0; c < width; ++c, s += srcBpp, d += dstBpp)
            for (int k = 0; k < kSamples; ++k) d[k] = table[s[k]];
    }
    return 1;
}

// kSamples colour samples of 16 bits per pixel through curve.table; run,
// when given, does the start of each row whose samples are contiguous or
// whose pixels are 64 bits (keeping the fourth sample).
template <int kSamples>
int ApplyCurve16(const rows::Curve16& curve, rows::Run16Fn run, std::uint8_t* dst,
                 const std::uint8_t* src, const KernelRect& rect, int dstX, int dstY, int dstBpp,
                 int srcBpp, int dstStride, int srcStride) {
    if (dstBpp < 2 * kSamples || srcBpp < 2 * kSamples) return 0;
    const std::uint16_t* table = curve.table;
    const bool packed = dstBpp == srcBpp && (dstBpp == 2 * kSamples || (kSamples == 3 && dstBpp == 8));
    const bool keepFourth = packed && dstBpp == 8;
    const int width = rect.Width();
    for (int r = rect.top; r < rect.bottom; ++r) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dstY + r - rect.top) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        if (packed) {
            const int count = dstBpp / 2 * width;
            int i = run != nullptr ? run(curve, s, d, count, keepFourth) : 0;
            for (; i < count; ++i)
                if (!keepFourth || i % 4 != 3) Store16(d + 2 * i, table[Load16(s + 2 * i)]);
            continue;
        }
        for (int c = 0; c < width; ++c, s += srcBpp, d += dstBpp)
            for (int k = 0; k < kSamples; ++k) Store16(d + 2 * k, table[Load16(s + 2 * k)]);
    }
    return 1;
}

inline const int* Value(void* param) {
    return static_cast<const int*>(param);
}

rows::Curve16 Lookup(const std::uint16_t* table) {
    rows::Curve16 curve;
    curve.table = table;
    return curve;
}

// Brightness is a plain product, so samples can be scaled in vectors with
// the same single-precision arithmetic as its table.
rows::Curve16 BrightnessCurve16(int value) {
    rows::Curve16 curve = Lookup(BrightnessTable16(value));
    curve.factor = BrightnessFactor(value);
    return curve;
}

}  // namespace

#define NODRIX_KERNEL_ARGS                                                                  \
    std::uint8_t *dst, const std::uint8_t *src, const KernelRect &rect, int dstX, int dstY, \
        int dstBpp, int srcBpp, int dstStride, int srcStride, void *param
#define NODRIX_FORWARD dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride

#define NODRIX_TABLE8_KERNEL(name, samples, tableOf)                                  \
    int name(NODRIX_KERNEL_ARGS) {                                                    \
        if (Value(param) == nullptr) return 0;                                        \
        return ApplyTable8<samples>(tableOf(*Value(param)), NODRIX_FORWARD);          \
    }
#define NODRIX_BRIGHTNESS8_KERNEL(name, samples)                                      \
    int name(NODRIX_KERNEL_ARGS) {                                                    \
        if (Value(param) == nullptr) return 0;                                        \
        return ApplyTable8<samples>(BrightnessTable8(*Value(param)), NODRIX_FORWARD,  \
                                    rows::ActiveRows().scale8,                        \
                                    BrightnessFactor(*Value(param)));                 \
    }
// curveOf gives the curve of the value and the run that computes it.
#define NODRIX_CURVE16_KERNEL(name, samples, curveOf, runOf)                          \
    int name(NODRIX_KERNEL_ARGS) {                                                    \
        if (Value(param) == nullptr) return 0;                                        \
        const rows::Curve16 curve = curveOf(*Value(param));                           \
        return ApplyCurve16<samples>(curve, runOf, NODRIX_FORWARD);                   \
    }

namespace {

rows::Curve16 ContrastCurve16(int value) {
    const ComputedCurve16* line = ContrastLine16(value);
    return line != nullptr ? line->curve : Lookup(ContrastTable16(value));
}
rows::Run16Fn ContrastRun16(int value) {
    const ComputedCurve16* line = ContrastLine16(value);
    return line != nullptr ? line->run : rows::ActiveRows().lookup16;
}
rows::Curve16 GammaCurve16(int value) {
    return Lookup(GammaTable16(value));
}

}  // namespace

NODRIX_BRIGHTNESS8_KERNEL(Brightness8, 1)
NODRIX_BRIGHTNESS8_KERNEL(BrightnessColor8, 3)
NODRIX_CURVE16_KERNEL(Brightness16, 1, BrightnessCurve16, rows::ActiveRows().scale16)
NODRIX_CURVE16_KERNEL(BrightnessColor16, 3, BrightnessCurve16, rows::ActiveRows().scale16)
NODRIX_TABLE8_KERNEL(Contrast8, 1, ContrastTable8)
NODRIX_TABLE8_KERNEL(ContrastColor8, 3, ContrastTable8)
NODRIX_CURVE16_KERNEL(Contrast16, 1, ContrastCurve16, ContrastRun16(*Value(param)))
NODRIX_CURVE16_KERNEL(ContrastColor16, 3, ContrastCurve16, ContrastRun16(*Value(param)))
NODRIX_TABLE8_KERNEL(Gamma8, 1, GammaTable8)
NODRIX_TABLE8_KERNEL(GammaColor8, 3, GammaTable8)
NODRIX_CURVE16_KERNEL(Gamma16, 1, GammaCurve16, rows::ActiveRows().lookup16)
NODRIX_CURVE16_KERNEL(GammaColor16, 3, GammaCurve16, rows::ActiveRows().lookup16)

#undef NODRIX_TABLE8_KERNEL
#undef NODRIX_BRIGHTNESS8_KERNEL
#undef NODRIX_CURVE16_KERNEL
#undef NODRIX_FORWARD
#undef NODRIX_KERNEL_ARGS

}  // namespace nodrix::imaging
