// The row loops of RowKernels.h for processors with AVX2.

#include <immintrin.h>

#include "imaging/RowKernels.h"

namespace nodrix::imaging::rows {

namespace {

inline __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void Store(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// 16-bit samples shifted right by the count in by, limited to 255: the
// limit comes before the pack, which would take a word above 32767 as
// negative.
inline __m256i TopOf(__m256i samples, __m128i by) {
    return _mm256_min_epu16(_mm256_srl_epi16(samples, by), _mm256_set1_epi16(0xFF));
}

// 32 samples (64 bytes) to 32 bytes.
int TopBytes(const std::uint8_t* src, std::uint8_t* dst, int count, int shift) {
    const __m128i by = _mm_cvtsi32_si128(shift);
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m256i a = TopOf(Load(src + 2 * done), by);
        const __m256i b = TopOf(Load(src + 2 * done + 32), by);
        Store(dst + done, _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    }
    return done;
}

// Eight (B, G, R, x) pixels to 24 bytes.
inline void Store24(std::uint8_t* dst, __m256i bgrx) {
    const __m256i drop = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(bgrx, drop),
                                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm256_extracti128_si256(packed, 1));
}

int Bgrx32To24(const std::uint8_t* src, std::uint8_t* dst, int count) {
    int done = 0;
    for (; done + 8 <= count; done += 8) Store24(dst + 3 * done, Load(src + 4 * done));
    return done;
}

int Bgrx64To24Top(const std::uint8_t* src, std::uint8_t* dst, int count, int shift) {
    const __m128i by = _mm_cvtsi32_si128(shift);
    int done = 0;
    for (; done + 8 <= count; done += 8) {
        const __m256i a = TopOf(Load(src + 8 * done), by);
        const __m256i b = TopOf(Load(src + 8 * done + 32), by);
        Store24(dst + 3 * done, _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    }
    return done;
}

// Eight (B, G, R, x) pixels to eight 32-bit weighted sums 11 B + 59 G + 30 R.
inline __m256i Weighted(__m256i bgrx) {
    const __m256i weights = _mm256_set1_epi32(0x001E3B0B);  // 11, 59, 30, 0
    return _mm256_madd_epi16(_mm256_maddubs_epi16(bgrx, weights), _mm256_set1_epi16(1));
}

// 32 weighted sums to 32 grey bytes; sum / 100 is exactly the high half of
// sum * 41944 shifted right by 6 for sums up to 25500.
inline void StoreGrey(std::uint8_t* dst, __m256i s0, __m256i s1, __m256i s2, __m256i s3) {
    const __m256i divide = _mm256_set1_epi16(static_cast<short>(41944));
    const __m256i a = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packus_epi32(s0, s1), divide), 6);
    const __m256i b = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packus_epi32(s2, s3), divide), 6);
    const __m256i bytes = _mm256_packus_epi16(a, b);
    Store(dst, _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
}

int Grey32(const std::uint8_t* src, std::uint8_t* dst, int count) {
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const std::uint8_t* s = src + 4 * done;
        StoreGrey(dst + done, Weighted(Load(s)), Weighted(Load(s + 32)), Weighted(Load(s + 64)),
                  Weighted(Load(s + 96)));
    }
    return done;
}

// Eight 24-bit pixels (reads 28 bytes) widened to (B, G, R, 0).
inline __m256i Widen24(const std::uint8_t* s) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12)), 1);
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                            1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    return _mm256_shuffle_epi8(v, spread);
}

int Grey24(const std::uint8_t* src, std::uint8_t* dst, int count) {
    int done = 0;
    // The last load of a step reads 4 bytes past its pixels: keep 2 pixels
    // of room.
    for (; done + 34 <= count; done += 32) {
        const std::uint8_t* s = src + 3 * done;
        StoreGrey(dst + done, Weighted(Widen24(s)), Weighted(Widen24(s + 24)),
                  Weighted(Widen24(s + 48)), Weighted(Widen24(s + 72)));
    }
    return done;
}

// int(sample * factor) in single precision, as the brightness table does.
inline __m256i ScaleLanes(__m256i samples32, __m256 factor) {
    return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(samples32), factor));
}

int Scale8(const std::uint8_t* src, std::uint8_t* dst, int count, float factor) {
    const __m256 f = _mm256_set1_ps(factor);
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done + 16));
        const __m256i a = ScaleLanes(_mm256_cvtepu8_epi32(lo), f);
        const __m256i b = ScaleLanes(_mm256_cvtepu8_epi32(_mm_srli_si128(lo, 8)), f);
        const __m256i c = ScaleLanes(_mm256_cvtepu8_epi32(hi), f);
        const __m256i d = ScaleLanes(_mm256_cvtepu8_epi32(_mm_srli_si128(hi, 8)), f);
        // Saturating packs limit to 255; the lanes end up in the order
        // a0 b0 c0 d0 a1 b1 c1 d1 (by 4-sample groups).
        const __m256i bytes =
            _mm256_packus_epi16(_mm256_packus_epi32(a, b), _mm256_packus_epi32(c, d));
        Store(dst + done,
              _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
    }
    return done;
}

// Gains of at most 256 keep gain * sample inside 16 bits for 8-bit samples,
// and the shift equals the division for products that are never negative.
int GainOffset8(const std::uint8_t* src, std::uint8_t* dst, int count, const int gain[2],
                const int offset[2], int) {
    const __m256i g = _mm256_set1_epi32((gain[1] << 16) | (gain[0] & 0xFFFF));
    const __m256i o = _mm256_set1_epi32((offset[1] << 16) | (offset[0] & 0xFFFF));
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done + 16));
        auto apply = [&](__m128i bytes) {
            const __m256i v = _mm256_cvtepu8_epi16(bytes);
            return _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(v, g), 7), o);
        };
        Store(dst + done,
              _mm256_permute4x64_epi64(_mm256_packus_epi16(apply(lo), apply(hi)), 0xD8));
    }
    return done;
}

int GainOffset16(const std::uint8_t* src, std::uint8_t* dst, int count, const int gain[2],
                 const int offset[2], int maxValue) {
    const __m256i g =
        _mm256_setr_epi32(gain[0], gain[1], gain[0], gain[1], gain[0], gain[1], gain[0], gain[1]);
    const __m256i o = _mm256_setr_epi32(offset[0], offset[1], offset[0], offset[1], offset[0],
                                        offset[1], offset[0], offset[1]);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i max = _mm256_set1_epi32(maxValue);
    int done = 0;
    for (; done + 16 <= count; done += 16) {
        auto apply = [&](int at) {
            const __m256i v = _mm256_cvtepu16_epi32(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * at)));
            const __m256i r = _mm256_add_epi32(_mm256_srli_epi32(_mm256_mullo_epi32(v, g), 7), o);
            return _mm256_min_epi32(_mm256_max_epi32(r, zero), max);
        };
        Store(dst + 2 * done,
              _mm256_permute4x64_epi64(_mm256_packus_epi32(apply(done), apply(done + 8)), 0xD8));
    }
    return done;
}

inline std::uint64_t Total(__m256i v) {
    alignas(32) std::uint64_t q[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(q), v);
    return q[0] + q[1] + q[2] + q[3];
}

int ParitySum8(const std::uint8_t* src, int count, std::uint64_t sums[2]) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_set1_epi16(0x00FF);
    __m256i even = zero, odd = zero;
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m256i v = Load(src + done);
        even = _mm256_add_epi64(even, _mm256_sad_epu8(_mm256_and_si256(v, low), zero));
        odd = _mm256_add_epi64(odd, _mm256_sad_epu8(_mm256_srli_epi16(v, 8), zero));
    }
    sums[0] += Total(even);
    sums[1] += Total(odd);
    return done;
}

int ParitySum16(const std::uint8_t* src, int count, std::uint64_t sums[2]) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    __m256i even = zero, odd = zero;
    int done = 0;
    // 32-bit lanes take 65536 steps of 65535 at most; a row is far shorter,
    // but the loop widens to 64 bits every 4096 steps all the same.
    while (done + 16 <= count) {
        __m256i e32 = zero, o32 = zero;
        for (int step = 0; step < 4096 && done + 16 <= count; ++step, done += 16) {
            const __m256i v = Load(src + 2 * done);
            e32 = _mm256_add_epi32(e32, _mm256_and_si256(v, low));
            o32 = _mm256_add_epi32(o32, _mm256_srli_epi32(v, 16));
        }
        even = _mm256_add_epi64(even, _mm256_add_epi64(_mm256_unpacklo_epi32(e32, zero),
                                                       _mm256_unpackhi_epi32(e32, zero)));
        odd = _mm256_add_epi64(odd, _mm256_add_epi64(_mm256_unpacklo_epi32(o32, zero),
                                                     _mm256_unpackhi_epi32(o32, zero)));
    }
    sums[0] += Total(even);
    sums[1] += Total(odd);
    return done;
}

int LevelSum16(const std::uint8_t* src, int count, int shift, std::uint64_t& sum) {
    const __m256i zero = _mm256_setzero_si256();
    const __m128i by = _mm_cvtsi32_si128(shift);
    __m256i acc = zero;
    int done = 0;
    for (; done + 16 <= count; done += 16) {
        const __m256i level = TopOf(Load(src + 2 * done), by);
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(level, zero));
    }
    sum += Total(acc);
    return done;
}

// 32 grey bytes to 96 bytes, each three times. The byte shuffle stays within
// a 128-bit lane, so each output register takes the lane pair that holds its
// source bytes: pixels 0..10 from the first 16 twice, 10..21 from the two
// halves as loaded, 21..31 from the second 16 twice.
int GreyToBgr(const std::uint8_t* src, std::uint8_t* dst, int count) {
    const __m256i first = _mm256_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5,  //
                                           5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m256i middle =
        _mm256_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15,  //
                         0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m256i last =
        _mm256_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10,  //
                         10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m256i grey = Load(src + done);
        std::uint8_t* d = dst + 3 * done;
        Store(d, _mm256_shuffle_epi8(_mm256_permute2x128_si256(grey, grey, 0x00), first));
        Store(d + 32, _mm256_shuffle_epi8(grey, middle));
        Store(d + 64, _mm256_shuffle_epi8(_mm256_permute2x128_si256(grey, grey, 0x11), last));
    }
    return done;
}

}  // namespace

void AddAvx2Rows(RowSet& s) {
    s.topBytes = TopBytes;
    s.bgrx32To24 = Bgrx32To24;
    s.bgrx64To24Top = Bgrx64To24Top;
    s.grey24 = Grey24;
    s.grey32 = Grey32;
    s.scale8 = Scale8;
    s.gainOffset8 = GainOffset8;
    s.gainOffset16 = GainOffset16;
    s.paritySum8 = ParitySum8;
    s.paritySum16 = ParitySum16;
    s.levelSum16 = LevelSum16;
    s.greyToBgr = GreyToBgr;
}

}  // namespace nodrix::imaging::rows
