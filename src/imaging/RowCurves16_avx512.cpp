// The 16-bit curve runs of RowKernels.h for processors with AVX-512: sixteen
// samples in 32-bit lanes at a time; the fourth samples of 64-bit pixels
// are left out of the store by its mask.

// GCC 12's AVX-512 headers fill the unused half of some results from a
// self-initialised variable, which -Wmaybe-uninitialized reports at every
// use; the values are never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

inline __m512i Widen(const std::uint8_t* p) {
    return _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

// sixteen maps sixteen samples in 32-bit lanes to sixteen results, any of
// which may lie outside 0..65535 as long as it fits in 32 bits.
template <bool kKeepFourth, typename Sixteen>
int RunOf(const std::uint8_t* src, std::uint8_t* dst, int count, Sixteen sixteen) {
    // The saturating pack interleaves the two halves by 64-bit groups.
    const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m512i a = sixteen(Widen(src + 2 * done));
        const __m512i b = sixteen(Widen(src + 2 * done + 32));
        const __m512i r = _mm512_permutexvar_epi64(order, _mm512_packus_epi32(a, b));
        if constexpr (kKeepFourth)
            _mm512_mask_storeu_epi16(dst + 2 * done, 0x77777777u, r);
        else
            _mm512_storeu_si512(dst + 2 * done, r);
    }
    return done;
}

template <typename Sixteen>
int Run(const std::uint8_t* src, std::uint8_t* dst, int count, bool keepFourth, Sixteen sixteen) {
    return keepFourth ? RunOf<true>(src, dst, count, sixteen)
                      : RunOf<false>(src, dst, count, sixteen);
}

int Scale16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
            bool keepFourth) {
    const __m512 f = _mm512_set1_ps(curve.factor);
    const __m512i start = _mm512_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [f, start](__m512i x) {
        return _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(_mm512_sub_epi32(x, start)), f));
    });
}

// The slope as the sum of two floats: the fused multiply-add rounds
// x * factor + x * factorLow once, some 48 bits of slope wide.
int Split16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
            bool keepFourth) {
    const __m512 high = _mm512_set1_ps(curve.factor);
    const __m512 low = _mm512_set1_ps(curve.factorLow);
    const __m512i start = _mm512_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [high, low, start](__m512i x) {
        const __m512 from = _mm512_cvtepi32_ps(_mm512_sub_epi32(x, start));
        return _mm512_cvttps_epi32(_mm512_fmadd_ps(from, high, _mm512_mul_ps(from, low)));
    });
}

// The same double-precision product as the table, eight lanes at a time.
int Line16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
           bool keepFourth) {
    const __m512d slope = _mm512_set1_pd(curve.slope);
    const __m512i start = _mm512_set1_epi32(curve.start);
    return Run(src, dst, count, keepFourth, [&](__m512i x) {
        const __m512i from = _mm512_sub_epi32(x, start);
        const __m256i lo = _mm512_cvttpd_epi32(
            _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(from)), slope));
        const __m256i hi = _mm512_cvttpd_epi32(
            _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(from, 1)), slope));
        return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
    });
}

int Lookup16(const Curve16& curve, const std::uint8_t* src, std::uint8_t* dst, int count,
             bool keepFourth) {
    const int* base = reinterpret_cast<const int*>(curve.table);
    const __m512i low = _mm512_set1_epi32(0xFFFF);
    return Run(src, dst, count, keepFourth, [base, low](__m512i x) {
        return _mm512_and_si512(_mm512_i32gather_epi32(x, base, 2), low);
    });
}

}  // namespace

void SetAvx512Curves16(RowSet& rows) {
    rows.scale16 = Scale16;
    rows.line16 = Line16;
    rows.split16 = Split16;
    rows.lookup16 = Lookup16;
}

}  // namespace nodrix::imaging::rows
