// Every imaging kernel on a 1280 x 1024 frame, each beside a plain memcpy of
// the same number of output bytes timed in the same run. The counter
// x_copy is the kernel's time as a multiple of that copy.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imaging/CDibImage.h"
#include "imaging/ConversionKernels.h"
#include "imaging/DemosaicSpans.h"
#include "imaging/ProcessorFeatures.h"
#include "imaging/ToneKernels.h"

using namespace nodrix::imaging;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

void FillRandom(CDibImage& img, int maxValue) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> dist(0, maxValue);
    const bool wide = img.Bits() == 16 || img.Bits() == 48 || img.Bits() == 64;
    for (int r = 0; r < img.Height(); ++r) {
        std::uint8_t* row = img.Row(r);
        if (wide) {
            for (int i = 0; i + 1 < img.Stride(); i += 2) {
                const int v = dist(rng);
                row[i] = static_cast<std::uint8_t>(v);
                row[i + 1] = static_cast<std::uint8_t>(v >> 8);
            }
        } else {
            for (int i = 0; i < img.Stride(); ++i) row[i] = static_cast<std::uint8_t>(dist(rng));
        }
    }
}

// Processor time of this thread, so that time the machine gives to other
// work does not count.
double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Times body() and a memcpy of copyBytes per iteration. x_copy compares the
// best kernel run with the best copy (least disturbed by other work).
void Measure(benchmark::State& state, std::size_t copyBytes, const std::function<void()>& body) {
    std::vector<std::uint8_t> from(copyBytes, 1), to(copyBytes, 2);
    double bestKernel = 1e9, bestCopy = 1e9;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        body();
        const double t1 = ThreadSeconds();
        std::memcpy(to.data(), from.data(), copyBytes);
        benchmark::ClobberMemory();
        const double t2 = ThreadSeconds();
        bestKernel = std::min(bestKernel, t1 - t0);
        bestCopy = std::min(bestCopy, t2 - t1);
        state.SetIterationTime(t1 - t0);
    }
    state.counters["best_us"] = bestKernel * 1e6;
    state.counters["copy_us"] = bestCopy * 1e6;
    state.counters["x_copy"] = bestCopy > 0 ? bestKernel / bestCopy : 0;
}

struct Frame {
    CDibImage src, dst;
    Frame(int srcBits, int dstBits, int srcMax, int width = kWidth) {
        src.Allocate(width, kHeight, srcBits);
        dst.Allocate(width, kHeight, dstBits);
        FillRandom(src, srcMax);
        FillRandom(dst, srcMax);
    }
};

void Register(const std::string& name, std::function<void(benchmark::State&)> fn) {
    benchmark::RegisterBenchmark(name.c_str(), fn)->UseManualTime()->Unit(benchmark::kMicrosecond);
}

void RegisterKernel(const std::string& name, PixelKernel kernel, int srcBits, int dstBits,
                    int srcMax, std::function<void*()> param, bool inPlace = false) {
    Register(name, [=](benchmark::State& state) {
        Frame f(srcBits, dstBits, srcMax);
        CDibImage& dst = inPlace ? f.src : f.dst;
        void* p = param();
        Measure(state, dst.SizeBytes(), [&] { dst.Apply(kernel, f.src, nullptr, 0, 0, p); });
    });
}

void RegisterDemosaic() {
    struct Span8 {
        const char* name;
        demosaic::SpanFn vector, plain;
        SimdLevel needs;
    };
    const Span8 spans8[] = {
        {"scalar", nullptr, nullptr, SimdLevel::None},
        {"sse2", demosaic::SpanVector8Sse2, demosaic::SpanPlain8Sse2, SimdLevel::Sse2},
        {"ssse3", demosaic::SpanVector8Ssse3, demosaic::SpanPlain8Ssse3, SimdLevel::Ssse3},
        {"avx2", demosaic::SpanVector8Avx2, demosaic::SpanPlain8Avx2, SimdLevel::Avx2},
        {"avx512", demosaic::SpanVector8Avx512, demosaic::SpanPlain8Avx512, SimdLevel::Avx512}};
    for (const Span8& s : spans8) {
        if (DetectSimdLevel() < s.needs) continue;
        for (int form = 0; form < 3; ++form) {
            const bool vectorFormula = form == 0;
            const int bits = form == 2 ? 32 : 24;
            const std::string name = std::string("DemosaicInterior8/") +
                                     (vectorFormula ? "vector" : "plain") + std::to_string(bits) +
                                     "/" + s.name;
            demosaic::SpanFn fn = vectorFormula ? s.vector : s.plain;
            Register(name, [=](benchmark::State& state) {
                Frame f(8, bits, 255);
                DemosaicParams p{0, 130, 100, 170};
                Measure(state, f.dst.SizeBytes(), [&] {
                    demosaic::InteriorWithSpan8(
                        f.dst.Pixels(), f.src.Pixels(), {0, 0, kWidth, kHeight}, 0, 0, bits / 8, 1,
                        f.dst.Stride(), f.src.Stride(), &p, vectorFormula, fn);
                });
            });
        }
    }
    struct Span16 {
        const char* name;
        demosaic::SpanFn fn;
        SimdLevel needs;
    };
    const Span16 spans16[] = {{"scalar", nullptr, SimdLevel::None},
                              {"sse41", demosaic::SpanPlain16Sse41, SimdLevel::Sse41},
                              {"avx2", demosaic::SpanPlain16Avx2, SimdLevel::Avx2}};
    for (const Span16& s : spans16) {
        if (DetectSimdLevel() < s.needs) continue;
        for (int bits : {48, 64}) {
            Register(std::string("DemosaicInterior16/") + std::to_string(bits) + "/" + s.name,
                     [=](benchmark::State& state) {
                         Frame f(16, bits, 4095);
                         DemosaicParams p{0, 130, 100, 170};
                         Measure(state, f.dst.SizeBytes(), [&] {
                             demosaic::InteriorWithSpan16(
                                 f.dst.Pixels(), f.src.Pixels(), {0, 0, kWidth, kHeight}, 0, 0,
                                 bits / 8, 2, f.dst.Stride(), f.src.Stride(), &p, s.fn);
                         });
                     });
        }
    }
    // The full colour conversion as the pipeline runs it: interior + border.
    for (int bits : {24, 48}) {
        Register(std::string("DemosaicFrame/") + std::to_string(bits) + "/dispatched",
                 [=](benchmark::State& state) {
                     Frame f(bits == 24 ? 8 : 16, bits, bits == 24 ? 255 : 4095);
                     DemosaicParams p{0, 130, 100, 170};
                     PixelKernel interior =
                         bits == 24 ? DemosaicInterior8Vector : DemosaicInterior16;
                     PixelKernel border = bits == 24 ? DemosaicBorder8 : DemosaicBorder16;
                     Measure(state, f.dst.SizeBytes(), [&] {
                         f.dst.Apply(interior, f.src, nullptr, 0, 0, &p);
                         f.dst.Apply(border, f.src, nullptr, 0, 0, &p);
                     });
                 });
    }
    RegisterKernel("DemosaicBorder8/24", DemosaicBorder8, 8, 24, 255, [] {
        static DemosaicParams p{0, 130, 100, 170};
        return &p;
    });
    RegisterKernel("DemosaicBorder16/48", DemosaicBorder16, 16, 48, 4095, [] {
        static DemosaicParams p{0, 130, 100, 170};
        return &p;
    });
}

void RegisterConversion() {
    auto none = [] { return static_cast<void*>(nullptr); };
    auto grey = [] {
        static GreyGainOffsetParams p{0, {140, 128, 120, 160}, {1, 2, 3, 4}, 12};
        return static_cast<void*>(&p);
    };
    auto balance = [] {
        static DemosaicParams p;
        return static_cast<void*>(&p);
    };
    RegisterKernel("GreyGainOffset8", GreyGainOffset8, 8, 8, 255, grey, true);
    RegisterKernel("GreyGainOffset16", GreyGainOffset16, 16, 16, 4095, grey, true);
    RegisterKernel("MeanOfRect8", MeanOfRect8, 8, 8, 255, none, true);
    RegisterKernel("MeanOfRect16", MeanOfRect16, 16, 16, 4095, none, true);
    RegisterKernel("GreyBalanceStats8", GreyBalanceStats8, 8, 8, 255, grey, true);
    RegisterKernel("WhiteBalanceStats8", WhiteBalanceStats8, 8, 8, 255, balance, true);
    RegisterKernel("WhiteBalanceStats16", WhiteBalanceStats16, 16, 16, 4095, balance, true);
    RegisterKernel("ColorToGrey/24", ColorToGrey, 24, 8, 255, none);
    RegisterKernel("ColorToGrey/32", ColorToGrey, 32, 8, 255, none);
    RegisterKernel("ReduceGrey16ForDisplay", ReduceGrey16ForDisplay, 16, 8, 65535, none);
    RegisterKernel("ReduceColorForDisplay/32", ReduceColorForDisplay, 32, 24, 255, none);
    RegisterKernel("ReduceColor16ForDisplay/48", ReduceColor16ForDisplay, 48, 24, 65535, none);
    RegisterKernel("ReduceColor16ForDisplay/64", ReduceColor16ForDisplay, 64, 24, 65535, none);
    RegisterKernel("ReduceGrey16ForRecording", ReduceGrey16ForRecording, 16, 8, 65535, none);
    RegisterKernel("ReduceColor16ForRecording/48", ReduceColor16ForRecording, 48, 24, 65535, none);
    RegisterKernel("ReduceColor16ForRecording/64", ReduceColor16ForRecording, 64, 24, 65535, none);
    RegisterKernel("ReduceColorForRecording/24", ReduceColorForRecording, 24, 24, 255, none);
    RegisterKernel("ReduceColorForRecording/32", ReduceColorForRecording, 32, 24, 255, none);
    for (int bits : {8, 24}) {
        Register(std::string("ScaleNearest") + std::to_string(bits), [=](benchmark::State& state) {
            Frame f(bits, bits, 255);
            Measure(state, f.dst.SizeBytes(), [&] {
                f.dst.ApplyScaled(bits == 8 ? ScaleNearest8 : ScaleNearest24, f.src, nullptr,
                                  nullptr);
            });
        });
    }
    for (int bits : {8, 16}) {
        Register(std::string("ExpandRows") + std::to_string(bits), [=](benchmark::State& state) {
            // 1277 pixels: packed rows are shorter than the stride.
            Frame f(bits, bits, 255, 1277);
            Measure(state, f.src.SizeBytes(), [&] {
                f.src.Apply(bits == 8 ? ExpandRows8 : ExpandRows16, f.src, nullptr, 0, 0, nullptr);
            });
        });
    }
}

void RegisterTone() {
    struct Adjustment {
        const char* name;
        PixelKernel k8, k16, kc8, kc16;
        int value;
    };
    const Adjustment adjustments[] = {
        {"Brightness", Brightness8, Brightness16, BrightnessColor8, BrightnessColor16, 40},
        {"Contrast", Contrast8, Contrast16, ContrastColor8, ContrastColor16, 40},
        {"Gamma", Gamma8, Gamma16, GammaColor8, GammaColor16, 70},
        {"Sharpness", Sharpness8, Sharpness16, SharpnessColor8, SharpnessColor16, 15}};
    for (const Adjustment& a : adjustments) {
        const bool inPlace = std::string(a.name) != "Sharpness";
        const int value = a.value;
        auto param = [value] {
            static int v;
            v = value;
            return static_cast<void*>(&v);
        };
        RegisterKernel(std::string(a.name) + "/8", a.k8, 8, 8, 255, param, inPlace);
        RegisterKernel(std::string(a.name) + "/16", a.k16, 16, 16, 65535, param, inPlace);
        RegisterKernel(std::string(a.name) + "/24", a.kc8, 24, 24, 255, param, inPlace);
        RegisterKernel(std::string(a.name) + "/32", a.kc8, 32, 32, 255, param, inPlace);
        RegisterKernel(std::string(a.name) + "/48", a.kc16, 48, 48, 65535, param, inPlace);
        RegisterKernel(std::string(a.name) + "/64", a.kc16, 64, 64, 65535, param, inPlace);
    }
    // Most contrast values run the 16-bit curve as a single-precision line;
    // 30 is one of those whose slope needs two floats.
    RegisterKernel("Contrast30/16", Contrast16, 16, 16, 65535, [] {
        static int v = 30;
        return static_cast<void*>(&v);
    }, true);
    auto hue = [] {
        static HueSaturationParams p{45, 0, 30, 8};
        return static_cast<void*>(&p);
    };
    RegisterKernel("HueSaturation/24", HueSaturationColor8, 24, 24, 255, hue, true);
    RegisterKernel("HueSaturation/32", HueSaturationColor8, 32, 32, 255, hue, true);
    RegisterKernel("HueSaturation/48", HueSaturationColor16, 48, 48, 65535, hue, true);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterDemosaic();
    RegisterConversion();
    RegisterTone();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
