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
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "NodrixSdk.h"
#include "api/MessageProbe.h"
#include "emulator/GenerationMeter.h"
#include "emulator/TestPattern.h"
#include "platform/SharedMemory.h"
#include "platform/ThreadCpuClock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/PrivateSettingsFile.h"
#include "platform/posix/ShmName.h"
#endif

namespace {

// Keeps the compiler from dropping a copy whose result is never read.
volatile std::uint8_t gSink = 0;
void Keep(const std::vector<std::uint8_t>& bytes) {
    gSink = gSink ^ bytes[bytes.size() / 2];
}

constexpr double kLinkBytesPerSecond = 380e6;
constexpr double kPixelClockHz = 37037000.0;
constexpr int kPowerOnLineLength = 1344;
constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr std::uint32_t kPayloadPiece = 0x80000;
constexpr double kRunSeconds = 3.0;
constexpr int kPacedCopies = 60;

#ifdef _WIN32
const std::string kMeterName = "NodrixBenchMeter" + std::to_string(GetCurrentProcessId());
#else
const std::string kMeterName = "NodrixBenchMeter" + std::to_string(getpid());
#endif

// The emulated camera, its meter and a settings file of this process alone,
// before the library looks at any of them.
const bool kEnvironment = [] {
#ifdef _WIN32
    // A private Wine prefix keeps the registry settings apart.
    return _putenv("NODRIX_EMULATION=1") == 0 &&
           _putenv(("NODRIX_EMULATOR_METER=" + kMeterName).c_str()) == 0;
#else
    nodrix::testing_support::ProgramSettingsFile();
    return setenv("NODRIX_EMULATION", "1", 1) == 0 &&
           setenv("NODRIX_EMULATOR_METER", kMeterName.c_str(), 1) == 0 &&
           setenv("NODRIX_OBJECT_NAMESPACE", ("bench" + std::to_string(getpid())).c_str(), 1) == 0;
#endif
}();

// The emulated camera's payload meter as this process reads it.
class EmulatorMeter {
public:
    EmulatorMeter() {
        bool existed = false;
        block_.OpenOrCreate(kMeterName, nodrix::emulator::kMeterBlockSize, &existed);
    }
    ~EmulatorMeter() {
#ifndef _WIN32
        // The library keeps its view of the block until the process ends and
        // would leave the names behind.
        shm_unlink(nodrix::platform::detail::ShmName(kMeterName).c_str());
        shm_unlink(nodrix::platform::detail::ShmName(kMeterName, ".users").c_str());
#endif
    }
    EmulatorMeter(const EmulatorMeter&) = delete;
    EmulatorMeter& operator=(const EmulatorMeter&) = delete;

    bool Open() const {
        return block_.Data() != nullptr;
    }
    double Seconds() const {
        return static_cast<double>(Read(nodrix::emulator::kMeterNanosecondsOffset)) * 1e-9;
    }
    std::uint64_t Bytes() const {
        return Read(nodrix::emulator::kMeterBytesOffset);
    }

private:
    std::uint64_t Read(std::size_t offset) const {
        return std::atomic_ref<std::uint64_t>(
                   *reinterpret_cast<std::uint64_t*>(block_.Data() + offset))
            .load(std::memory_order_relaxed);
    }

    nodrix::platform::SharedMemory block_;
};

EmulatorMeter& Meter() {
    static EmulatorMeter meter;
    return meter;
}

double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
#else
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Processor seconds of one call of body, over enough calls to be measurable.
template <typename Body>
double CpuPerCall(Body body) {
    body();  // warm
    int calls = 0;
    const double start = ProcessCpuSeconds();
    double spent = 0;
    do {
        body();
        ++calls;
        spent = ProcessCpuSeconds() - start;
    } while (spent < 0.3 || calls < 10);
    return spent / calls;
}

// Frames in flight live in more buffers than the caches hold; so do the
// frames the reference copy is measured on.
constexpr int kRotatingFrames = 6;

double MemcpySeconds(std::size_t bytes) {
    using Frames = std::vector<std::vector<std::uint8_t>>;
    Frames from(kRotatingFrames, std::vector<std::uint8_t>(bytes, 1));
    Frames to(kRotatingFrames, std::vector<std::uint8_t>(bytes, 2));
    int next = 0;
    return CpuPerCall([&] {
        std::memcpy(to[next].data(), from[next].data(), bytes);
        Keep(to[next]);
        next = (next + 1) % kRotatingFrames;
    });
}

// One copy per frame period, the thread idle in between: processor seconds
// of one copy, on the clock the emulated camera's meter uses (a process clock
// may advance only in scheduler ticks).
double PacedMemcpySeconds(std::size_t bytes) {
    std::vector<std::uint8_t> from(kRotatingFrames * bytes, 1);
    std::vector<std::uint8_t> to(kRotatingFrames * bytes, 2);
    const auto period =
        std::chrono::duration<double>(static_cast<double>(bytes) / kLinkBytesPerSecond);
    double spent = 0;
    for (int copy = 0; copy < kPacedCopies; ++copy) {
        const std::size_t at = (copy % kRotatingFrames) * bytes;
        std::this_thread::sleep_for(period);
        const std::uint64_t start = nodrix::platform::ThreadCpuNanoseconds();
        std::memcpy(to.data() + at, from.data() + at, bytes);
        spent += static_cast<double>(nodrix::platform::ThreadCpuNanoseconds() - start) * 1e-9;
        gSink = gSink ^ to[at + bytes / 2];
    }
    return spent / kPacedCopies;
}

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

// A little-endian sensor register of count bytes; 0 if it cannot be read.
int ReadSensorBytes(int handle, int address, int count) {
    int value = 0;
    for (int i = count - 1; i >= 0; --i) {
        int ok = 0;
        int byte = 0;
        for (int attempt = 0; attempt < 20 && !ok; ++attempt) {
            byte = Nodrix_ReadRegister(handle, address + i, &ok);
        }
        if (!ok) return 0;
        value = (value << 8) | (byte & 0xFF);
    }
    return value;
}

// The camera keeps its registers for the life of the process: the next
// measurement starts from the power-on line length, so that the exposure
// the preview sets up comes out the same.
void RestoreLineLength(int handle) {
    Nodrix_WriteRegister(handle, 9, kPowerOnLineLength & 0xFF);
    Nodrix_WriteRegister(handle, 10, kPowerOnLineLength >> 8);
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
    // The sensor restarts with its power-on timing: pace it to the link once
    // the preview runs.
    const int frameLength = ReadSensorBytes(handle, 5, 4);
    const int lineLength = static_cast<int>(frameBytes * kPixelClockHz / kLinkBytesPerSecond /
                                                (frameLength > 0 ? frameLength : 1) +
                                            0.5);
    Nodrix_WriteRegister(handle, 9, lineLength & 0xFF);
    Nodrix_WriteRegister(handle, 10, (lineLength >> 8) & 0xFF);
    for (const double settle = WallSeconds() + 0.5; WallSeconds() < settle;) probe->Next(50);
    // The period as the sensor runs it now.
    const double period = static_cast<double>(ReadSensorBytes(handle, 5, 4)) *
                          ReadSensorBytes(handle, 9, 2) / kPixelClockHz;
    if (frameLength == 0 || period <= 0) {
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
