// Frames through the public C API as an application sees them: a callback
// preview of the full sensor with a buffer, from the emulated camera paced
// at the USB 3.0 link rate (the sensor's line length chosen so that the
// camera sends about 380 MB/s), with the wait time at 1 ms.
//
// Reported per bit depth:
// - sent_fps, delivered_fps and delivered_pct: frames the camera sends (from
//   its frame period) and frames the application is told about;
// - sdk_memcpys: processor time of the whole process per delivered frame,
//   less what the emulated camera spent computing its payloads meanwhile (its
//   meter, emulator/GenerationMeter.h), as a multiple of one streaming memcpy
//   of a frame (between buffers that do not stay in the caches) measured in
//   the same run;
// - emulator_memcpys: the emulated camera's cost of one frame, from the same
//   meter, likewise; emulator_alone_memcpys: the same frame computed on its
//   own, back to back into buffers that do not stay in the caches;
// - paced_memcpy_us and sdk_paced_memcpys: the reference copy again, one per
//   frame period with the thread idle in between, as the copies of a paced
//   stream run, and the SDK's processor time per frame in those. A copy after
//   an idle millisecond can cost twice one of a back-to-back series (caches,
//   clocks and page-table entries have gone cold meanwhile).
//
// The machine may be shared: run with --benchmark_repetitions and read the
// medians.

#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
#include <benchmark/benchmark.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "DeliveryBench.h"
#include "NodrixSdk.h"
#include "api/MessageProbe.h"
#include "emulator/TestPattern.h"

namespace {

using namespace nodrix_bench;

constexpr std::uint32_t kPayloadPiece = 0x80000;
constexpr double kRunSeconds = 3.0;

const bool kEnvironment = UseEmulation("1");

// What the emulated camera spends on one frame's pixels on its own, read in
// the pieces the transport asks for.
double EmulatorFrameSeconds(int bits) {
    nodrix::emulator::FrameSnapshot frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.windowHeight = kHeight;
    frame.bytesPerSample = bits / 8;
    std::vector<std::vector<std::uint8_t>> frames(kRotatingFrames,
                                                  std::vector<std::uint8_t>(frame.PayloadBytes()));
    return CpuPerCall([&] {
        std::vector<std::uint8_t>& out = frames[frame.frameNumber % kRotatingFrames];
        ++frame.frameNumber;
        for (std::uint64_t done = 0; done < out.size(); done += kPayloadPiece) {
            const auto piece = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(kPayloadPiece, out.size() - done));
            nodrix::emulator::GeneratePayload(frame, done, out.data() + done, piece);
        }
        Keep(out);
    });
}

struct DeliveryFigures {
    const char* error = nullptr;
    double sentFps = 0;
    double deliveredFps = 0;
    double sdkMemcpys = 0;
    double emulatorMemcpys = 0;
    double emulatorAloneMemcpys = 0;
    double memcpyUs = 0;
    double sdkPacedMemcpys = 0;
    double pacedMemcpyUs = 0;
};

DeliveryFigures MeasureDelivery(int bits) {
    DeliveryFigures figures;
    const std::size_t frameBytes = std::size_t{kWidth} * kHeight * (bits / 8);
    const double memcpy = MemcpySeconds(frameBytes);
    const double pacedMemcpy = PacedMemcpySeconds(frameBytes);
    figures.memcpyUs = memcpy * 1e6;
    figures.pacedMemcpyUs = pacedMemcpy * 1e6;
    figures.emulatorAloneMemcpys = EmulatorFrameSeconds(bits) / memcpy;
    if (!Meter().Open()) {
        figures.error = "the emulated camera's meter did not open";
        return figures;
    }

    auto probe = nodrix::test::MakeMessageProbe();
    const int handle = Nodrix_Initialize(probe->Window());
    if (!kEnvironment || handle == 0 || Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0) != 1 ||
        Nodrix_SetColorMode(handle, bits) != 1 || Nodrix_SetWaitTime(handle, 1) != 1) {
        if (handle != 0) Nodrix_Release(handle);
        figures.error = "the emulated camera did not open";
        return figures;
    }
    std::vector<std::uint8_t> buffer(frameBytes);
    if (Nodrix_CallBackPreview(handle, probe->Window(), buffer.data(),
                               static_cast<int>(buffer.size()), 1) != 1) {
        Nodrix_Release(handle);
        figures.error = "the preview did not start";
        return figures;
    }
    // Paced to the link once the preview runs; the period as the sensor runs
    // it then, after it settled.
    const bool paced = PaceToLink(handle, frameBytes) > 0;
    for (const double settle = WallSeconds() + 0.5; WallSeconds() < settle;) probe->Next(50);
    const double period = SensorPeriod(handle);
    if (!paced || period <= 0) {
        RestoreLineLength(handle);
        Nodrix_Release(handle);
        figures.error = "the sensor's timing could not be read";
        return figures;
    }

    std::int64_t delivered = 0;
    const double emulatorStart = Meter().Seconds();
    const std::uint64_t bytesStart = Meter().Bytes();
    const double cpuStart = ProcessCpuSeconds();
    const double wallStart = WallSeconds();
    double wall = 0;
    while ((wall = WallSeconds() - wallStart) < kRunSeconds) {
        auto message = probe->Next(100);
        if (message && message->message == NODRIX_WM_FRAME && message->wParam != 0) {
            ++delivered;
        }
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double emulator = Meter().Seconds() - emulatorStart;
    const double generated =
        static_cast<double>(Meter().Bytes() - bytesStart) / static_cast<double>(frameBytes);
    RestoreLineLength(handle);
    Nodrix_StopPreview(handle);
    Nodrix_Release(handle);

    const double sent = wall / period;
    figures.sentFps = sent / wall;
    figures.deliveredFps = static_cast<double>(delivered) / wall;
    if (delivered > 0) {
        const double sdk = (cpu - emulator) / static_cast<double>(delivered);
        figures.sdkMemcpys = sdk / memcpy;
        if (pacedMemcpy > 0) figures.sdkPacedMemcpys = sdk / pacedMemcpy;
    }
    if (generated > 0) figures.emulatorMemcpys = emulator / generated / memcpy;
    return figures;
}

}  // namespace

#ifdef NODRIX_BENCH_WITHOUT_FRAMEWORK
// Where Google Benchmark is not built (the Windows cross builds): the same
// figures, one line per run and bit depth.
int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    for (int run = 0; run < runs; ++run) {
        for (int bits : {8, 16}) {
            const DeliveryFigures f = MeasureDelivery(bits);
            if (f.error != nullptr) {
                std::printf("bits:%d error: %s\n", bits, f.error);
                return 1;
            }
            std::printf(
                "bits:%d sent_fps=%.1f delivered_fps=%.1f delivered_pct=%.1f sdk_memcpys=%.2f "
                "emulator_memcpys=%.2f emulator_alone_memcpys=%.2f memcpy_us=%.1f "
                "sdk_paced_memcpys=%.2f paced_memcpy_us=%.1f\n",
                bits, f.sentFps, f.deliveredFps,
                f.sentFps > 0 ? 100 * f.deliveredFps / f.sentFps : 0, f.sdkMemcpys,
                f.emulatorMemcpys, f.emulatorAloneMemcpys, f.memcpyUs, f.sdkPacedMemcpys,
                f.pacedMemcpyUs);
            std::fflush(stdout);
        }
    }
    return 0;
}
#else
namespace {

void BM_CallbackPreviewAtLinkRate(benchmark::State& state) {
    DeliveryFigures f;
    for (auto _ : state) {
        f = MeasureDelivery(static_cast<int>(state.range(0)));
    }
    if (f.error != nullptr) {
        state.SkipWithError(f.error);
        return;
    }
    state.counters["sent_fps"] = f.sentFps;
    state.counters["delivered_fps"] = f.deliveredFps;
    state.counters["delivered_pct"] = f.sentFps > 0 ? 100.0 * f.deliveredFps / f.sentFps : 0;
    state.counters["sdk_memcpys"] = f.sdkMemcpys;
    state.counters["emulator_memcpys"] = f.emulatorMemcpys;
    state.counters["emulator_alone_memcpys"] = f.emulatorAloneMemcpys;
    state.counters["memcpy_us"] = f.memcpyUs;
    state.counters["sdk_paced_memcpys"] = f.sdkPacedMemcpys;
    state.counters["paced_memcpy_us"] = f.pacedMemcpyUs;
}

BENCHMARK(BM_CallbackPreviewAtLinkRate)
    ->ArgName("bits")
    ->Arg(8)
    ->Arg(16)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
#endif
