// One full-size frame through the conversion pipeline, 8 and 16 bit, with
// the default parameters (nothing to do) and with every software step on.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "pipeline/FrameConverter.h"
#include "pipeline/FrameView.h"

using namespace nodrix;
using nodrix::imaging::CDibImage;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

struct PipelineBench {
    CDibImage raw8, raw16, rgb24, scratch;
    CDibImage dark8, white8, dark16, white16;
    CDibImage defectDark8, defectWhite8, defectDark16, defectWhite16, mark8, mark16;
    ImageParameters image;
    CameraParameters camera;
    platform::RecursiveLock maskLock;
    pipeline::PipelineContext context;

    explicit PipelineBench(int colorMode) {
        image.gamma = 100;
        image.bayerGainRed = image.bayerGainGreen = image.bayerGainBlue = 100;
        std::fill(std::begin(image.greyGain), std::end(image.greyGain), 128);
        std::fill(std::begin(image.greyOffset), std::end(image.greyOffset), 128);
        CDibImage& raw = colorMode == 1 ? raw16 : raw8;
        raw.Allocate(kWidth, kHeight, colorMode == 1 ? 16 : 8);
        rgb24.Allocate(kWidth, kHeight, 24);
        scratch.CopyFrom(raw);
        for (CDibImage* m : {&dark8, &white8, &defectDark8, &defectWhite8, &mark8}) {
            m->Allocate(kWidth, kHeight, 8);
        }
        for (CDibImage* m : {&dark16, &white16, &defectDark16, &defectWhite16, &mark16}) {
            m->Allocate(kWidth, kHeight, 16);
        }
        std::memset(white8.Pixels(), 255, white8.SizeBytes());
        auto w16 = pipeline::ViewOf<std::uint16_t>(white16);
        std::fill_n(w16.samples, w16.Count(), 0x0FFF);
        context.images = {&raw8, &raw16, &rgb24, nullptr, nullptr, nullptr, &scratch,
                          &dark8, &white8, &dark16, &white16, &defectDark8, &defectWhite8,
                          &defectDark16, &defectWhite16, &mark8, &mark16};
        context.imageParams = &image;
        context.cameraParams = &camera;
        context.geometry.width = kWidth;
        context.geometry.height = kHeight;
        context.colorMode = colorMode;
        context.maskLock = &maskLock;
    }

    // A scene with a little noise, so the defect filter has real work.
    void Fill() {
        std::mt19937 rng(7);
        CDibImage& raw = *pipeline::RawImageOf(context.images, context.colorMode);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int level = 60 + ((x / 64 + y / 64) % 4) * 30 + static_cast<int>(rng() % 5);
                if (raw.Bits() == 16) {
                    reinterpret_cast<std::uint16_t*>(raw.Row(y))[x] =
                        static_cast<std::uint16_t>(level * 16);
                } else {
                    raw.Row(y)[x] = static_cast<std::uint8_t>(level);
                }
            }
        }
    }

    void EveryStepOn() {
        context.maskFilter = true;
        context.dotFilter = true;
        image.greyMode = 1;
        image.greyGain[0] = 140;
        image.greyOffset[1] = 2;
        image.gamma = 80;
        image.contrast = 20;
        image.sharpness = 10;
        image.brightness = 20;
        camera.mirrorH = 1;  // no camera: mirrored in software
    }
};

void BM_Pipeline(benchmark::State& state) {
    PipelineBench bench(static_cast<int>(state.range(0)));
    if (state.range(1) != 0) bench.EveryStepOn();
    bench.Fill();
    CDibImage& raw = *pipeline::RawImageOf(bench.context.images, bench.context.colorMode);
    const std::vector<std::uint8_t> pristine(raw.Pixels(), raw.Pixels() + raw.SizeBytes());
    for (auto _ : state) {
        // Every run starts from the same frame; only the conversion is timed.
        std::memcpy(raw.Pixels(), pristine.data(), pristine.size());
        const auto start = std::chrono::steady_clock::now();
        pipeline::ConvertFrame(bench.context);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetLabel(std::string(state.range(0) == 1 ? "16-bit" : "8-bit") +
                   (state.range(1) != 0 ? ", every step" : ", defaults"));
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_Pipeline)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40)
    ->UseManualTime();

BENCHMARK_MAIN();
