// Frames per second and processor time per frame of the camera core's
// acquisition path: full-size frames from the emulated camera delivered as
// fast as it can (pace max), read through WaitFrame and ReadFrame, in 8 and
// 16 bits per pixel. The processor time counts the whole process, so it
// includes the acquisition thread and the emulated camera producing pixels.
// Also: how long StopTransfer takes while no frame comes.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "api/DriverPortChoice.h"
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
    api::InstallDriverPort(&driver);
    {
        auto core = std::make_unique<CNodrixUSB3T2SimpleSdk>();
        core->SetProductId(0x33B0);
        core->Setup(api::ActiveDriverPort(), nullptr, nullptr);
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
                core->ReadFrame(frame.data(), 1);
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
    api::InstallDriverPort(nullptr);
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

// StopTransfer while the acquisition thread waits for a frame that does not
// come: 0, a header exchange (the camera armed for a trigger that never
// comes, the core free-running); 1, a payload read the camera holds back;
// 2, the triggered mode's poll of the frame counter. Each iteration starts
// the thread, lets it settle into its wait, and times the stop alone.
void BM_StopWithoutFrames(benchmark::State& state) {
    const int wait = static_cast<int>(state.range(0));
    emulator::EmulatorConfig config = emulator::EmulatedDriver::DefaultConfig();
    config.pace = emulator::Pace::Max;
    emulator::EmulatedDriver driver(config);
    api::InstallDriverPort(&driver);
    {
        auto core = std::make_unique<CNodrixUSB3T2SimpleSdk>();
        core->SetProductId(0x33B0);
        core->Setup(api::ActiveDriverPort(), nullptr, nullptr);
        if (core->CountCameras(0x33B0) < 1 || !core->OpenCamera(0) ||
            !core->SetCaptureWindow(0, 0, 1280, 1024, 0) ||
            (wait != 1 && !core->SetTriggerMode(1, 1))) {
            state.SkipWithError("the emulated camera did not open");
        } else {
            for (auto _ : state) {
                if (wait == 1) {
                    emulator::FaultConfig faults;
                    faults.delayPayloadReads = 1;
                    faults.delayMs = 600000;
                    driver.SetFaults(0, faults);
                }
                if (!core->StartTransfer(wait == 2 ? kModeTriggered : kModeContinuous)) {
                    state.SkipWithError("the transfer did not start");
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                const auto start = std::chrono::steady_clock::now();
                core->StopTransfer();
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                state.SetIterationTime(took.count());
            }
        }
        core->Shutdown();
    }
    api::InstallDriverPort(nullptr);
}

BENCHMARK(BM_StopWithoutFrames)
    ->ArgName("wait")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
