// The 16-bit curve runs of RowKernels.h for processors with AVX2.

#include <immintrin.h>

#include "imaging/RowCurves16Avx2Run.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

int Scale16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
            bool keepFourth) {
    const __m256 f = _mm256_set1_ps(curve.factor);
    const __m256i start = _mm256_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [f, start](__m256i x) {
        return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(x, start)), f));
    });
}

// The same double-precision product as the table, four lanes at a time.
int Line16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
           bool keepFourth) {
    const __m256d slope = _mm256_set1_pd(curve.slope);
    const __m256i start = _mm256_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [&](__m256i x) {
        const __m256i from = _mm256_sub_epi32(x, start);
        const __m128i lo = _mm256_cvttpd_epi32(
            _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(from)), slope));
        const __m128i hi = _mm256_cvttpd_epi32(
            _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(from, 1)), slope));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    });
}

// Gathers 32 bits at each sample's entry and keeps the low half.
int Lookup16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
             bool keepFourth) {
    const int* base = reinterpret_cast<const int*>(curve.table);
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    return Run(src, dst, count, keepFourth, [base, low](__m256i x) {
        return _mm256_and_si256(_mm256_i32gather_epi32(base, x, 2), low);
    });
}

}  // namespace

void SetAvx2Curves16(RowSet& rows) {
    rows.scale16 = Scale16;
    rows.line16 = Line16;
    rows.lookup16 = Lookup16;
}

}  // namespace nodrix::imaging::rows
