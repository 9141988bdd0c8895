// The lookup tables of brightness, contrast and gamma. Building a 16-bit
// gamma table costs 65535 calls of pow, so each table is kept per thread
// for the value it was built for and rebuilt only when the value changes;
// the output is the same as building it for every frame.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "imaging/ToneKernels.h"
#include "platform/ThreadLocal.h"

namespace nodrix::imaging {

namespace {

template <typename T, std::size_t N>
class CachedTable {
public:
    template <typename Build>
    const T* Get(int value, Build build) {
        if (!values_) values_ = std::make_unique<T[]>(N + 1);
        if (!valid_ || value != value_) {
            build(values_.get());
            value_ = value;
            valid_ = true;
        }
        return values_.get();
    }

private:
    // One spare entry: vector lookups read a little past the last one.
    std::unique_ptr<T[]> values_;
    int value_ = 0;
    bool valid_ = false;
};

template <typename T, int kMax>
void BuildBrightness(int v, T* t) {
    const float factor = BrightnessFactor(v);
    for (int i = 0; i <= kMax; ++i) {
        // The product rounded to single precision in every build (the store
        // keeps an x87 unit from carrying more precision into the
        // truncation), then truncated and limited.
        volatile float x = static_cast<float>(i) * factor;
        const float product = x;
        t[i] = product >= static_cast<float>(kMax) ? static_cast<T>(kMax)
                                                   : static_cast<T>(static_cast<int>(product));
    }
}

template <typename T, int kMax>
void BuildContrast(int f, T* t) {
    // The 16-bit table works on the parameter scaled to 16 bits.
    const long long g = kMax == 255 ? f : static_cast<long long>(f) * 256;
    const long long limit = kMax == 255 ? 128 : 32513;
    const double range = kMax + 1.0;
    for (long long i = 0; i <= kMax; ++i) {
        T v;
        if (g >= limit || i < g)
            v = 0;
        else if (i > kMax - g)
            v = static_cast<T>(kMax);
        else
            v = static_cast<T>(static_cast<long long>(range / (range - 2 * g) * (i - g)));
        t[i] = v;
    }
}

template <typename T, int kMax>
void BuildGamma(int p, T* t) {
    const double e = 1 / (p / 100.0);
    t[0] = 0;
    for (int i = 1; i <= kMax; ++i) {
        const double h = std::pow(i / static_cast<double>(kMax), e) * kMax;
        t[i] = h > kMax ? static_cast<T>(kMax) : static_cast<T>(static_cast<long long>(h));
    }
}

// Whether run gives table[i] for every 16-bit sample i.
bool RunGivesTable(rows::Run16Fn run, const rows::Curve16& curve, const std::uint16_t* table) {
    if (run == nullptr) return false;
    constexpr int kChunk = 256;
    std::uint8_t in[2 * kChunk];
    std::uint8_t out[2 * kChunk];
    for (int base = 0; base < 65536; base += kChunk) {
        for (int i = 0; i < kChunk; ++i) {
            in[2 * i] = static_cast<std::uint8_t>(base + i);
            in[2 * i + 1] = static_cast<std::uint8_t>((base + i) >> 8);
        }
        if (run(curve, in, out, kChunk, false) != kChunk) return false;
        for (int i = 0; i < kChunk; ++i)
            if ((out[2 * i] | (out[2 * i + 1] << 8)) != table[base + i]) return false;
    }
    return true;
}

// The mantissa of a whole product k in (1, 2], powers of two counting as 2:
// the spacing of doubles just below k is 2^-52 k / mantissa.
double WholeMantissa(long long k) {
    long long power = 1;
    while (power * 2 < k) power *= 2;
    return static_cast<double>(k) / static_cast<double>(power);
}

// Where the exact line 65536 / (65536 - 2g) * x is a whole number k, the
// double slope falls short of it by a fixed relative d, and the table holds
// k - 1 wherever k d passes half the spacing of doubles below k: for every
// k whose mantissa passes one cut. Every other product is at least 1/255
// away from a whole number. So a single-precision slope shortened by
// 2^-24 / cut (kept as factor + factorLow) makes the float product round
// below exactly the same whole numbers. The cut lies midway between the
// mantissas the table keeps whole and those it lowers; false when no cut
// separates them.
bool FindWholeCut(long long g, const std::uint16_t* table, double* cut) {
    const long long divisor = 65536 - 2 * g;
    double kept = 1.0;
    double lowered = 2.5;
    for (long long i = std::max(g + 1, 0LL); i <= std::min(65535 - g, 65535LL); ++i) {
        const long long x = i - g;
        if (65536 * x % divisor != 0) continue;
        const long long k = 65536 * x / divisor;
        const double m = WholeMantissa(k);
        if (table[i] == k)
            kept = std::max(kept, m);
        else
            lowered = std::min(lowered, m);
    }
    *cut = (kept + lowered) / 2;
    return kept < lowered;
}

}  // namespace

float BrightnessFactor(int v) {
    double f = 1.0;
    if (v < 0) f = 1.0 - std::abs(v) * (1.0 / 255);
    if (v > 0) f = 1.0 + v * (10.0 / 255);
    volatile float held = static_cast<float>(f);
    return held;
}

const std::uint8_t* BrightnessTable8(int value) {
    static platform::ThreadLocal<CachedTable<std::uint8_t, 256>> tables;
    return tables.Get().Get(value,
                            [&](std::uint8_t* t) { BuildBrightness<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* BrightnessTable16(int value) {
    static platform::ThreadLocal<CachedTable<std::uint16_t, 65536>> tables;
    return tables.Get().Get(
        value, [&](std::uint16_t* t) { BuildBrightness<std::uint16_t, 65535>(value, t); });
}

const std::uint8_t* ContrastTable8(int value) {
    static platform::ThreadLocal<CachedTable<std::uint8_t, 256>> tables;
    return tables.Get().Get(value,
                            [&](std::uint8_t* t) { BuildContrast<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* ContrastTable16(int value) {
    static platform::ThreadLocal<CachedTable<std::uint16_t, 65536>> tables;
    return tables.Get().Get(
        value, [&](std::uint16_t* t) { BuildContrast<std::uint16_t, 65535>(value, t); });
}

const ComputedCurve16* ContrastLine16(int value) {
    struct Line {
        ComputedCurve16 computed;
        int value = 0;
        bool valid = false;
    };
    static_assert(std::is_trivially_destructible_v<Line>, "a plain thread_local");
    thread_local Line line;
    if (!line.valid || line.value != value) {
        line.value = value;
        line.valid = true;
        ComputedCurve16& c = line.computed;
        c.run = nullptr;
        c.curve.factorLow = 0.0f;
        // The same operands as the table: 65536 / (65536 - 2g) * (i - g).
        const long long g = static_cast<long long>(value) * 256;
        c.curve.table = ContrastTable16(value);
        c.curve.slope = 65536.0 / (65536.0 - 2.0 * static_cast<double>(g));
        c.curve.start = static_cast<int>(g);
        // Steep lines leave the range of the runs' 32-bit lanes; the table
        // of the last values is all zeros anyway.
        if (g > -32768 && g < 32513) {
            const rows::RowSet& vector = rows::ActiveRows();
            // The single-precision slope nearest the double one, then its
            // neighbours above and below.
            const float nearest = static_cast<float>(c.curve.slope);
            const float slopes[] = {nearest, std::nextafter(nearest, 1e9f),
                                    std::nextafter(nearest, 0.0f)};
            for (float slope : slopes) {
                c.curve.factor = slope;
                if (RunGivesTable(vector.scale16, c.curve, c.curve.table)) {
                    c.run = vector.scale16;
                    break;
                }
            }
            // Lines whose double products fall just short of some whole
            // numbers need a slope wider than one float; any line the two
            // floats do not reproduce keeps the double product.
            if (c.run == nullptr && vector.split16 != nullptr) {
                c.curve.factor = nearest;
                double cut = 2.0;
                if (FindWholeCut(g, c.curve.table, &cut)) {
                    const double shortened = c.curve.slope * (1.0 - std::ldexp(1.0, -24) / cut);
                    c.curve.factorLow =
                        static_cast<float>(shortened - static_cast<double>(nearest));
                    if (RunGivesTable(vector.split16, c.curve, c.curve.table))
                        c.run = vector.split16;
                }
            }
            if (c.run == nullptr && RunGivesTable(vector.line16, c.curve, c.curve.table))
                c.run = vector.line16;
        }
    }
    return line.computed.run != nullptr ? &line.computed : nullptr;
}

const std::uint8_t* GammaTable8(int value) {
    static platform::ThreadLocal<CachedTable<std::uint8_t, 256>> tables;
    return tables.Get().Get(value,
                            [&](std::uint8_t* t) { BuildGamma<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* GammaTable16(int value) {
    static platform::ThreadLocal<CachedTable<std::uint16_t, 65536>> tables;
    return tables.Get().Get(value,
                            [&](std::uint16_t* t) { BuildGamma<std::uint16_t, 65535>(value, t); });
}

}  // namespace nodrix::imaging
