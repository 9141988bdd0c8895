// The arithmetic of the 8-bit demosaic on 256-bit registers (32 pixels per
// step), shared by the AVX2 run and the AVX-512 run that only interleaves
// differently. Each including file compiles it with its own target flags;
// everything here has internal linkage so the copies never mix.

#include <immintrin.h>

#include "imaging/DemosaicSimdCommon.h"

namespace nodrix::imaging::demosaic {
namespace {

inline __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}


inline __m256i Odd8(__m256i v) {
    return _mm256_srli_epi16(v, 8);
}
inline __m256i Even8(__m256i v) {
    return _mm256_and_si256(v, _mm256_set1_epi16(0x00FF));
}
// 3 * near + far of the odd (or even) columns, in 16-bit lanes.
inline __m256i VerticalOdd8(__m256i n, __m256i f) {
    return _mm256_add_epi16(_mm256_maddubs_epi16(n, _mm256_set1_epi16(0x0300)), Odd8(f));
}
inline __m256i VerticalEven8(__m256i n, __m256i f) {
    return _mm256_add_epi16(_mm256_maddubs_epi16(n, _mm256_set1_epi16(0x0003)), Even8(f));
}

// With the factor pre-shifted (see Span8): the vector formula
// ((sum / 16) * f) / 128 is the high half of (sum & ~15) * 32f; the plain
// formula (sum * f) / 2048 the high half of 16 sum * 2f, limited to 255.
template <bool kVectorFormula>
inline __m256i Scale8(__m256i sum, __m256i shiftedFactor) {
    if constexpr (kVectorFormula) {
        return _mm256_mulhi_epu16(_mm256_and_si256(sum, _mm256_set1_epi16(~15)), shiftedFactor);
    } else {
        return _mm256_min_epu16(_mm256_mulhi_epu16(_mm256_slli_epi16(sum, 4), shiftedFactor),
                                _mm256_set1_epi16(255));
    }
}

// The colours of the 32 pixels from column x on, as bytes: per 128-bit
// half, eight even pixels then eight odd ones (the half holding the pixel
// pairs 0..7 first, 8..15 second).
struct Colours8 {
    __m256i blue, green, red;
};

// The factors as Scale8 takes them.
struct Factors8 {
    __m256i blue, red;
};

template <bool kVectorFormula>
inline Factors8 ShiftedFactors(const SpanArgs& a) {
    const int shift = kVectorFormula ? 5 : 1;
    return {_mm256_set1_epi16(static_cast<short>(a.blueFactor << shift)),
            _mm256_set1_epi16(static_cast<short>(a.redFactor << shift))};
}

template <bool kVectorFormula>
inline Colours8 Colours8At(const RowSet& r, int x, const Factors8& f) {
    const __m256i bnL = Load(r.blueNear + x - 2), bnC = Load(r.blueNear + x);
    const __m256i bfL = Load(r.blueFar + x - 2), bfC = Load(r.blueFar + x);
    const __m256i rnL = Load(r.redNear + x - 2), rnC = Load(r.redNear + x);
    const __m256i rnR = Load(r.redNear + x + 2);
    const __m256i rfL = Load(r.redFar + x - 2), rfC = Load(r.redFar + x);
    const __m256i rfR = Load(r.redFar + x + 2);

    const __m256i pa = VerticalOdd8(bnL, bfL);
    const __m256i pb = VerticalOdd8(bnC, bfC);
    const __m256i ab = _mm256_add_epi16(pa, pb);
    const __m256i blueEven = _mm256_add_epi16(ab, _mm256_slli_epi16(pa, 1));
    const __m256i blueOdd = _mm256_add_epi16(ab, _mm256_slli_epi16(pb, 1));

    const __m256i left = VerticalEven8(rnL, rfL);
    const __m256i mid = VerticalEven8(rnC, rfC);
    const __m256i right = VerticalEven8(rnR, rfR);
    const __m256i mid3 = _mm256_add_epi16(_mm256_slli_epi16(mid, 1), mid);
    const __m256i redEven = _mm256_add_epi16(mid3, left);
    const __m256i redOdd = _mm256_add_epi16(mid3, right);

    const __m256i centre = Even8(bnC);
    const __m256i greenEven = _mm256_srli_epi16(_mm256_add_epi16(Odd8(rnL), centre), 1);
    const __m256i greenOdd = _mm256_srli_epi16(_mm256_add_epi16(centre, Odd8(rnC)), 1);

    return {_mm256_packus_epi16(Scale8<kVectorFormula>(blueEven, f.blue),
                                Scale8<kVectorFormula>(blueOdd, f.blue)),
            _mm256_packus_epi16(greenEven, greenOdd),
            _mm256_packus_epi16(Scale8<kVectorFormula>(redEven, f.red),
                                Scale8<kVectorFormula>(redOdd, f.red))};
}

}  // namespace
}  // namespace nodrix::imaging::demosaic
