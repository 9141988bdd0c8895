// The 16-bit demosaic run for processors with SSE4.1 (32-bit products and
// unsigned packing): 8 pixels per step.

#include <smmintrin.h>

#include "imaging/DemosaicSimdCommon.h"

namespace nodrix::imaging::demosaic {

namespace {

inline __m128i Load(const std::uint8_t* row, int column) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * column));
}
inline __m128i Odd(__m128i v) {
    return _mm_srli_epi32(v, 16);
}
inline __m128i Even(__m128i v) {
    return _mm_and_si128(v, _mm_set1_epi32(0xFFFF));
}
inline __m128i Vertical(__m128i nearRow, __m128i farRow) {
    return _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(nearRow, 1), nearRow), farRow);
}
// factor * sum / 2048; the products stay below 2^31 for factors below 2048
// and packing saturates at 65535.
inline __m128i Scale(__m128i sum, __m128i factor) {
    return _mm_srli_epi32(_mm_mullo_epi32(sum, factor), 11);
}
inline __m128i MaskRegister(const std::array<std::uint8_t, 16>& m) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()));
}

template <int kPixelBytes>
void Store(__m128i blue, __m128i green, __m128i red, std::uint8_t* out) {
    constexpr int kRegs = kPixelBytes / 2;  // 8 pixels: 48 or 64 bytes
    static constexpr auto kMasks = [] {
        std::array<std::array<std::array<std::uint8_t, 16>, 3>, 4> m{};
        for (int i = 0; i < kRegs; ++i)
            for (int ch = 0; ch < 3; ++ch) m[i][ch] = ShuffleMask(i, ch, 2, kPixelBytes, 4);
        return m;
    }();
    static constexpr auto kKeep = [] {
        std::array<std::array<std::uint8_t, 16>, 4> m{};
        for (int i = 0; i < kRegs; ++i) m[i] = KeepMask(i, 2, kPixelBytes);
        return m;
    }();
    for (int i = 0; i < kRegs; ++i) {
        __m128i v = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(blue, MaskRegister(kMasks[i][0])),
                                              _mm_shuffle_epi8(green, MaskRegister(kMasks[i][1]))),
                                 _mm_shuffle_epi8(red, MaskRegister(kMasks[i][2])));
        auto* d = reinterpret_cast<__m128i*>(out + 16 * i);
        if constexpr (kPixelBytes == 8)
            v = _mm_or_si128(v, _mm_and_si128(_mm_loadu_si128(d), MaskRegister(kKeep[i])));
        _mm_storeu_si128(d, v);
    }
}

template <int kPixelBytes>
int Span16(const SpanArgs& a) {
    const RowSet r = SelectRows(a);
    const __m128i blueFactor = _mm_set1_epi32(a.blueFactor);
    const __m128i redFactor = _mm_set1_epi32(a.redFactor);
    int done = 0;
    for (; done + 8 <= a.count; done += 8) {
        const int x = a.column + done;
        const __m128i bnL = Load(r.blueNear, x - 2), bnC = Load(r.blueNear, x);
        const __m128i bfL = Load(r.blueFar, x - 2), bfC = Load(r.blueFar, x);
        const __m128i rnL = Load(r.redNear, x - 2), rnC = Load(r.redNear, x);
        const __m128i rnR = Load(r.redNear, x + 2);
        const __m128i rfL = Load(r.redFar, x - 2), rfC = Load(r.redFar, x);
        const __m128i rfR = Load(r.redFar, x + 2);

        const __m128i pa = Vertical(Odd(bnL), Odd(bfL));
        const __m128i pb = Vertical(Odd(bnC), Odd(bfC));
        const __m128i ab = _mm_add_epi32(pa, pb);
        const __m128i blueEven = _mm_add_epi32(ab, _mm_slli_epi32(pa, 1));
        const __m128i blueOdd = _mm_add_epi32(ab, _mm_slli_epi32(pb, 1));

        const __m128i left = Vertical(Even(rnL), Even(rfL));
        const __m128i mid = Vertical(Even(rnC), Even(rfC));
        const __m128i right = Vertical(Even(rnR), Even(rfR));
        const __m128i mid3 = _mm_add_epi32(_mm_slli_epi32(mid, 1), mid);
        const __m128i redEven = _mm_add_epi32(mid3, left);
        const __m128i redOdd = _mm_add_epi32(mid3, right);

        const __m128i centre = Even(bnC);
        const __m128i greenEven = _mm_srli_epi32(_mm_add_epi32(Odd(rnL), centre), 1);
        const __m128i greenOdd = _mm_srli_epi32(_mm_add_epi32(centre, Odd(rnC)), 1);

        Store<kPixelBytes>(
            _mm_packus_epi32(Scale(blueEven, blueFactor), Scale(blueOdd, blueFactor)),
            _mm_packus_epi32(greenEven, greenOdd),
            _mm_packus_epi32(Scale(redEven, redFactor), Scale(redOdd, redFactor)),
            a.out + static_cast<std::ptrdiff_t>(kPixelBytes) * done);
    }
    return done;
}

}  // namespace

int SpanPlain16Sse41(const SpanArgs& a) {
    if (a.dstBpp == 6) return Span16<6>(a);
    if (a.dstBpp == 8) return Span16<8>(a);
    return 0;
}

}  // namespace nodrix::imaging::demosaic
