// The two per-frame mask filters on a full-size frame: the dot filter at
// defect densities from none to every pixel (8 and 16 bit), and the
// flat-field correction against uneven reference planes.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/CDibImage.h"
#include "pipeline/DefectPixelFilter.h"
#include "pipeline/FlatFieldFilter.h"
#include "pipeline/FrameView.h"

using namespace nodrix;
using nodrix::imaging::CDibImage;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

// Writes sample values of the image's depth: 8-bit values as they are,
// 16-bit ones scaled to the 12-bit range in 16-bit samples.
void Put(CDibImage& image, int y, int x, int value) {
    if (image.Bits() == 16) {
        const auto sample = static_cast<std::uint16_t>(value);
        std::memcpy(image.Row(y) + 2 * x, &sample, sizeof sample);
    } else {
        image.Row(y)[x] = static_cast<std::uint8_t>(value);
    }
}

// A gently varying scene with a little noise, well below the threshold.
void FillScene(CDibImage& frame, std::mt19937& rng) {
    const int scale = frame.Bits() == 16 ? 16 : 1;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Put(frame, y, x, (60 + (x + y) / 32 + static_cast<int>(rng() % 4)) * scale);
        }
    }
}

// Times one call of run per iteration, the frame restored untimed first.
template <typename Run>
void TimeOnFrame(benchmark::State& state, CDibImage& frame, Run run) {
    const std::vector<std::uint8_t> pristine(frame.Pixels(), frame.Pixels() + frame.SizeBytes());
    for (auto _ : state) {
        std::memcpy(frame.Pixels(), pristine.data(), pristine.size());
        const auto start = std::chrono::steady_clock::now();
        run();
        benchmark::ClobberMemory();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Args: sample bits, percentage of pixels the dark defect map names.
void BM_DotFilter(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const int percent = static_cast<int>(state.range(1));
    CDibImage frame, defectDark, defectWhite, mark;
    for (CDibImage* image : {&frame, &defectDark, &defectWhite, &mark}) {
        image->Allocate(kWidth, kHeight, bits);
    }
    std::mt19937 rng(11);
    FillScene(frame, rng);
    std::memset(defectDark.Pixels(), 0, defectDark.SizeBytes());
    std::memset(defectWhite.Pixels(), 0, defectWhite.SizeBytes());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (static_cast<int>(rng() % 100) < percent) Put(defectDark, y, x, 1);
        }
    }
    TimeOnFrame(state, frame, [&] {
        if (bits == 16) {
            pipeline::ApplyDefectFilter16(frame, mark, defectDark, defectWhite,
                                          pipeline::kDefectThreshold16);
        } else {
            pipeline::ApplyDefectFilter8(frame, mark, defectDark, defectWhite,
                                         pipeline::kDefectThreshold8);
        }
    });
    state.SetLabel(std::to_string(bits) + "-bit, " + std::to_string(percent) + "% marked");
}
BENCHMARK(BM_DotFilter)
    ->ArgsProduct({{8, 16}, {0, 1, 25, 100}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// Arg: sample bits. Reference planes with a random dark level and white
// level per pixel, some of them equal or inverted.
void BM_FlatField(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const int full = bits == 16 ? 4095 : 255;
    CDibImage frame, dark, white;
    for (CDibImage* image : {&frame, &dark, &white}) image->Allocate(kWidth, kHeight, bits);
    std::mt19937 rng(5);
    FillScene(frame, rng);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Put(dark, y, x, static_cast<int>(rng() % (full / 4)));
            Put(white, y, x, full - static_cast<int>(rng() % (full / 3)));
        }
    }
    TimeOnFrame(state, frame, [&] {
        if (bits == 16) {
            pipeline::ApplyFlatField16(frame, dark, white, 0, 0, 2);
        } else {
            pipeline::ApplyFlatField8(frame, dark, white, 0, 0, 2);
        }
    });
    state.SetLabel(std::to_string(bits) + "-bit");
}
BENCHMARK(BM_FlatField)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
