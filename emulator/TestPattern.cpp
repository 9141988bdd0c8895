#include "emulator/TestPattern.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "emulator/SensorModel.h"

namespace nodrix::emulator {
namespace {

// A fixed scene of 12-bit levels for the full array: a diagonal gradient,
// concentric rings and a few bright and dark blocks, so that exposure, gain
// and black level show.
const std::vector<std::uint16_t>& SceneLevels() {
    static std::once_flag once;
    static std::vector<std::uint16_t> levels;
    std::call_once(once, [] {
        levels.resize(static_cast<std::size_t>(kSensorWidth) * kSensorHeight);
        const double cx = kSensorWidth / 2.0;
        const double cy = kSensorHeight / 2.0;
        for (std::uint32_t y = 0; y < kSensorHeight; ++y) {
            for (std::uint32_t x = 0; x < kSensorWidth; ++x) {
                double v = 0.15 + 0.45 * (x + y) / double(kSensorWidth + kSensorHeight);
                const double r = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
                v += 0.2 * (0.5 + 0.5 * std::cos(r / 12.0));
                if (x >= 100 && x < 300 && y >= 100 && y < 300) v = 0.95;
                if (x >= 980 && x < 1180 && y >= 724 && y < 924) v = 0.02;
                levels[static_cast<std::size_t>(y) * kSensorWidth + x] =
                    static_cast<std::uint16_t>(std::clamp(v, 0.0, 1.0) * 4095.0);
            }
        }
    });
    return levels;
}

std::uint32_t Noise(std::uint32_t x, std::uint32_t y, std::uint32_t n) {
    std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ n * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return h & 7;  // 0..7, centred on 3.5
}

std::uint32_t SceneValue12(const FrameSnapshot& f, const std::uint16_t* sceneRow, std::uint32_t x,
                           std::uint32_t y) {
    const std::uint64_t lit = (static_cast<std::uint64_t>(sceneRow[x]) * f.sceneScale) >> 16;
    std::int64_t v = static_cast<std::int64_t>(f.sceneBlack) + static_cast<std::int64_t>(lit) +
                     static_cast<std::int64_t>(Noise(x, y, f.frameNumber)) - 3;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, 4095));
}

// Samples [first, first + n) of payload row k into a row of samples.
void GenerateRow8(const FrameSnapshot& f, std::uint32_t k, std::uint32_t first, std::uint32_t n,
                  std::uint8_t* out) {
    const std::uint32_t y = ImageRowOfPayloadRow(f, k);
    if (f.pattern == Pattern::Ramp) {
        const std::uint32_t base = y + f.frameNumber;
        if (!f.flipH) {
            for (std::uint32_t i = 0; i < n; ++i) out[i] = RampValue8(first + i, 0, base);
        } else {
            for (std::uint32_t i = 0; i < n; ++i)
                out[i] = RampValue8(kSensorWidth - 1 - (first + i), 0, base);
        }
        return;
    }
    const std::uint16_t* row =
        SceneLevels().data() + static_cast<std::size_t>(y % kSensorHeight) * kSensorWidth;
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint32_t x = first + i;
        x = f.flipH ? kSensorWidth - 1 - (x % kSensorWidth) : x % kSensorWidth;
        out[i] = static_cast<std::uint8_t>(SceneValue12(f, row, x, y) >> 4);
    }
}

std::uint16_t Sample16(const FrameSnapshot& f, const std::uint16_t* sceneRow, std::uint32_t x,
                       std::uint32_t y) {
    const std::uint32_t ix = f.flipH ? kSensorWidth - 1 - (x % kSensorWidth) : x;
    if (f.pattern == Pattern::Ramp) return RampValue16(ix, y, f.frameNumber);
    return static_cast<std::uint16_t>(SceneValue12(f, sceneRow, ix % kSensorWidth, y));
}

// Whole ramp samples [first, first + n) of image row y, little-endian. The
// loop has no branch and no modulo, so that the compiler turns it into wide
// stores: a 16-bit frame then costs about what a copy of it costs.
void RampSamples16(const FrameSnapshot& f, std::uint32_t y, std::uint32_t first, std::uint32_t n,
                   std::uint8_t* out) {
    const std::uint32_t base = y + f.frameNumber;
    if constexpr (std::endian::native == std::endian::little) {
        if (!f.flipH) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const auto v = static_cast<std::uint16_t>((4 * (first + i) + base) & 0x0FFF);
                std::memcpy(out + 2 * std::size_t{i}, &v, 2);
            }
        } else {
            const std::uint32_t mirrored = base + 4 * (kSensorWidth - 1 - first);
            for (std::uint32_t i = 0; i < n; ++i) {
                const auto v = static_cast<std::uint16_t>((mirrored - 4 * i) & 0x0FFF);
                std::memcpy(out + 2 * std::size_t{i}, &v, 2);
            }
        }
    } else {
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t x = first + i;
            const std::uint16_t v =
                RampValue16(f.flipH ? kSensorWidth - 1 - x : x, y, f.frameNumber);
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
}

void GenerateRowBytes16(const FrameSnapshot& f, std::uint32_t k, std::uint32_t byteFirst,
                        std::uint32_t byteCount, std::uint8_t* out) {
    const std::uint32_t y = ImageRowOfPayloadRow(f, k);
    const std::uint32_t firstSample = (byteFirst + 1) / 2;
    const std::uint32_t endSample = (byteFirst + byteCount) / 2;
    // Rows no wider than the sensor, the case of every real frame, take the
    // fast path; a read that splits a sample has its odd byte done below.
    if (f.pattern == Pattern::Ramp && endSample <= kSensorWidth && endSample > firstSample) {
        std::uint8_t* p = out;
        if (byteFirst & 1) {
            *p++ = static_cast<std::uint8_t>(Sample16(f, nullptr, byteFirst / 2, y) >> 8);
        }
        RampSamples16(f, y, firstSample, endSample - firstSample, p);
        p += 2 * std::size_t{endSample - firstSample};
        if ((byteFirst + byteCount) & 1) {
            *p = static_cast<std::uint8_t>(Sample16(f, nullptr, endSample, y));
        }
        return;
    }
    const std::uint16_t* sceneRow =
        f.pattern == Pattern::Scene
            ? SceneLevels().data() + static_cast<std::size_t>(y % kSensorHeight) * kSensorWidth
            : nullptr;
    std::uint32_t b = byteFirst;
    const std::uint32_t end = byteFirst + byteCount;
    std::uint8_t* p = out;
    if (b & 1) {  // a read that starts in the middle of a sample
        *p++ = static_cast<std::uint8_t>(Sample16(f, sceneRow, b / 2, y) >> 8);
        ++b;
    }
    for (; b + 1 < end; b += 2) {
        const std::uint16_t v = Sample16(f, sceneRow, b / 2, y);
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p += 2;
    }
    if (b < end) *p = static_cast<std::uint8_t>(Sample16(f, sceneRow, b / 2, y));
}

}  // namespace

std::uint32_t ImageRowOfPayloadRow(const FrameSnapshot& f, std::uint32_t k) {
    const std::uint32_t h = f.windowHeight;
    if (f.flipV) return f.windowY + k;
    // Rows beyond the sensor window (a payload taller than the window) wrap
    // around like an unsigned counter would.
    return f.windowY + h - 1 - k;
}

void GeneratePayload(const FrameSnapshot& f, std::uint64_t offset, std::uint8_t* dest,
                     std::uint32_t count) {
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(f.width) * f.bytesPerSample;
    if (rowBytes == 0) return;
    while (count > 0) {
        const std::uint32_t k = static_cast<std::uint32_t>(offset / rowBytes);
        const std::uint32_t inRow = static_cast<std::uint32_t>(offset % rowBytes);
        const std::uint32_t n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(count, rowBytes - inRow));
        if (f.bytesPerSample == 1) {
            GenerateRow8(f, k, inRow, n, dest);
        } else {
            GenerateRowBytes16(f, k, inRow, n, dest);
        }
        dest += n;
        offset += n;
        count -= n;
    }
}

}  // namespace nodrix::emulator
