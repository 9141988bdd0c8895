// The 8-bit demosaic runs for processors with AVX-512 byte permutes: the
// arithmetic of the AVX2 run (32 pixels per step on 256-bit registers,
// which keeps the loads narrow), with the three colours put into pixel
// order by two byte permutes per 32 output bytes instead of a shuffle per
// colour and register.

// GCC 12's AVX-512 headers fill the unused half of some results from a
// self-initialised variable, which -Wmaybe-uninitialized reports at every
// use; the values are never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <array>
#include <cstdint>

#include "imaging/Demosaic8Avx2Colours.inl"

namespace nodrix::imaging::demosaic {

namespace {

// Where pixel p (0..31) of a step sits in the blue and red registers: the
// pack works per 128-bit half, eight even pixels then eight odd ones.
constexpr int PackedByte(int p) {
    const int pair = p / 2;
    return 16 * (pair / 8) + 8 * (p % 2) + pair % 8;
}

// Per 32-byte output register k of 32 pixels of kPixelBytes bytes: the
// permute indices taking blue and red (from the concatenated blue and red
// registers), green (in pixel order), the bytes green goes to, and the
// bytes written.
template <int kPixelBytes>
struct Layout {
    std::array<std::array<std::uint8_t, 32>, kPixelBytes> blueRed{};
    std::array<std::array<std::uint8_t, 32>, kPixelBytes> green{};
    std::array<std::uint32_t, kPixelBytes> greenBytes{};
    std::array<std::uint32_t, kPixelBytes> written{};
};

template <int kPixelBytes>
constexpr Layout<kPixelBytes> MakeLayout() {
    Layout<kPixelBytes> l;
    for (int k = 0; k < kPixelBytes; ++k) {
        for (int t = 0; t < 32; ++t) {
            const int pixel = (32 * k + t) / kPixelBytes;
            const int slot = (32 * k + t) % kPixelBytes;
            const int at = PackedByte(pixel);
            l.blueRed[k][t] = static_cast<std::uint8_t>(slot == 2 ? 32 + at : at);
            l.green[k][t] = static_cast<std::uint8_t>(pixel);
            if (slot == 1) l.greenBytes[k] |= 1u << t;
            if (slot != 3) l.written[k] |= 1u << t;
        }
    }
    return l;
}

constexpr __mmask32 kEvenBytes = 0x55555555u;
constexpr __mmask32 kOddBytes = 0xAAAAAAAAu;

// The even bytes of `keep` with the odd bytes loaded from p (or the other
// way round): two samples side by side for one multiply-add, and bytes
// outside the mask are never read.
inline __m256i Merge(__m256i keep, __mmask32 loaded, const std::uint8_t* p) {
    return _mm256_mask_loadu_epi8(keep, loaded, p);
}

// The same colours as Colours8At, with the vertical pairs formed by merged
// loads (near sample and far sample in one 16-bit lane, weighted 3 and 1
// by one multiply-add), and green as bytes in pixel order from a floor
// average of merged loads.
template <bool kVectorFormula>
inline Colours8 MergedColours8At(const RowSet& r, int x, const Factors8& f) {
    const __m256i nearOdd = _mm256_set1_epi16(0x0301);   // far even byte, near odd byte
    const __m256i nearEven = _mm256_set1_epi16(0x0103);  // near even byte, far odd byte

    // Blue: near odd columns c-1 and c+1 with the far samples below them.
    const __m256i bnL = Load(r.blueNear + x - 2), bnC = Load(r.blueNear + x);
    const __m256i pa = _mm256_maddubs_epi16(Merge(bnL, kEvenBytes, r.blueFar + x - 1), nearOdd);
    const __m256i pb = _mm256_maddubs_epi16(Merge(bnC, kEvenBytes, r.blueFar + x + 1), nearOdd);
    const __m256i ab = _mm256_add_epi16(pa, pb);
    const __m256i blueEven = _mm256_add_epi16(ab, _mm256_slli_epi16(pa, 1));
    const __m256i blueOdd = _mm256_add_epi16(ab, _mm256_slli_epi16(pb, 1));

    // Red: near even columns c-2, c and c+2 with the far samples.
    const __m256i rnC = Load(r.redNear + x);
    const __m256i left = _mm256_maddubs_epi16(
        Merge(Load(r.redNear + x - 2), kOddBytes, r.redFar + x - 3), nearEven);
    const __m256i mid = _mm256_maddubs_epi16(Merge(rnC, kOddBytes, r.redFar + x - 1), nearEven);
    const __m256i right = _mm256_maddubs_epi16(
        Merge(Load(r.redNear + x + 2), kOddBytes, r.redFar + x + 1), nearEven);
    const __m256i mid3 = _mm256_add_epi16(_mm256_slli_epi16(mid, 1), mid);
    const __m256i redEven = _mm256_add_epi16(mid3, left);
    const __m256i redOdd = _mm256_add_epi16(mid3, right);

    // Green of pixel c (even) averages redNear[c-1] and blueNear[c], of
    // c+1 blueNear[c] and redNear[c+1]: byte by byte, u holds the first
    // and v the second of each pair; (u + v) / 2 rounded down is the
    // rounded-up average less the lost low bit.
    const __m256i u = Merge(Load(r.redNear + x - 1), kOddBytes, r.blueNear + x - 1);
    const __m256i v = Merge(bnC, kOddBytes, r.redNear + x);
    const __m256i green = _mm256_sub_epi8(
        _mm256_avg_epu8(u, v),
        _mm256_ternarylogic_epi32(u, v, _mm256_set1_epi8(1), 0x28));  // (u ^ v) & 1

    return {_mm256_packus_epi16(Scale8<kVectorFormula>(blueEven, f.blue),
                                Scale8<kVectorFormula>(blueOdd, f.blue)),
            green,
            _mm256_packus_epi16(Scale8<kVectorFormula>(redEven, f.red),
                                Scale8<kVectorFormula>(redOdd, f.red))};
}

template <bool kVectorFormula, int kPixelBytes>
int Span8(const SpanArgs& a) {
    static constexpr Layout<kPixelBytes> kLayout = MakeLayout<kPixelBytes>();
    __m256i blueRed[kPixelBytes], green[kPixelBytes];
    for (int k = 0; k < kPixelBytes; ++k) {
        blueRed[k] = Load(kLayout.blueRed[k].data());
        green[k] = Load(kLayout.green[k].data());
    }
    const RowSet r = SelectRows(a);
    const Factors8 f = ShiftedFactors<kVectorFormula>(a);
    return Steps<32>(a.count, [&](int done) {
        const Colours8 c = MergedColours8At<kVectorFormula>(r, a.column + done, f);
        std::uint8_t* out = a.out + static_cast<std::ptrdiff_t>(kPixelBytes) * done;
        for (int k = 0; k < kPixelBytes; ++k) {
            __m256i v = _mm256_permutex2var_epi8(c.blue, blueRed[k], c.red);
            v = _mm256_mask_permutexvar_epi8(v, kLayout.greenBytes[k], green[k], c.green);
            if constexpr (kPixelBytes == 4)
                _mm256_mask_storeu_epi8(out + 32 * k, kLayout.written[k], v);
            else
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * k), v);
        }
    });
}

}  // namespace

int SpanVector8Avx512(const SpanArgs& a) {
    return a.dstBpp == 3 ? Span8<true, 3>(a) : 0;
}

int SpanPlain8Avx512(const SpanArgs& a) {
    if (a.dstBpp == 3) return Span8<false, 3>(a);
    if (a.dstBpp == 4) return Span8<false, 4>(a);
    return 0;
}

}  // namespace nodrix::imaging::demosaic
