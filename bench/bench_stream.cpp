// Frames through the stream of application buffers (NodrixSdkEx.h), as an
// application takes them: buffers of its own queued to the stream, a thread
// waiting for each filled one and queueing it again. The emulated camera is
// paced at the USB 3.0 link rate as in bench_frame_delivery (about 380 MB/s)
// or runs at its sensor's pace.
//
// - StreamAtLinkRate/bits: sdk_memcpys, processor time of the whole process
//   per delivered frame less what the emulated camera spent computing its
//   payloads meanwhile (its meter, and the meter's own clock readings), as a
//   multiple of one streaming memcpy of a frame measured in the same run
//   (sdk_paced_memcpys: of a copy paced one per frame period, as
//   bench_frame_delivery explains). Natively the time is split by thread:
//   app_us (the consumer's thread, in the library's wait and queue calls),
//   library_us (the library's own threads, where the emulated driver and
//   camera run too) and emulator_us (the metered part of library_us), each
//   per delivered frame, with the context switches of each side per frame
//   and the payload pieces the camera sent per frame; wake_pair_us, what a
//   thread sleeping a frame period and then waking another costs per frame
//   with nothing else done (the floor of any reading thread with a waiting
//   consumer: two wake-ups per frame); latency_median_us
//   and latency_p99_us, from the frame's payload completing (timestampUs of
//   its metadata, on the monotonic clock) to the waiting thread's return.
//   sent_fps is the sensor's pace; received_fps what the camera managed to
//   send (a camera read late waits for its next frame period).
// - TransportFloor/bits (natively): the least any delivery costs with this
//   emulated driver, whatever stream sits on top: one thread asking for each
//   frame's header, reading it and reading the payload in one bulk read at
//   the link rate, straight through the transport (no acquisition loop, no
//   stream, no ring, no consumer). floor_us and floor_memcpys per frame with
//   the emulator's metered work subtracted as in StreamAtLinkRate, and the
//   thread's context switches per frame: the payload's completion wakes the
//   reading thread once a frame, as a real driver's completion does.
//   StreamAtLinkRate's acquisition_us is its busiest library thread (the
//   reading one) and stream_thread_us the library's other threads, beside
//   app_us.
// - SlowConsumer/path: frames lost at the link rate (8 bits) when the
//   consumer takes three frame periods on every tenth frame, 16 buffers
//   queued (path 0), against the ring of the classic preview with the same
//   consumer in its frame callback (path 1). Lost frames are counted before
//   the stop (which counts the frames it finds untaken as lost too), so
//   frames still in flight then (received but neither delivered nor lost)
//   make sent exceed delivered + lost by a few.
// - FourCameras: four emulated cameras at their sensor's pace, a stream and
//   a consumer thread each, all at once: frames lost, and processor time
//   per frame against one camera alone in the same run (cpu_ratio), split
//   by thread natively as above (one_/four_app_us, _library_us,
//   _emulator_us).
//
// The machine may be shared: run with --benchmark_repetitions and read the
// medians.

#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
#include <benchmark/benchmark.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DeliveryBench.h"
#include "NodrixSdkEx.h"

#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
#include "emulator/EmulatedDriver.h"
#include "emulator/FpgaRegisters.h"
#include "transport/CNodrixCy3.h"
#endif

namespace {

using namespace nodrix_bench;

constexpr int kCameras = 4;
constexpr int kBuffers = 16;
constexpr double kRunSeconds = 3.0;
constexpr double kSensorPaceSeconds = 5.0;
constexpr double kSettleSeconds = 0.5;
constexpr int kWaitSliceMs = 100;

const bool kEnvironment = UseEmulation("cameras=4");

std::uint64_t Lost(const NodrixExStreamStatistics& s) {
    return s.lostHeader + s.lostPayload + s.lostGap + s.lostOverwritten + s.lostBufferTooSmall +
           s.lostNoBuffer;
}

NodrixExStreamStatistics Statistics(int handle) {
    NodrixExStreamStatistics s{};
    s.size = sizeof s;
    NodrixEx_GetStreamStatistics(handle, &s);
    return s;
}

// A connection to one emulated camera in a grey mode; released at the end.
class Camera {
public:
    Camera(int index, int bits) : handle_(Nodrix_Initialize(0)) {
        ok_ = kEnvironment && handle_ != 0 && Nodrix_SetDeviceNumber(handle_, index) == 1 &&
              Nodrix_SetPreviewWindow(handle_, 0, 0, 0, 0, 0) == 1 &&
              Nodrix_SetColorMode(handle_, bits) == 1 && Nodrix_SetWaitTime(handle_, 1) == 1 &&
              NodrixEx_SetSaveOnRelease(handle_, 0) == 1;
    }
    ~Camera() {
        if (handle_ != 0) Nodrix_Release(handle_);
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    bool Ok() const { return ok_; }
    int Handle() const { return handle_; }

private:
    int handle_;
    bool ok_ = false;
};

// The application's buffers, announced and queued to a running stream;
// the stream stopped and the buffers revoked at the end.
class Stream {
public:
    Stream(int handle, int buffers) : handle_(handle) {
        NodrixExStreamInfo info{};
        info.size = sizeof info;
        ok_ = NodrixEx_StreamGetInfo(handle, &info) == 1;
        for (int i = 0; ok_ && i < buffers; ++i) {
            memory_.emplace_back(static_cast<std::size_t>(info.payloadBytes), std::uint8_t{0});
            int id = 0;
            ok_ = NodrixEx_StreamAnnounceBuffer(handle, memory_.back().data(),
                                                memory_.back().size(), nullptr, &id) == 1 &&
                  NodrixEx_StreamQueueBuffer(handle, id) == 1;
            ids_.push_back(id);
        }
        ok_ = ok_ && NodrixEx_StreamStart(handle, 0) == 1;
    }
    ~Stream() {
        NodrixEx_StreamStop(handle_);
        for (const int id : ids_) NodrixEx_StreamRevokeBuffer(handle_, id, nullptr, nullptr);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool Ok() const { return ok_; }

private:
    int handle_;
    bool ok_ = false;
    std::vector<std::vector<std::uint8_t>> memory_;
    std::vector<int> ids_;
};

// The threads that consume frames: the application's side of the split by
// thread.
std::mutex gConsumersLock;
std::vector<int> gConsumers;
ThreadUse gConsumersUse;  // inside Consume, all consumers together

void NoteConsumer(int tid) {
    const std::lock_guard<std::mutex> lock(gConsumersLock);
    if (std::find(gConsumers.begin(), gConsumers.end(), tid) == gConsumers.end()) {
        gConsumers.push_back(tid);
    }
}

void AddConsumerUse(const ThreadUse& start, const ThreadUse& end) {
    const std::lock_guard<std::mutex> lock(gConsumersLock);
    gConsumersUse.seconds += end.seconds - start.seconds;
    gConsumersUse.switches += end.switches - start.switches;
}

ThreadUse ConsumersUse() {
    const std::lock_guard<std::mutex> lock(gConsumersLock);
    return gConsumersUse;
}

bool IsConsumer(int tid) {
    const std::lock_guard<std::mutex> lock(gConsumersLock);
    return std::find(gConsumers.begin(), gConsumers.end(), tid) != gConsumers.end();
}

// Takes filled buffers until the deadline (wall seconds), calling
// onFrame(buffer) for each before queueing it again. Returns the frames.
template <typename OnFrame>
std::int64_t Consume(int handle, double until, OnFrame onFrame) {
    const int tid = CurrentThreadId();
    NoteConsumer(tid);
    const ThreadUse start = ThreadUseOf(tid);
    std::int64_t frames = 0;
    while (WallSeconds() < until) {
        NodrixExStreamBuffer buffer{};
        buffer.size = sizeof buffer;
        const int waited = NodrixEx_StreamWaitBuffer(handle, kWaitSliceMs, &buffer);
        if (waited == NODRIXEX_WAIT_TIMEOUT) continue;
        if (waited != NODRIXEX_WAIT_BUFFER) break;
        onFrame(buffer);
        ++frames;
        NodrixEx_StreamQueueBuffer(handle, buffer.id);
    }
    AddConsumerUse(start, ThreadUseOf(tid));
    return frames;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at),
                     values.end());
    return values[at];
}

// Processor and emulator seconds over a stretch of the run. The emulator's
// share is what its meter counted plus the meter's clock readings that fall
// outside the counted stretches (about one per payload piece): both are
// spent by the emulated camera on the thread that reads, and counting them
// as the library's would charge it a system call per piece it never makes.
struct CpuSpan {
    explicit CpuSpan(double meterReadSeconds) : meterRead(meterReadSeconds) {}
    double meterRead;
    std::map<int, ThreadUse> threads = ThreadsUse();
    ThreadUse consumers = ConsumersUse();
    double cpu = ProcessCpuSeconds();
    double metered = Meter().Seconds();
    std::uint64_t pieces = Meter().Pieces();
    double wall = WallSeconds();

    double Emulator() const {
        return (Meter().Seconds() - metered) +
               static_cast<double>(Meter().Pieces() - pieces) * meterRead;
    }
    std::uint64_t Pieces() const { return Meter().Pieces() - pieces; }
    // Processor seconds of the SDK (and the consumer) since the start.
    double Sdk() const { return (ProcessCpuSeconds() - cpu) - Emulator(); }
    double Wall() const { return WallSeconds() - wall; }
    ThreadSplit Split() const {
        const ThreadUse now = ConsumersUse();
        return ThreadSplit{{now.seconds - consumers.seconds, now.switches - consumers.switches},
                           OtherThreadsUse(threads, ThreadsUse(), IsConsumer)};
    }
};

#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
// The library's thread that used the most processor time over a span.
ThreadUse BusiestOtherThread(const std::map<int, ThreadUse>& before,
                             const std::map<int, ThreadUse>& after) {
    ThreadUse busiest;
    for (const auto& [tid, now] : after) {
        if (IsConsumer(tid)) continue;
        const std::map<int, ThreadUse> one{{tid, now}};
        const ThreadUse use = OtherThreadsUse(before, one, [](int) { return false; });
        if (use.seconds > busiest.seconds) busiest = use;
    }
    return busiest;
}

struct FloorFigures {
    const char* error = nullptr;
    double floorUs = 0;
    double floorMemcpys = 0;
    double memcpyUs = 0;
    double switches = 0;
    double fps = 0;
};

// The bare transport path of TransportFloor: a driver and a transport of its
// own, so that nothing of the library's connections takes part.
FloorFigures MeasureFloor(int bits) {
    namespace reg = nodrix::emulator::fpga_reg;
    FloorFigures figures;
    const std::size_t frameBytes = std::size_t{kWidth} * kHeight * (bits / 8);
    const double memcpy = MemcpySeconds(frameBytes);
    const double meterRead = MeterClockReadSeconds();
    figures.memcpyUs = memcpy * 1e6;
    if (!Meter().Open()) {
        figures.error = "the emulated camera's meter did not open";
        return figures;
    }
    nodrix::emulator::EmulatorConfig config = nodrix::emulator::EmulatedDriver::DefaultConfig();
    config.eepromWriteMs = 0;
    nodrix::emulator::EmulatedDriver driver(config);
    const auto put16 = [&](std::uint8_t low, int value) {
        driver.SetFpgaRegister(0, low, static_cast<std::uint8_t>(value & 0xFF));
        driver.SetFpgaRegister(0, static_cast<std::uint8_t>(low + 1),
                               static_cast<std::uint8_t>(value >> 8));
    };
    put16(reg::kWidthLow, kWidth);
    put16(reg::kHeightLow, kHeight);
    driver.SetFpgaRegister(0, reg::kTransferWidth, static_cast<std::uint8_t>(bits / 8));
    int frameLength = 0;
    for (int i = 3; i >= 0; --i) {
        frameLength =
            (frameLength << 8) | driver.SensorRegister(0, static_cast<std::uint16_t>(5 + i));
    }
    const int lineLength = frameLength <= 0
                               ? 0
                               : static_cast<int>(static_cast<double>(frameBytes) * kPixelClockHz /
                                                      kLinkBytesPerSecond / frameLength +
                                                  0.5);
    driver.SetSensorRegister(0, 9, static_cast<std::uint8_t>(lineLength & 0xFF));
    driver.SetSensorRegister(0, 10, static_cast<std::uint8_t>(lineLength >> 8));
    nodrix::CNodrixCy3 transport(driver);
    if (lineLength <= 0 || transport.Enumerate() != 1 || transport.SelectDevice(0) != 1 ||
        !transport.AllocateRequestBuffer() || transport.EnsureDataHandle() == 0) {
        figures.error = "the transport did not open the emulated camera";
        return figures;
    }
    std::vector<std::uint8_t> frame(frameBytes * 2);
    nodrix::transport::FrameDescriptor descriptor;
    const auto readFrame = [&] {
        if (transport.ReadStatusBlock(descriptor) == 0) return false;
        descriptor.buffer = frame.data();
        descriptor.capacity = static_cast<std::uint32_t>(frame.size());
        descriptor.pieceBytes = descriptor.PayloadSize();
        const bool ok = transport.ReadFrameData(descriptor, 3000) != 0;
        descriptor.buffer = nullptr;
        return ok;
    };
    const double settled = WallSeconds() + kSettleSeconds;
    while (WallSeconds() < settled) {
        if (!readFrame()) break;
    }
    if (descriptor.PayloadSize() != frameBytes) {
        figures.error = "the emulated camera did not send frames of the mode";
        return figures;
    }
    const int tid = CurrentThreadId();
    const ThreadUse start = ThreadUseOf(tid);
    const double cpu = ProcessCpuSeconds();
    const double metered = Meter().Seconds();
    const std::uint64_t pieces = Meter().Pieces();
    const double wall = WallSeconds();
    std::int64_t frames = 0;
    while (WallSeconds() < wall + kRunSeconds && readFrame()) ++frames;
    const double emulator =
        (Meter().Seconds() - metered) + static_cast<double>(Meter().Pieces() - pieces) * meterRead;
    const double sdk = (ProcessCpuSeconds() - cpu) - emulator;
    const ThreadUse end = ThreadUseOf(tid);
    transport.Close();
    if (frames == 0) {
        figures.error = "no frame was read";
        return figures;
    }
    const double n = static_cast<double>(frames);
    figures.floorUs = sdk / n * 1e6;
    figures.floorMemcpys = sdk / n / memcpy;
    figures.switches = static_cast<double>(end.switches - start.switches) / n;
    figures.fps = n / (WallSeconds() - wall);
    return figures;
}
#endif

struct LinkRateFigures {
    const char* error = nullptr;
    double sentFps = 0;
    double receivedFps = 0;
    double deliveredFps = 0;
    double sdkMemcpys = 0;
    double sdkPacedMemcpys = 0;
    double memcpyUs = 0;
    double latencyMedianUs = 0;
    double latencyP99Us = 0;
    double lost = 0;
    // Per delivered frame, natively (see the top of the file).
    double appUs = 0;
    double libraryUs = 0;
    double emulatorUs = 0;
    double appSwitches = 0;
    double librarySwitches = 0;
    double pieces = 0;
    double wakePairUs = 0;
    // Of libraryUs: the busiest library thread (the reading one) and the rest.
    double acquisitionUs = 0;
    double streamThreadUs = 0;
};

LinkRateFigures MeasureLinkRate(int bits) {
    LinkRateFigures figures;
    const std::size_t frameBytes = std::size_t{kWidth} * kHeight * (bits / 8);
    const double memcpy = MemcpySeconds(frameBytes);
    const double pacedMemcpy = PacedMemcpySeconds(frameBytes);
    const double meterRead = MeterClockReadSeconds();
    figures.wakePairUs =
        WakePairSeconds(static_cast<double>(frameBytes) / kLinkBytesPerSecond) * 1e6;
    figures.memcpyUs = memcpy * 1e6;
    if (!Meter().Open()) {
        figures.error = "the emulated camera's meter did not open";
        return figures;
    }
    Camera camera(0, bits);
    const int handle = camera.Handle();
    if (!camera.Ok()) {
        figures.error = "the emulated camera did not open";
        return figures;
    }
    std::vector<double> latencies;
    latencies.reserve(1 << 14);
    double period = 0;
    {
        Stream stream(handle, kBuffers);
        if (!stream.Ok() || PaceToLink(handle, frameBytes) <= 0) {
            RestoreLineLength(handle);
            figures.error = "the stream did not start at the link rate";
            return figures;
        }
        Consume(handle, WallSeconds() + kSettleSeconds, [](const NodrixExStreamBuffer&) {});
        period = SensorPeriod(handle);
        NodrixEx_ResetStreamStatistics(handle);
        const CpuSpan span(meterRead);
        const std::int64_t delivered =
            Consume(handle, span.wall + kRunSeconds, [&](const NodrixExStreamBuffer& b) {
                const std::uint64_t now = MonotonicMicroseconds();
                latencies.push_back(static_cast<double>(now - b.metadata.timestampUs));
            });
        const double sdk = span.Sdk();
        const double wall = span.Wall();
        const double emulator = span.Emulator();
        const double pieces = static_cast<double>(span.Pieces());
        const ThreadSplit split = span.Split();
#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
        const ThreadUse reading = BusiestOtherThread(span.threads, ThreadsUse());
#endif
        // Before the stop, which counts the buffers it finds filled as lost.
        const NodrixExStreamStatistics statistics = Statistics(handle);
        figures.lost = static_cast<double>(Lost(statistics));
        figures.receivedFps = static_cast<double>(statistics.framesReceived) / wall;
        RestoreLineLength(handle);
        if (delivered == 0 || period <= 0) {
            figures.error = "no frame was delivered";
            return figures;
        }
        figures.sentFps = 1.0 / period;
        figures.deliveredFps = static_cast<double>(delivered) / wall;
        const double frames = static_cast<double>(delivered);
        figures.appUs = split.application.seconds / frames * 1e6;
        figures.libraryUs = split.library.seconds / frames * 1e6;
#ifndef NODRIX_BENCH_WITHOUT_FRAMEWORK
        figures.acquisitionUs = reading.seconds / frames * 1e6;
        figures.streamThreadUs = figures.libraryUs - figures.acquisitionUs;
#endif
        figures.emulatorUs = emulator / frames * 1e6;
        figures.appSwitches = static_cast<double>(split.application.switches) / frames;
        figures.librarySwitches = static_cast<double>(split.library.switches) / frames;
        figures.pieces = pieces / frames;
        figures.sdkMemcpys = sdk / static_cast<double>(delivered) / memcpy;
        if (pacedMemcpy > 0) {
            figures.sdkPacedMemcpys = sdk / static_cast<double>(delivered) / pacedMemcpy;
        }
    }
    figures.latencyMedianUs = Percentile(latencies, 0.5);
    figures.latencyP99Us = Percentile(latencies, 0.99);
    return figures;
}

// The consumer of SlowConsumer: three frame periods on every tenth frame.
struct SlowConsumer {
    std::chrono::duration<double> stall{0};
    std::int64_t frames = 0;
    void Take() {
        if (++frames % 10 == 0) std::this_thread::sleep_for(stall);
    }
};

void NODRIX_CALL TakeInCallback(int, const NodrixExFrame*, void* user) {
    static_cast<SlowConsumer*>(user)->Take();
}

struct LossFigures {
    const char* error = nullptr;
    double sent = 0;
    double delivered = 0;
    double lost = 0;
    double lostNoBuffer = 0;  // of lost: no empty buffer queued
};

LossFigures MeasureSlowConsumer(bool ring) {
    LossFigures figures;
    constexpr int kBits = 8;
    const std::size_t frameBytes = std::size_t{kWidth} * kHeight;
    Camera camera(0, kBits);
    const int handle = camera.Handle();
    if (!camera.Ok()) {
        figures.error = "the emulated camera did not open";
        return figures;
    }
    SlowConsumer consumer;
    std::unique_ptr<Stream> stream;
    bool started = false;
    if (ring) {
        started = NodrixEx_SetFrameCallback(handle, TakeInCallback, &consumer) == 1 &&
                  Nodrix_StartPreview(handle) == 1;
    } else {
        stream = std::make_unique<Stream>(handle, kBuffers);
        started = stream->Ok();
    }
    const double period = started ? PaceToLink(handle, frameBytes) : 0;
    if (period <= 0) {
        RestoreLineLength(handle);
        Nodrix_StopPreview(handle);
        figures.error = "the acquisition did not start at the link rate";
        return figures;
    }
    const double settled = WallSeconds() + kSettleSeconds;
    if (ring) {
        std::this_thread::sleep_for(std::chrono::duration<double>(kSettleSeconds));
    } else {
        Consume(handle, settled, [](const NodrixExStreamBuffer&) {});
    }
    consumer.stall = std::chrono::duration<double>(3 * SensorPeriod(handle));
    NodrixEx_ResetStreamStatistics(handle);
    if (ring) {
        std::this_thread::sleep_for(std::chrono::duration<double>(kRunSeconds));
    } else {
        Consume(handle, WallSeconds() + kRunSeconds,
                [&consumer](const NodrixExStreamBuffer&) { consumer.Take(); });
    }
    // Before the stop, which counts the frames it finds untaken as lost.
    const NodrixExStreamStatistics s = Statistics(handle);
    Nodrix_StopPreview(handle);
    NodrixEx_SetFrameCallback(handle, nullptr, nullptr);
    stream.reset();
    RestoreLineLength(handle);
    figures.sent = static_cast<double>(s.framesReceived);
    figures.delivered = static_cast<double>(s.framesDelivered);
    figures.lost = static_cast<double>(Lost(s));
    figures.lostNoBuffer = static_cast<double>(s.lostNoBuffer);
    return figures;
}

struct CamerasFigures {
    const char* error = nullptr;
    double oneUsPerFrame = 0;
    double fourUsPerFrame = 0;
    // Natively: of the process's time per frame, the consumers' threads,
    // the library's threads and the emulator's metered part of those.
    double oneAppUs = 0;
    double oneLibraryUs = 0;
    double oneEmulatorUs = 0;
    double fourAppUs = 0;
    double fourLibraryUs = 0;
    double fourEmulatorUs = 0;
    double fourFps = 0;
    double fourLost = 0;
    double fourLostNoBuffer = 0;
};

// Streams `count` cameras at their sensor's pace at once, a consumer thread
// each; SDK processor seconds per frame, frames and losses.
struct CamerasRun {
    bool ok = false;
    double sdkPerFrame = 0;
    std::int64_t frames = 0;
    std::uint64_t lost = 0;
    std::uint64_t lostNoBuffer = 0;
    double seconds = 0;
    double emulator = 0;
    ThreadSplit split;
};

CamerasRun RunCameras(int count, double meterRead) {
    CamerasRun run;
    std::vector<std::unique_ptr<Camera>> cameras;
    std::vector<std::unique_ptr<Stream>> streams;
    for (int i = 0; i < count; ++i) {
        cameras.push_back(std::make_unique<Camera>(i, 8));
        if (!cameras.back()->Ok()) return run;
        streams.push_back(std::make_unique<Stream>(cameras.back()->Handle(), kBuffers));
        if (!streams.back()->Ok()) return run;
    }
    const double settled = WallSeconds() + kSettleSeconds;
    std::vector<std::int64_t> frames(count, 0);
    const auto consumeAll = [&](double until) {
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i] {
                frames[i] =
                    Consume(cameras[i]->Handle(), until, [](const NodrixExStreamBuffer&) {});
            });
        }
        for (std::thread& t : threads) t.join();
    };
    consumeAll(settled);
    for (const auto& camera : cameras) NodrixEx_ResetStreamStatistics(camera->Handle());
    const CpuSpan span(meterRead);
    consumeAll(span.wall + kSensorPaceSeconds);
    const double sdk = span.Sdk();
    run.seconds = span.Wall();
    run.emulator = span.Emulator();
    run.split = span.Split();
    // Before the stop, which counts the buffers it finds filled as lost.
    for (int i = 0; i < count; ++i) {
        run.frames += frames[i];
        const NodrixExStreamStatistics statistics = Statistics(cameras[i]->Handle());
        run.lost += Lost(statistics);
        run.lostNoBuffer += statistics.lostNoBuffer;
    }
    streams.clear();
    run.ok = run.frames > 0;
    run.sdkPerFrame = run.ok ? sdk / static_cast<double>(run.frames) : 0;
    return run;
}

CamerasFigures MeasureCameras() {
    CamerasFigures figures;
    if (!Meter().Open()) {
        figures.error = "the emulated camera's meter did not open";
        return figures;
    }
    const double meterRead = MeterClockReadSeconds();
    const CamerasRun one = RunCameras(1, meterRead);
    const CamerasRun four = RunCameras(kCameras, meterRead);
    if (!one.ok || !four.ok) {
        figures.error = "the streams did not run";
        return figures;
    }
    figures.oneUsPerFrame = one.sdkPerFrame * 1e6;
    figures.fourUsPerFrame = four.sdkPerFrame * 1e6;
    const auto perFrameUs = [](const CamerasRun& run, double seconds) {
        return seconds / static_cast<double>(run.frames) * 1e6;
    };
    figures.oneAppUs = perFrameUs(one, one.split.application.seconds);
    figures.oneLibraryUs = perFrameUs(one, one.split.library.seconds);
    figures.oneEmulatorUs = perFrameUs(one, one.emulator);
    figures.fourAppUs = perFrameUs(four, four.split.application.seconds);
    figures.fourLibraryUs = perFrameUs(four, four.split.library.seconds);
    figures.fourEmulatorUs = perFrameUs(four, four.emulator);
    figures.fourFps = static_cast<double>(four.frames) / four.seconds;
    figures.fourLost = static_cast<double>(four.lost);
    figures.fourLostNoBuffer = static_cast<double>(four.lostNoBuffer);
    return figures;
}

}  // namespace

#ifdef NODRIX_BENCH_WITHOUT_FRAMEWORK
// Where Google Benchmark is not built (the Windows cross builds): the same
// figures, one line each per run. Takes the native build's
// --benchmark_filter=NAME (runs the cases whose names hold NAME, or that
// NAME holds) and --benchmark_repetitions=N (or N alone); other flags are
// ignored.
int main(int argc, char** argv) {
    int runs = 3;
    std::string filter;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--benchmark_filter=", 0) == 0) {
            filter = arg.substr(std::strlen("--benchmark_filter="));
        } else if (arg.rfind("--benchmark_repetitions=", 0) == 0) {
            runs = std::atoi(arg.c_str() + std::strlen("--benchmark_repetitions="));
        } else if (!arg.empty() && arg[0] >= '0' && arg[0] <= '9') {
            runs = std::atoi(arg.c_str());
        }
    }
    const auto wanted = [&filter](const std::string& name) {
        return filter.empty() || name.find(filter) != std::string::npos ||
               filter.find(name) != std::string::npos;
    };
    for (int run = 0; run < runs; ++run) {
        for (int bits : {8, 16}) {
            if (!wanted("StreamAtLinkRate")) break;
            const LinkRateFigures f = MeasureLinkRate(bits);
            if (f.error != nullptr) {
                std::printf("stream bits:%d error: %s\n", bits, f.error);
                return 1;
            }
            std::printf(
                "stream bits:%d sent_fps=%.1f received_fps=%.1f delivered_fps=%.1f "
                "sdk_memcpys=%.3f "
                "sdk_paced_memcpys=%.3f memcpy_us=%.1f latency_median_us=%.0f "
                "latency_p99_us=%.0f lost=%.0f emulator_us=%.1f pieces=%.2f\n",
                bits, f.sentFps, f.receivedFps, f.deliveredFps, f.sdkMemcpys, f.sdkPacedMemcpys,
                f.memcpyUs, f.latencyMedianUs, f.latencyP99Us, f.lost, f.emulatorUs, f.pieces);
            std::fflush(stdout);
        }
        for (bool ring : {false, true}) {
            if (!wanted("SlowConsumer")) break;
            const LossFigures f = MeasureSlowConsumer(ring);
            if (f.error != nullptr) {
                std::printf("slow consumer error: %s\n", f.error);
                return 1;
            }
            std::printf(
                "slow consumer %s: sent=%.0f delivered=%.0f lost=%.0f lost_no_buffer=%.0f\n",
                ring ? "ring" : "stream", f.sent, f.delivered, f.lost, f.lostNoBuffer);
            std::fflush(stdout);
        }
        if (!wanted("FourCameras")) continue;
        const CamerasFigures c = MeasureCameras();
        if (c.error != nullptr) {
            std::printf("four cameras error: %s\n", c.error);
            return 1;
        }
        std::printf(
            "four cameras: fps=%.1f lost=%.0f us_per_frame one=%.1f four=%.1f "
            "cpu_ratio=%.2f\n",
            c.fourFps, c.fourLost, c.oneUsPerFrame, c.fourUsPerFrame,
            c.oneUsPerFrame > 0 ? c.fourUsPerFrame / c.oneUsPerFrame : 0);
        std::fflush(stdout);
    }
    return 0;
}
#else
namespace {

void BM_StreamAtLinkRate(benchmark::State& state) {
    LinkRateFigures f;
    for (auto _ : state) {
        f = MeasureLinkRate(static_cast<int>(state.range(0)));
    }
    if (f.error != nullptr) {
        state.SkipWithError(f.error);
        return;
    }
    state.counters["sent_fps"] = f.sentFps;
    state.counters["received_fps"] = f.receivedFps;
    state.counters["delivered_fps"] = f.deliveredFps;
    state.counters["sdk_memcpys"] = f.sdkMemcpys;
    state.counters["sdk_paced_memcpys"] = f.sdkPacedMemcpys;
    state.counters["memcpy_us"] = f.memcpyUs;
    state.counters["latency_median_us"] = f.latencyMedianUs;
    state.counters["latency_p99_us"] = f.latencyP99Us;
    state.counters["lost"] = f.lost;
    state.counters["app_us"] = f.appUs;
    state.counters["library_us"] = f.libraryUs;
    state.counters["emulator_us"] = f.emulatorUs;
    state.counters["app_switches"] = f.appSwitches;
    state.counters["library_switches"] = f.librarySwitches;
    state.counters["pieces"] = f.pieces;
    state.counters["wake_pair_us"] = f.wakePairUs;
    state.counters["acquisition_us"] = f.acquisitionUs;
    state.counters["stream_thread_us"] = f.streamThreadUs;
}

void BM_TransportFloor(benchmark::State& state) {
    FloorFigures f;
    for (auto _ : state) {
        f = MeasureFloor(static_cast<int>(state.range(0)));
    }
    if (f.error != nullptr) {
        state.SkipWithError(f.error);
        return;
    }
    state.counters["floor_us"] = f.floorUs;
    state.counters["floor_memcpys"] = f.floorMemcpys;
    state.counters["memcpy_us"] = f.memcpyUs;
    state.counters["switches"] = f.switches;
    state.counters["fps"] = f.fps;
}

void BM_SlowConsumer(benchmark::State& state) {
    LossFigures f;
    for (auto _ : state) {
        f = MeasureSlowConsumer(state.range(0) == 1);
    }
    if (f.error != nullptr) {
        state.SkipWithError(f.error);
        return;
    }
    state.counters["sent"] = f.sent;
    state.counters["delivered"] = f.delivered;
    state.counters["lost"] = f.lost;
    state.counters["lost_no_buffer"] = f.lostNoBuffer;
    state.counters["lost_pct"] = f.sent > 0 ? 100.0 * f.lost / f.sent : 0;
}

void BM_FourCameras(benchmark::State& state) {
    CamerasFigures f;
    for (auto _ : state) {
        f = MeasureCameras();
    }
    if (f.error != nullptr) {
        state.SkipWithError(f.error);
        return;
    }
    state.counters["fps_all"] = f.fourFps;
    state.counters["lost"] = f.fourLost;
    state.counters["lost_no_buffer"] = f.fourLostNoBuffer;
    state.counters["one_us_per_frame"] = f.oneUsPerFrame;
    state.counters["four_us_per_frame"] = f.fourUsPerFrame;
    state.counters["cpu_ratio"] = f.oneUsPerFrame > 0 ? f.fourUsPerFrame / f.oneUsPerFrame : 0;
    state.counters["one_app_us"] = f.oneAppUs;
    state.counters["one_library_us"] = f.oneLibraryUs;
    state.counters["one_emulator_us"] = f.oneEmulatorUs;
    state.counters["four_app_us"] = f.fourAppUs;
    state.counters["four_library_us"] = f.fourLibraryUs;
    state.counters["four_emulator_us"] = f.fourEmulatorUs;
}

BENCHMARK(BM_StreamAtLinkRate)
    ->ArgName("bits")
    ->Arg(8)
    ->Arg(16)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_TransportFloor)
    ->ArgName("bits")
    ->Arg(8)
    ->Arg(16)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
// path 0: the stream with 16 buffers; path 1: the ring of the preview.
BENCHMARK(BM_SlowConsumer)
    ->ArgName("path")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_FourCameras)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
#endif
