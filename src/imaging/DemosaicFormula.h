#pragma once
// The bilinear demosaic formula of one pixel, shared by the interior and
// border kernels. The output pixel stands for the corner shared by the
// source pixels (r-1, c-1), (r-1, c), (r, c-1) and (r, c); each colour is
// the 9:3:3:1 weighted sum (/16) of its four nearest samples around it.

#include <algorithm>
#include <cstdint>

namespace nodrix::imaging::demosaic {

// Weighted sums of blue and red (16 times the interpolated value) and the
// halved green sum.
struct PixelSums {
    std::int32_t blue;
    std::int32_t red;
    std::int32_t green;
};

// at(dy, dx) gives the source sample at (r + dy, c + dx); (rp, cp) is the
// Bayer phase of (r, c).
template <typename At>
inline PixelSums SumsAt(const At& at, int rp, int cp) {
    PixelSums s;
    if (rp == 0 && cp == 0) {
        s.blue = 9 * at(0, -1) + 3 * at(0, 1) + 3 * at(-2, -1) + at(-2, 1);
        s.red = 9 * at(-1, 0) + 3 * at(-1, -2) + 3 * at(1, 0) + at(1, -2);
        s.green = (at(-1, -1) + at(0, 0)) >> 1;
    } else if (rp == 0) {
        s.blue = 9 * at(0, 0) + 3 * at(0, -2) + 3 * at(-2, 0) + at(-2, -2);
        s.red = 9 * at(-1, -1) + 3 * at(-1, 1) + 3 * at(1, -1) + at(1, 1);
        s.green = (at(0, -1) + at(-1, 0)) >> 1;
    } else if (cp == 0) {
        s.blue = 9 * at(-1, -1) + 3 * at(-1, 1) + 3 * at(1, -1) + at(1, 1);
        s.red = 9 * at(0, 0) + 3 * at(0, -2) + 3 * at(-2, 0) + at(-2, -2);
        s.green = (at(0, -1) + at(-1, 0)) >> 1;
    } else {
        s.blue = 9 * at(-1, 0) + 3 * at(-1, -2) + 3 * at(1, 0) + at(1, -2);
        s.red = 9 * at(0, -1) + 3 * at(0, 1) + 3 * at(-2, -1) + at(-2, 1);
        s.green = (at(-1, -1) + at(0, 0)) >> 1;
    }
    return s;
}

// Gain factor of a gain in percent: 100 gives 128. Gains are limited to a
// range that keeps every product inside 64 bits; negative gains act as 0.
inline std::int32_t GainFactor(int percent) {
    return static_cast<std::int32_t>(std::clamp(percent, 0, 1 << 20) * 1.28);
}

// The plain 8-bit formula: factor * sum / 2048, 255 from 2^19 on.
inline std::uint8_t Scale8(std::int32_t factor, std::int32_t sum) {
    const std::int64_t v = static_cast<std::int64_t>(factor) * sum;
    return v < 0x80000 ? static_cast<std::uint8_t>(v >> 11) : 255;
}

// The vector kernels' formula: the sum is brought to 8 bits first, then
// multiplied in a 16-bit lane; valid for factors up to 256.
inline std::uint8_t ScaleVector8(std::int32_t factor, std::int32_t sum) {
    const std::int32_t v = ((sum >> 4) * factor) >> 7;
    return static_cast<std::uint8_t>(std::min(v, 255));
}

// The 16-bit formula: factor * sum / 2048, 65535 from 2^27 on.
inline std::uint16_t Scale16(std::int32_t factor, std::int32_t sum) {
    const std::int64_t v = static_cast<std::int64_t>(factor) * sum;
    return v < 0x8000000 ? static_cast<std::uint16_t>(v >> 11) : 65535;
}

// Largest factor each formula runs with; the vector formula beyond it would
// overflow its 16-bit lanes.
constexpr std::int32_t kMaxVectorFactor = 256;

}  // namespace nodrix::imaging::demosaic
