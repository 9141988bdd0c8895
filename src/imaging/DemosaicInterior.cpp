// The demosaic interior: every pixel two or more pixels away from the
// rectangle's edges, so that the loop needs no edge tests. The vectorised
// runs do the bulk of each row; the formula below does the rest and is the
// reference the vectorised runs are tested against.

#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "imaging/DemosaicFormula.h"
#include "imaging/DemosaicSpans.h"
#include "imaging/ProcessorFeatures.h"

namespace nodrix::imaging {

namespace {

using demosaic::GainFactor;
using demosaic::SpanArgs;
using demosaic::SpanFn;

enum class Formula { Plain8, Vector8, Plain16 };

template <Formula kFormula>
using SampleOf = std::conditional_t<kFormula == Formula::Plain16, std::uint16_t, std::uint8_t>;

template <Formula kFormula>
inline void StorePixel(std::uint8_t* out, const demosaic::PixelSums& s, std::int32_t blueFactor,
                       std::int32_t redFactor) {
    if constexpr (kFormula == Formula::Plain16) {
        const std::uint16_t b = demosaic::Scale16(blueFactor, s.blue);
        const std::uint16_t g = static_cast<std::uint16_t>(s.green);
        const std::uint16_t r = demosaic::Scale16(redFactor, s.red);
        out[0] = static_cast<std::uint8_t>(b);
        out[1] = static_cast<std::uint8_t>(b >> 8);
        out[2] = static_cast<std::uint8_t>(g);
        out[3] = static_cast<std::uint8_t>(g >> 8);
        out[4] = static_cast<std::uint8_t>(r);
        out[5] = static_cast<std::uint8_t>(r >> 8);
    } else if constexpr (kFormula == Formula::Vector8) {
        out[0] = demosaic::ScaleVector8(blueFactor, s.blue);
        out[1] = static_cast<std::uint8_t>(s.green);
        out[2] = demosaic::ScaleVector8(redFactor, s.red);
    } else {
        out[0] = demosaic::Scale8(blueFactor, s.blue);
        out[1] = static_cast<std::uint8_t>(s.green);
        out[2] = demosaic::Scale8(redFactor, s.red);
    }
}

template <typename Sample>
inline std::int32_t LoadSample(const std::uint8_t* row, int column) {
    if constexpr (sizeof(Sample) == 2) {
        const std::uint8_t* p = row + 2 * column;
        return p[0] | (p[1] << 8);
    } else {
        return row[column];
    }
}

template <Formula kFormula>
int Interior(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX, int dstY,
             int dstBpp, int srcBpp, int dstStride, int srcStride, void* param, SpanFn span) {
    using Sample = SampleOf<kFormula>;
    const auto* p = static_cast<const DemosaicParams*>(param);
    if (p == nullptr || srcBpp != static_cast<int>(sizeof(Sample))) return 0;
    const int minBpp = 3 * static_cast<int>(sizeof(Sample));
    if (dstBpp != minBpp && dstBpp != minBpp + static_cast<int>(sizeof(Sample))) return 0;
    const int width = rect.Width();
    const int height = rect.Height();
    const std::int32_t blueFactor = GainFactor(p->blueGain);
    const std::int32_t redFactor = GainFactor(p->redGain);
    const int rowPhase = BayerRowPhase(p->bayerMode);
    const int columnPhase = BayerColumnPhase(p->bayerMode);
    const std::uint8_t* base = src + static_cast<std::ptrdiff_t>(rect.top) * srcStride +
                               static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
    for (int r = 2; r <= height - 3; ++r) {
        SpanArgs a;
        for (int k = 0; k < 4; ++k)
            a.rows[k] = base + static_cast<std::ptrdiff_t>(r - 2 + k) * srcStride;
        a.rowParity = (r + rowPhase) & 1;
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(dstY + r) * dstStride +
                            static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        auto pixel = [&](int c) {
            auto at = [&](int dy, int dx) { return LoadSample<Sample>(a.rows[dy + 2], c + dx); };
            const demosaic::PixelSums s = demosaic::SumsAt(at, a.rowParity, (c + columnPhase) & 1);
            StorePixel<kFormula>(out + static_cast<std::ptrdiff_t>(c) * dstBpp, s, blueFactor,
                                 redFactor);
        };
        demosaic::RunInteriorColumns(width, columnPhase, span, a, out, dstBpp, blueFactor,
                                     redFactor, pixel);
    }
    return 1;
}

bool VectorFormulaApplies(const DemosaicParams* p, int dstBpp) {
    return p != nullptr && dstBpp == 3 && p->redGain <= 200 && p->greenGain <= 200 &&
           p->blueGain <= 200;
}

}  // namespace

int DemosaicInterior8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                      int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    const auto* p = static_cast<const DemosaicParams*>(param);
    SpanFn span = demosaic::ActiveSpans().plain8;
    if (p != nullptr && (GainFactor(p->blueGain) > demosaic::kMaxPlainRunFactor8 ||
                         GainFactor(p->redGain) > demosaic::kMaxPlainRunFactor8))
        span = nullptr;
    return Interior<Formula::Plain8>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                     srcStride, param, span);
}

int DemosaicInterior8Vector(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                            int dstX, int dstY, int dstBpp, int srcBpp, int dstStride,
                            int srcStride, void* param) {
    // Beyond 24-bit output and gains of 200 the vector formula's lanes would
    // overflow; such frames take the plain formula, as the kernel choice does.
    if (!VectorFormulaApplies(static_cast<const DemosaicParams*>(param), dstBpp))
        return DemosaicInterior8(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
                                 param);
    return Interior<Formula::Vector8>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                      srcStride, param, demosaic::ActiveSpans().vector8);
}

int DemosaicInterior16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                       int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                       void* param) {
    const auto* p = static_cast<const DemosaicParams*>(param);
    SpanFn span = demosaic::ActiveSpans().plain16;
    if (p != nullptr && (GainFactor(p->blueGain) > 2047 || GainFactor(p->redGain) > 2047))
        span = nullptr;
    return Interior<Formula::Plain16>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                      srcStride, param, span);
}

namespace demosaic {

// Reference entry points for tests and benchmarks: the same kernels with a
// given run function (null: the formula alone).
int InteriorWithSpan8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                      int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param,
                      bool vectorFormula, SpanFn span) {
    if (vectorFormula)
        return Interior<Formula::Vector8>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                          srcStride, param, span);
    return Interior<Formula::Plain8>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                     srcStride, param, span);
}

int InteriorWithSpan16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                       int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param,
                       SpanFn span) {
    return Interior<Formula::Plain16>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride,
                                      srcStride, param, span);
}

}  // namespace demosaic

PixelKernel ChooseDemosaicInterior8(const ProcessorFeatures& features, int dstBpp,
                                    const DemosaicParams& params) {
    if (!VectorFormulaApplies(&params, dstBpp)) return DemosaicInterior8;
    const std::uint32_t ready = features.reported & features.usable;
    if (ready & (kFeatureSse3 | kFeatureSse2 | kFeatureMmx)) return DemosaicInterior8Vector;
    return DemosaicInterior8;
}

}  // namespace nodrix::imaging
