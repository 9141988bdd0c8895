// The 16-bit curve runs of RowKernels.h for processors with AVX2: eight
// samples widened to 32-bit lanes at a time, the results packed back with
// unsigned saturation (which is the limit to 0..65535).

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

inline __m256i Widen(const std::uint8_t* p) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// eight maps eight samples in 32-bit lanes to eight results, any of which
// may lie outside 0..65535 as long as it fits in 32 bits.
template <typename Eight>
int Run(const std::uint8_t* src, std::uint8_t* dst, int count, bool keepFourth, Eight eight) {
    // The fourth 16-bit sample of every 64-bit pixel.
    const __m256i fourth = _mm256_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
    int done = 0;
    for (; done + 16 <= count; done += 16) {
        const __m256i a = eight(Widen(src + 2 * done));
        const __m256i b = eight(Widen(src + 2 * done + 16));
        __m256i r = _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
        __m256i* out = reinterpret_cast<__m256i*>(dst + 2 * done);
        if (keepFourth) r = _mm256_blendv_epi8(r, _mm256_loadu_si256(out), fourth);
        _mm256_storeu_si256(out, r);
    }
    return done;
}

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
