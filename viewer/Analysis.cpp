#include "Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace nodrix_viewer {
namespace {

// Sample values a frame's samples may take: every 8- or 16-bit value.
std::size_t ValueCount(const Frame& frame) {
    return frame.BytesPerSample() == 1 ? 256u : 65536u;
}

template <typename Sample>
void CountSamples(const Frame& frame, std::vector<std::uint32_t>& counts) {
    const std::size_t perRow = static_cast<std::size_t>(frame.width) * frame.Channels();
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.stride];
        for (std::size_t i = 0; i < perRow; ++i) {
            Sample s;
            std::memcpy(&s, row + i * sizeof(Sample), sizeof s);
            ++counts[s];
        }
    }
}

template <typename Sample>
double GradientEnergy(const Frame& frame) {
    const int x0 = frame.width / 4, x1 = frame.width - frame.width / 4 - 1;
    const int y0 = frame.height / 4, y1 = frame.height - frame.height / 4 - 1;
    const int step = frame.Channels();
    std::uint64_t sum = 0;  // integer: no rounding, and cheaper per sample
    std::uint64_t n = 0;
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.stride];
        const std::uint8_t* below = row + frame.stride;
        for (int x = x0; x < x1; ++x) {
            Sample here, right, down;
            const std::size_t at = static_cast<std::size_t>(x) * step * sizeof(Sample);
            std::memcpy(&here, row + at, sizeof here);
            std::memcpy(&right, row + at + step * sizeof(Sample), sizeof right);
            std::memcpy(&down, below + at, sizeof down);
            const std::int64_t dx = static_cast<std::int64_t>(right) - here;
            const std::int64_t dy = static_cast<std::int64_t>(down) - here;
            sum += static_cast<std::uint64_t>(dx * dx + dy * dy);
        }
        n += static_cast<std::uint64_t>(x1 - x0);
    }
    if (n == 0) return 0.0;
    const double scale = static_cast<double>(1 << (frame.significantBits - 8));
    return static_cast<double>(sum) / static_cast<double>(n) / (scale * scale);
}

template <typename Sample>
void RenderRows(const Frame& frame, const std::uint32_t* lookup, std::uint8_t* out, int pitch) {
    const int channels = frame.Channels();
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.stride];
        auto* target = reinterpret_cast<std::uint32_t*>(out + static_cast<std::size_t>(y) * pitch);
        if (channels == 1) {
            for (int x = 0; x < frame.width; ++x) {
                Sample s;
                std::memcpy(&s, row + static_cast<std::size_t>(x) * sizeof(Sample), sizeof s);
                target[x] = lookup[s];
            }
            continue;
        }
        // Colour: blue, green, red (and a fourth) per pixel, each mapped as grey.
        for (int x = 0; x < frame.width; ++x) {
            Sample bgr[3];
            std::memcpy(bgr, row + static_cast<std::size_t>(x) * channels * sizeof(Sample),
                        sizeof bgr);
            target[x] = 0xFF000000u | (lookup[bgr[2]] & 0xFF) << 16 | (lookup[bgr[1]] & 0xFF) << 8 |
                        (lookup[bgr[0]] & 0xFF);
        }
    }
}

template <typename Sample>
void RenderScaledRows(const Frame& frame, const std::uint32_t* lookup, const int* columns,
                      int width, const int* rows, int height, std::uint8_t* out, int pitch) {
    const int channels = frame.Channels();
    for (int j = 0; j < height; ++j) {
        const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(rows[j]) * frame.stride];
        auto* target = reinterpret_cast<std::uint32_t*>(out + static_cast<std::size_t>(j) * pitch);
        if (channels == 1) {
            for (int i = 0; i < width; ++i) {
                Sample s;
                std::memcpy(&s, row + static_cast<std::size_t>(columns[i]) * sizeof(Sample),
                            sizeof s);
                target[i] = lookup[s];
            }
            continue;
        }
        for (int i = 0; i < width; ++i) {
            Sample bgr[3];
            std::memcpy(bgr, row + static_cast<std::size_t>(columns[i]) * channels * sizeof(Sample),
                        sizeof bgr);
            target[i] = 0xFF000000u | (lookup[bgr[2]] & 0xFF) << 16 | (lookup[bgr[1]] & 0xFF) << 8 |
                        (lookup[bgr[0]] & 0xFF);
        }
    }
}

std::uint32_t Grey(int level) {
    const auto v = static_cast<std::uint32_t>(std::clamp(level, 0, 255));
    return 0xFF000000u | v << 16 | v << 8 | v;
}

}  // namespace

void ComputeHistogram(const Frame& frame, Histogram& h) {
    h.bins.fill(0);
    h.samples = h.saturated = h.black = 0;
    h.low = h.high = 0;
    h.mean = 0.0;
    if (frame.Empty()) return;
    const std::size_t values = ValueCount(frame);
    h.counts.assign(values, 0);
    if (frame.BytesPerSample() == 1) {
        CountSamples<std::uint8_t>(frame, h.counts);
    } else {
        CountSamples<std::uint16_t>(frame, h.counts);
    }
    const int top = frame.MaxSample();
    double sum = 0.0;
    for (std::size_t v = 0; v < values; ++v) {
        const std::uint32_t c = h.counts[v];
        if (c == 0) continue;
        h.samples += c;
        sum += static_cast<double>(v) * c;
        const int value = static_cast<int>(std::min<std::size_t>(v, static_cast<std::size_t>(top)));
        h.bins[static_cast<std::size_t>(value) * Histogram::kBins / (top + 1)] += c;
        if (static_cast<int>(v) >= top) h.saturated += c;
    }
    h.black = h.counts[0];
    h.mean = sum / static_cast<double>(h.samples);
    const std::uint64_t tail = h.samples / 200;
    std::uint64_t seen = 0;
    for (std::size_t v = 0; v < values; ++v) {
        seen += h.counts[v];
        if (seen > tail) {
            h.low = static_cast<int>(v);
            break;
        }
    }
    seen = 0;
    for (std::size_t v = values; v-- > 0;) {
        seen += h.counts[v];
        if (seen > tail) {
            h.high = static_cast<int>(v);
            break;
        }
    }
}

double FocusMeasure(const Frame& frame) {
    if (frame.width < 8 || frame.height < 8) return 0.0;
    return frame.BytesPerSample() == 1 ? GradientEnergy<std::uint8_t>(frame)
                                       : GradientEnergy<std::uint16_t>(frame);
}

void BuildLookup(const Frame& frame, const Histogram& histogram, const DisplayOptions& options,
                 std::vector<std::uint32_t>& lookup) {
    const std::size_t values = ValueCount(frame);
    lookup.resize(values);
    const int top = frame.MaxSample();
    const int shift = frame.significantBits - 8;
    const bool stretch =
        options.mapping == Mapping::kAutoContrast && histogram.high > histogram.low;
    const double low = histogram.low;
    const double span = static_cast<double>(histogram.high - histogram.low);
    for (std::size_t v = 0; v < values; ++v) {
        const int s = static_cast<int>(v);
        if (options.markClipping && s >= top) {
            lookup[v] = kMarkSaturated;
        } else if (options.markClipping && s == 0) {
            lookup[v] = kMarkBlack;
        } else if (stretch) {
            lookup[v] = Grey(static_cast<int>((s - low) * 255.0 / span + 0.5));
        } else {
            lookup[v] = Grey(s >> shift);
        }
    }
}

LookupKey KeyOf(const Frame& frame, const Histogram& histogram, const DisplayOptions& options) {
    LookupKey key;
    key.bytesPerSample = frame.BytesPerSample();
    key.significantBits = frame.significantBits;
    key.options = options;
    if (options.mapping == Mapping::kAutoContrast) {
        key.low = histogram.low;
        key.high = histogram.high;
    }
    return key;
}

void RenderPicture(const Frame& frame, const std::vector<std::uint32_t>& lookup, std::uint8_t* out,
                   int pitch) {
    if (frame.Empty() || lookup.size() < ValueCount(frame)) return;
    if (frame.BytesPerSample() == 1) {
        RenderRows<std::uint8_t>(frame, lookup.data(), out, pitch);
    } else {
        RenderRows<std::uint16_t>(frame, lookup.data(), out, pitch);
    }
}

void SampleIndices(int count, float start, float scale, int size, std::vector<int>& out) {
    out.resize(static_cast<std::size_t>(std::max(count, 0)));
    if (size <= 0 || scale <= 0.0f) return;
    for (int i = 0; i < count; ++i) {
        const auto at =
            static_cast<int>(std::floor((static_cast<float>(i) + 0.5f + start) / scale));
        out[static_cast<std::size_t>(i)] = std::clamp(at, 0, size - 1);
    }
}

void RenderScaled(const Frame& frame, const std::vector<std::uint32_t>& lookup,
                  const std::vector<int>& columns, const std::vector<int>& rows, std::uint8_t* out,
                  int pitch) {
    if (frame.Empty() || lookup.size() < ValueCount(frame)) return;
    const auto inside = [](const std::vector<int>& v, int size) {
        return std::all_of(v.begin(), v.end(), [size](int i) { return i >= 0 && i < size; });
    };
    if (!inside(columns, frame.width) || !inside(rows, frame.height)) return;
    const int width = static_cast<int>(columns.size()), height = static_cast<int>(rows.size());
    if (frame.BytesPerSample() == 1) {
        RenderScaledRows<std::uint8_t>(frame, lookup.data(), columns.data(), width, rows.data(),
                                       height, out, pitch);
    } else {
        RenderScaledRows<std::uint16_t>(frame, lookup.data(), columns.data(), width, rows.data(),
                                        height, out, pitch);
    }
}

}  // namespace nodrix_viewer
