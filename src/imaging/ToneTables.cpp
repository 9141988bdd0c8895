// The lookup tables of brightness, contrast and gamma. Building a 16-bit
// gamma table costs 65535 calls of pow, so each table is kept per thread
// for the value it was built for and rebuilt only when the value changes;
// the output is the same as building it for every frame.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/ToneKernels.h"

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

}  // namespace

float BrightnessFactor(int v) {
    double f = 1.0;
    if (v < 0) f = 1.0 - std::abs(v) * (1.0 / 255);
    if (v > 0) f = 1.0 + v * (10.0 / 255);
    volatile float held = static_cast<float>(f);
    return held;
}

const std::uint8_t* BrightnessTable8(int value) {
    thread_local CachedTable<std::uint8_t, 256> table;
    return table.Get(value, [&](std::uint8_t* t) { BuildBrightness<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* BrightnessTable16(int value) {
    thread_local CachedTable<std::uint16_t, 65536> table;
    return table.Get(value,
                     [&](std::uint16_t* t) { BuildBrightness<std::uint16_t, 65535>(value, t); });
}

const std::uint8_t* ContrastTable8(int value) {
    thread_local CachedTable<std::uint8_t, 256> table;
    return table.Get(value, [&](std::uint8_t* t) { BuildContrast<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* ContrastTable16(int value) {
    thread_local CachedTable<std::uint16_t, 65536> table;
    return table.Get(value,
                     [&](std::uint16_t* t) { BuildContrast<std::uint16_t, 65535>(value, t); });
}

const std::uint8_t* GammaTable8(int value) {
    thread_local CachedTable<std::uint8_t, 256> table;
    return table.Get(value, [&](std::uint8_t* t) { BuildGamma<std::uint8_t, 255>(value, t); });
}

const std::uint16_t* GammaTable16(int value) {
    thread_local CachedTable<std::uint16_t, 65536> table;
    return table.Get(value, [&](std::uint16_t* t) { BuildGamma<std::uint16_t, 65535>(value, t); });
}

}  // namespace nodrix::imaging
