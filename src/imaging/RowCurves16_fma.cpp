// The 16-bit curve run of RowKernels.h that needs the fused multiply-add,
// for processors at the AVX2 level (which includes it).

#include <immintrin.h>

#include "imaging/RowCurves16Avx2Run.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

// The slope as the sum of two floats: the fused multiply-add rounds
// x * factor + x * factorLow once, some 48 bits of slope wide.
int Split16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
            bool keepFourth) {
    const __m256 high = _mm256_set1_ps(curve.factor);
    const __m256 low = _mm256_set1_ps(curve.factorLow);
    const __m256i start = _mm256_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [high, low, start](__m256i x) {
        const __m256 from = _mm256_cvtepi32_ps(_mm256_sub_epi32(x, start));
        return _mm256_cvttps_epi32(_mm256_fmadd_ps(from, high, _mm256_mul_ps(from, low)));
    });
}

}  // namespace

void SetFmaCurves16(RowSet& rows) {
    rows.split16 = Split16;
}

}  // namespace nodrix::imaging::rows
