// Frames per second and processor time per frame of the camera core's
// acquisition path: full-size frames from the emulated camera delivered as
// fast as it can (pace max), read through WaitFrame and ReadFrame, in 8 and
// 16 bits per pixel. The processor time counts the whole process, so it
// includes the acquisition thread and the emulated camera producing pixels.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/BufferCapacity.h"
#include "core/CNodrixUSB3T2SimpleSdk.h"
#include "core/FrameRing.h"
#include "emulator/EmulatedDriver.h"
#include "platform/DriverPort.h"

namespace {

using namespace nodrix;

void BM_AcquireFullFrames(benchmark::State& state) {
    const int sixteen = static_cast<int>(state.range(0));
    emulator::EmulatorConfig config = emulator::EmulatedDriver::DefaultConfig();
    config.pace = emulator::Pace::Max;
    emulator::EmulatedDriver driver(config);
    platform::InstallDriverPort(&driver);
    {
        auto core = std::make_unique<CNodrixUSB3T2SimpleSdk>();
        core->SetProductId(0x33B0);
        core->Setup(nullptr, nullptr);
        if (core->CountCameras(0x33B0) < 1 || !core->OpenCamera(0) ||
            !core->SetTransferBits(sixteen) || !core->SetCaptureWindow(0, 0, 1280, 1024, 0) ||
            !core->StartTransfer(kModeContinuous)) {
            state.SkipWithError("the emulated camera did not open");
        } else {
            std::vector<std::uint8_t> frame(core->FrameSize());
            std::int64_t frames = 0;
            for (auto _ : state) {
                // A wake-up for a frame already taken is not a frame.
                int result = kWaitNoFrame;
                for (int i = 0; i < 50 && result == kWaitNoFrame; ++i) {
                    result = core->WaitFrame(100);
                }
                if (result != kWaitNewFrame) {
                    state.SkipWithError("no frame within 5 s");
                    break;
                }
                core->ReadFrame(frame.data(), 0, 0, 0, 1);
                benchmark::DoNotOptimize(frame.data());
                ++frames;
            }
            state.SetItemsProcessed(frames);
            state.SetBytesProcessed(frames * static_cast<std::int64_t>(frame.size()));
            state.counters["fps"] = benchmark::Counter(static_cast<double>(frames),
                                                       benchmark::Counter::kIsRate);
        }
        core->Shutdown();
    }
    platform::InstallDriverPort(nullptr);
}

BENCHMARK(BM_AcquireFullFrames)
    ->ArgName("sixteen")
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

// The core's own share of a frame: the copy into the ring and the oriented
// copy out (this sensor's code 3, rows reversed), without camera or driver.
void BM_RingCopyInAndOut(benchmark::State& state) {
    const std::uint32_t bytesPerPixel = static_cast<std::uint32_t>(state.range(0)) ? 2 : 1;
    const core::FrameGeometry geometry{1280, 1024, bytesPerPixel};
    core::FrameRing ring;
    if (!ring.Allocate(core::TransferCapacity(1280, 1024, bytesPerPixel))) {
        state.SkipWithError("no memory");
        return;
    }
    std::vector<std::uint8_t> transfer(geometry.FrameBytes(), 0x5A);
    std::vector<std::uint8_t> out(geometry.FrameBytes());
    const core::FrameOrientation orientation = core::OrientationFor(3, true);
    for (auto _ : state) {
        ring.StoreNext(transfer.data(), transfer.size());
        ring.CopyOut(ring.NewestSlot(), out.data(), geometry, orientation);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(2 * out.size()));
}

BENCHMARK(BM_RingCopyInAndOut)->ArgName("sixteen")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
