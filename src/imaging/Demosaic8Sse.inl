// The 8-bit demosaic run on 128-bit registers (16 pixels per step). Included
// by the SSE2 and the SSSE3 file, each compiling it with its own target flag;
// everything here has internal linkage so the two copies never mix.

#include <emmintrin.h>
#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

#include "imaging/DemosaicSimdCommon.h"

namespace nodrix::imaging::demosaic {
namespace {

struct Planes8 {
    __m128i blue, green, red;  // bytes: 8 even pixels, then 8 odd pixels
};

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline __m128i Odd(__m128i v) {
    return _mm_srli_epi16(v, 8);
}
inline __m128i Even(__m128i v) {
    return _mm_and_si128(v, _mm_set1_epi16(0x00FF));
}
// 3 * near + far
inline __m128i Vertical(__m128i nearRow, __m128i farRow) {
    return _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(nearRow, 1), nearRow), farRow);
}

// With the factor pre-shifted (see Span8): the vector formula
// ((sum / 16) * f) / 128 is the high half of (sum & ~15) * 32f; the plain
// formula (sum * f) / 2048 the high half of 16 sum * 2f, limited to 255
// (signed: the run is used for factors below 16384 only). Packing saturates
// at 255.
template <bool kVectorFormula>
inline __m128i Scale(__m128i sum, __m128i shiftedFactor) {
    if constexpr (kVectorFormula) {
        return _mm_mulhi_epu16(_mm_and_si128(sum, _mm_set1_epi16(~15)), shiftedFactor);
    } else {
        return _mm_min_epi16(_mm_mulhi_epu16(_mm_slli_epi16(sum, 4), shiftedFactor),
                             _mm_set1_epi16(255));
    }
}

#if defined(__SSSE3__)
inline __m128i VerticalOdd(__m128i n, __m128i f) {
    return _mm_add_epi16(_mm_maddubs_epi16(n, _mm_set1_epi16(0x0300)), Odd(f));
}
inline __m128i VerticalEven(__m128i n, __m128i f) {
    return _mm_add_epi16(_mm_maddubs_epi16(n, _mm_set1_epi16(0x0003)), Even(f));
}
#else
inline __m128i VerticalOdd(__m128i n, __m128i f) {
    return Vertical(Odd(n), Odd(f));
}
inline __m128i VerticalEven(__m128i n, __m128i f) {
    return Vertical(Even(n), Even(f));
}
#endif

template <bool kVectorFormula>
inline Planes8 Compute(const RowSet& r, int x, __m128i blueFactor, __m128i redFactor) {
    const __m128i bnL = Load(r.blueNear + x - 2), bnC = Load(r.blueNear + x);
    const __m128i bfL = Load(r.blueFar + x - 2), bfC = Load(r.blueFar + x);
    const __m128i rnL = Load(r.redNear + x - 2), rnC = Load(r.redNear + x);
    const __m128i rnR = Load(r.redNear + x + 2);
    const __m128i rfL = Load(r.redFar + x - 2), rfC = Load(r.redFar + x);
    const __m128i rfR = Load(r.redFar + x + 2);

    const __m128i a = VerticalOdd(bnL, bfL);  // columns c-1
    const __m128i b = VerticalOdd(bnC, bfC);  // columns c+1
    const __m128i ab = _mm_add_epi16(a, b);
    const __m128i blueEven = _mm_add_epi16(ab, _mm_slli_epi16(a, 1));
    const __m128i blueOdd = _mm_add_epi16(ab, _mm_slli_epi16(b, 1));

    const __m128i left = VerticalEven(rnL, rfL);   // columns c-2
    const __m128i mid = VerticalEven(rnC, rfC);    // columns c
    const __m128i right = VerticalEven(rnR, rfR);  // columns c+2
    const __m128i mid3 = _mm_add_epi16(_mm_slli_epi16(mid, 1), mid);
    const __m128i redEven = _mm_add_epi16(mid3, left);
    const __m128i redOdd = _mm_add_epi16(mid3, right);

    const __m128i centre = Even(bnC);
    const __m128i greenEven = _mm_srli_epi16(_mm_add_epi16(Odd(rnL), centre), 1);
    const __m128i greenOdd = _mm_srli_epi16(_mm_add_epi16(centre, Odd(rnC)), 1);

    Planes8 p;
    p.blue = _mm_packus_epi16(Scale<kVectorFormula>(blueEven, blueFactor),
                              Scale<kVectorFormula>(blueOdd, blueFactor));
    p.green = _mm_packus_epi16(greenEven, greenOdd);
    p.red = _mm_packus_epi16(Scale<kVectorFormula>(redEven, redFactor),
                             Scale<kVectorFormula>(redOdd, redFactor));
    return p;
}

// The 16 pixels as four registers of (B, G, R, 0) in pixel order.
inline void ToQuads(const Planes8& p, __m128i q[4]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgEven = _mm_unpacklo_epi8(p.blue, p.green);
    const __m128i bgOdd = _mm_unpackhi_epi8(p.blue, p.green);
    const __m128i rEven = _mm_unpacklo_epi8(p.red, zero);
    const __m128i rOdd = _mm_unpackhi_epi8(p.red, zero);
    const __m128i e0 = _mm_unpacklo_epi16(bgEven, rEven);  // pixels 0 2 4 6
    const __m128i e1 = _mm_unpackhi_epi16(bgEven, rEven);  // pixels 8 .. 14
    const __m128i o0 = _mm_unpacklo_epi16(bgOdd, rOdd);    // pixels 1 3 5 7
    const __m128i o1 = _mm_unpackhi_epi16(bgOdd, rOdd);    // pixels 9 .. 15
    q[0] = _mm_unpacklo_epi32(e0, o0);
    q[1] = _mm_unpackhi_epi32(e0, o0);
    q[2] = _mm_unpacklo_epi32(e1, o1);
    q[3] = _mm_unpackhi_epi32(e1, o1);
}

inline void Store32(const Planes8& p, std::uint8_t* out) {
    __m128i q[4];
    ToQuads(p, q);
    const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (int i = 0; i < 4; ++i) {
        auto* d = reinterpret_cast<__m128i*>(out + 16 * i);
        const __m128i old = _mm_loadu_si128(d);
        _mm_storeu_si128(d, _mm_or_si128(q[i], _mm_and_si128(old, keep)));
    }
}

#if defined(__SSSE3__)
inline __m128i MaskRegister(const std::array<std::uint8_t, 16>& m) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()));
}

inline void Store24(const Planes8& p, std::uint8_t* out) {
    static constexpr std::array<std::uint8_t, 16> kMasks[3][3] = {
        {ShuffleMask(0, 0, 1, 3, 8), ShuffleMask(0, 1, 1, 3, 8), ShuffleMask(0, 2, 1, 3, 8)},
        {ShuffleMask(1, 0, 1, 3, 8), ShuffleMask(1, 1, 1, 3, 8), ShuffleMask(1, 2, 1, 3, 8)},
        {ShuffleMask(2, 0, 1, 3, 8), ShuffleMask(2, 1, 1, 3, 8), ShuffleMask(2, 2, 1, 3, 8)}};
    for (int i = 0; i < 3; ++i) {
        const __m128i v =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(p.blue, MaskRegister(kMasks[i][0])),
                                      _mm_shuffle_epi8(p.green, MaskRegister(kMasks[i][1]))),
                         _mm_shuffle_epi8(p.red, MaskRegister(kMasks[i][2])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), v);
    }
}
#else
// Four (B, G, R, 0) pixels packed to 12 bytes, zeros above.
inline __m128i Pack12(__m128i q) {
    const __m128i low3 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i pairs =
        _mm_or_si128(_mm_and_si128(q, low3), _mm_andnot_si128(low3, _mm_srli_epi64(q, 8)));
    return _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
}

inline void Store24(const Planes8& p, std::uint8_t* out) {
    __m128i q[4];
    ToQuads(p, q);
    const __m128i z0 = Pack12(q[0]), z1 = Pack12(q[1]), z2 = Pack12(q[2]), z3 = Pack12(q[3]);
    auto* d = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(d, _mm_or_si128(z0, _mm_slli_si128(z1, 12)));
    _mm_storeu_si128(d + 1, _mm_or_si128(_mm_srli_si128(z1, 4), _mm_slli_si128(z2, 8)));
    _mm_storeu_si128(d + 2, _mm_or_si128(_mm_srli_si128(z2, 8), _mm_slli_si128(z3, 4)));
}
#endif

template <bool kVectorFormula>
int Span8(const SpanArgs& a) {
    const RowSet rows = SelectRows(a);
    const int shift = kVectorFormula ? 5 : 1;
    const __m128i blueFactor = _mm_set1_epi16(static_cast<short>(a.blueFactor << shift));
    const __m128i redFactor = _mm_set1_epi16(static_cast<short>(a.redFactor << shift));
    int done = 0;
    if (a.dstBpp == 3) {
        for (; done + 16 <= a.count; done += 16)
            Store24(Compute<kVectorFormula>(rows, a.column + done, blueFactor, redFactor),
                    a.out + 3 * done);
    } else if (a.dstBpp == 4 && !kVectorFormula) {
        for (; done + 16 <= a.count; done += 16)
            Store32(Compute<kVectorFormula>(rows, a.column + done, blueFactor, redFactor),
                    a.out + 4 * done);
    }
    return done;
}

}  // namespace
}  // namespace nodrix::imaging::demosaic
