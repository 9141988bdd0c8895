// Hue rotation and saturation in an integer hexcone model. A pixel is split
// into lightness L = max + min, chroma C = max - min, and its position s, d
// on the six sectors of the hue circle; saturation scales the chroma,
// lightness maps L through a table, the hue adds a rotation of whole sectors
// and a fraction, and the pixel is put together again from the sector's
// mask and step. All in integers on 8-bit samples.

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "imaging/RowKernels.h"
#include "imaging/ToneKernels.h"

namespace nodrix::imaging {

namespace {

struct HueTables {
    std::int32_t grey[256];    // i * 0x010101
    std::uint32_t recip[256];  // 0xFF0000 / i
    std::int32_t scale[256];   // chroma scaled by the saturation
    std::int32_t lightness[512];
    std::int32_t limit[512];  // largest chroma at each lightness
    int saturation = 0;
    int lightnessValue = 0;
    bool built = false;
    bool dark = false;  // the lightness formulas the tables hold
    int lightnessFactor = 0;
};

// Kept per thread: rebuilt only when saturation or lightness change.
HueTables& Tables(int saturation, int lightness) {
    static_assert(std::is_trivially_destructible_v<HueTables>, "a plain thread_local");
    thread_local HueTables t;
    if (!t.built) {
        for (int i = 0; i < 256; ++i) {
            t.grey[i] = i * 0x010101;
            t.recip[i] = i == 0 ? 0u : 0xFF0000u / static_cast<std::uint32_t>(i);
        }
    }
    if (!t.built || saturation != t.saturation || lightness != t.lightnessValue) {
        for (int i = 0; i < 256; ++i)
            t.scale[i] = static_cast<std::int32_t>(
                (static_cast<std::int64_t>(i) * (saturation + 256) * 256 + 0x8000) >> 16);
        const std::int64_t v = static_cast<std::int64_t>(lightness) * 256 + 128;
        const std::int64_t k = v >> 8;
        const bool dark = k == 0 || v < 0;
        const std::int64_t kk = dark ? k + 256 : 256 - k;
        for (int i = 0; i < 512; ++i) {
            const std::int64_t lt =
                dark ? (kk * i + 128) >> 8 : 511 - ((kk * (511 - i) + 128) >> 8);
            t.lightness[i] = static_cast<std::int32_t>(lt);
            t.limit[i] = static_cast<std::int32_t>(lt < 256 ? lt : 511 - lt);
        }
        t.dark = dark;
        t.lightnessFactor = static_cast<int>(kk);
        t.saturation = saturation;
        t.lightnessValue = lightness;
        t.built = true;
    }
    return t;
}

struct SectorStep {
    std::int32_t mask;
    std::int32_t step;
};
constexpr SectorStep kSectors[12] = {{0xFF00FF, -1}, {0xFF0000, 0x100},  {0xFFFF00, -0x10000},
                                     {0x00FF00, 1},  {0x00FFFF, -0x100}, {0x0000FF, 0x10000},
                                     {0xFF00FF, -1}, {0xFF0000, 0x100},  {0xFFFF00, -0x10000},
                                     {0x00FF00, 1},  {0x00FFFF, -0x100}, {0x0000FF, 0x10000}};

// One pixel (blue, green, red) -> 0x00RRGGBB.
inline std::int32_t Adjust(const HueTables& t, int sector, int offset, int blue, int green,
                           int red) {
    int max = red, other = green, s = 1, d = green - blue;
    if (red < green) {
        max = green;
        other = red;
        s = 3;
        d = blue - red;
    }
    if (blue > max) {
        max = blue;
        s = 5;
        d = red - green;
    }
    const int min = std::min(other, blue);
    const int chroma = max - min;
    const int light = max + min;
    if (d < 0) {
        s -= 1;
        d += chroma;
    }
    const std::int32_t l2 = t.lightness[light];
    const std::int32_t c2 = std::min(t.scale[chroma], t.limit[light]);
    const std::int32_t m = (l2 - c2) >> 1;
    const std::int32_t c = ((c2 + l2) >> 1) - m;
    std::int32_t result = t.grey[std::clamp(m, 0, 255)];
    if (chroma != 0) {
        std::int32_t p = static_cast<std::int32_t>((static_cast<std::uint32_t>(t.recip[chroma]) *
                                                        static_cast<std::uint32_t>(d) +
                                                    0x8000u) >>
                                                   16) +
                         offset;
        s += sector;
        if (p >= 255) {
            p -= 255;
            s += 1;
        }
        const SectorStep& ss = kSectors[s];
        result += (t.grey[std::clamp(c, 0, 255)] & ss.mask) + ((c * p + 128) >> 8) * ss.step;
    }
    return result;
}

// Rows of the scalar kernel from pixel `from` on: pixels of bpp bytes whose
// first three bytes (or high bytes of the first three samples, kWide) are
// blue, green and red.
template <bool kWide>
void AdjustPixels(const HueTables& t, int sector, int offset, const std::uint8_t* s,
                  std::uint8_t* d, int from, int count, int srcBpp, int dstBpp) {
    s += static_cast<std::ptrdiff_t>(from) * srcBpp;
    d += static_cast<std::ptrdiff_t>(from) * dstBpp;
    for (int c = from; c < count; ++c, s += srcBpp, d += dstBpp) {
        if constexpr (kWide) {
            // The high byte of each sample; the result comes back as the
            // high byte with a zero low byte.
            const std::int32_t v = Adjust(t, sector, offset, s[1], s[3], s[5]);
            d[0] = 0;
            d[1] = static_cast<std::uint8_t>(v);
            d[2] = 0;
            d[3] = static_cast<std::uint8_t>(v >> 8);
            d[4] = 0;
            d[5] = static_cast<std::uint8_t>(v >> 16);
        } else {
            const std::int32_t v = Adjust(t, sector, offset, s[0], s[1], s[2]);
            d[0] = static_cast<std::uint8_t>(v);
            d[1] = static_cast<std::uint8_t>(v >> 8);
            d[2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
}

// The high bytes of the colour samples of a row of 48/64-bit pixels as
// 24-bit pixels.
void HighBytes(const std::uint8_t* s, std::uint8_t* colours, int count, int bpp) {
    const rows::RowSet& vector = rows::ActiveRows();
    int c = 0;
    if (bpp == 6 && vector.topBytes != nullptr) c = vector.topBytes(s, colours, 3 * count, 8) / 3;
    if (bpp == 8 && vector.bgrx64To24Top != nullptr) c = vector.bgrx64To24Top(s, colours, count, 8);
    for (; c < count; ++c)
        for (int k = 0; k < 3; ++k) colours[3 * c + k] = s[bpp * c + 2 * k + 1];
}

template <bool kWide>
int HueSaturation(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX,
                  int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param) {
    const auto* p = static_cast<const HueSaturationParams*>(param);
    constexpr int kMinBpp = kWide ? 6 : 3;
    if (p == nullptr || dstBpp < kMinBpp || srcBpp < kMinBpp) return 0;
    int sector = 0, offset = 0;
    HueRotation(p->hue, sector, offset);
    const HueTables& t = Tables(p->saturation, p->lightness);

    // The vectorised rows compute the tables' formulas in 32-bit lanes,
    // which hold them for parameters in range.
    const rows::RowSet& vector = rows::ActiveRows();
    const bool inRange = p->saturation >= -255 && p->saturation <= 255 && p->lightness >= -255 &&
                         p->lightness <= 255;
    const bool packed =
        dstBpp == srcBpp && (kWide ? (dstBpp == 6 || dstBpp == 8) : (dstBpp == 3 || dstBpp == 4));
    const bool fast = inRange && packed && vector.hueRow != nullptr &&
                      (!kWide || vector.highBytesToSamples != nullptr);
    rows::HueRowParams h;
    h.sector = sector;
    h.offset = offset;
    h.saturationScale = (p->saturation + 256) * 256;
    h.dark = t.dark;
    h.lightnessFactor = t.lightnessFactor;
    h.recip = t.recip;
    const int width = rect.Width();
    thread_local std::vector<std::uint8_t> colours;
    if (fast && kWide) colours.resize(static_cast<std::size_t>(width) * 3);

    for (int r = rect.top; r < rect.bottom; ++r) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(r) * srcStride +
                                static_cast<std::ptrdiff_t>(rect.left) * srcBpp;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(dstY + r - rect.top) * dstStride +
                          static_cast<std::ptrdiff_t>(dstX) * dstBpp;
        if (!fast) {
            AdjustPixels<kWide>(t, sector, offset, s, d, 0, width, srcBpp, dstBpp);
        } else if constexpr (kWide) {
            // Through a row of 24-bit pixels: the high bytes, adjusted,
            // written back as samples.
            std::uint8_t* row = colours.data();
            HighBytes(s, row, width, srcBpp);
            const int done = vector.hueRow(h, row, row, width, 3);
            AdjustPixels<false>(t, sector, offset, row, row, done, width, 3, 3);
            int c = vector.highBytesToSamples(row, d, width, dstBpp);
            for (; c < width; ++c)
                for (int k = 0; k < 3; ++k) {
                    d[dstBpp * c + 2 * k] = 0;
                    d[dstBpp * c + 2 * k + 1] = row[3 * c + k];
                }
        } else {
            const int done = vector.hueRow(h, s, d, width, dstBpp);
            AdjustPixels<false>(t, sector, offset, s, d, done, width, srcBpp, dstBpp);
        }
    }
    return 1;
}

}  // namespace

void HueRotation(int hue, int& sector, int& offset) {
    const int h = static_cast<int>((static_cast<std::int64_t>(hue) * 65536 / 360) & 0xFFFF);
    const int l = (h * 6) >> 8;
    int a = l % 512;
    if (a >= 256) a -= 512;
    const int b = ((l + 256) >> 9) % 3;
    int rot = a + 510 * b;
    if (rot < 0)
        rot += 1530;
    else if (rot > 1529)
        rot -= 1530;
    sector = rot / 255;
    offset = rot % 255;
}

int HueSaturationColor8(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                        int dstX, int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                        void* param) {
    return HueSaturation<false>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
                                param);
}

int HueSaturationColor16(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect,
                         int dstX, int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride,
                         void* param) {
    return HueSaturation<true>(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride,
                               param);
}

}  // namespace nodrix::imaging
