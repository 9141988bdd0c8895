#pragma once
// The row walk of the AVX2 16-bit curve runs: eight samples widened to 32-bit
// lanes at a time, the results packed back with unsigned saturation (which
// is the limit to 0..65535). Internal to each file that includes it, so that
// every file compiles it with its own instruction-set flags.

#include <immintrin.h>

#include <cstdint>

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

}  // namespace

}  // namespace nodrix::imaging::rows
