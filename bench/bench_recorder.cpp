// The recorder at the link rate's frame size (1280 x 1024, 8-bit grey into
// 8-bit grey frames), into a file on a file system that keeps up (tmpfs:
// /dev/shm when present): the worker's copy of a frame into the queue, and
// the whole path (queue, writer thread, OpenDML file) against what the same
// run measures for a memcpy of the frame and for a bare sequential write of
// the same bytes in blocks of the same size.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "connection/RecordingFrame.h"
#include "connection/RecordingQueue.h"
#include "files/AviOpenDmlWriter.h"
#include "platform/FileHandle.h"
#include "platform/LargeBlock.h"
#include "platform/ThreadCpuClock.h"

namespace {

using namespace nodrix;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kFrames = 600;  // about 0.8 GB of frames per run

std::string FastFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path().string();
}

double CpuSeconds() {
    return static_cast<double>(platform::ThreadCpuNanoseconds()) / 1e9;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Source {
    imaging::CDibImage output;
    imaging::CDibImage grey8;
    files::FrameLayout layout = files::LayoutOf(files::RecordFormat::kGrey8, kWidth, kHeight);
    Source() {
        output.Allocate(kWidth, kHeight, 8);
        for (std::size_t i = 0; i < output.SizeBytes(); ++i) {
            output.Pixels()[i] = static_cast<std::uint8_t>(i * 13);
        }
    }
};

// The worker's cost per frame: the frame into a queue slot, against a
// memcpy of the same bytes.
void BM_RecorderCopyPerFrame(benchmark::State& state) {
    Source source;
    std::vector<std::uint8_t> slot(8 + source.layout.frameBytes);
    std::vector<std::uint8_t> copy(source.output.SizeBytes());
    double copySeconds = 0;
    double memcpySeconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        WriteFrameChunk(source.output, 8, files::RecordFormat::kGrey8, source.layout, source.grey8,
                        slot.data());
        benchmark::ClobberMemory();
        auto t1 = std::chrono::steady_clock::now();
        std::memcpy(copy.data(), source.output.Pixels(), copy.size());
        benchmark::ClobberMemory();
        auto t2 = std::chrono::steady_clock::now();
        copySeconds += Seconds(t1 - t0);
        memcpySeconds += Seconds(t2 - t1);
    }
    state.counters["memcpys"] = memcpySeconds > 0 ? copySeconds / memcpySeconds : 0;
}
BENCHMARK(BM_RecorderCopyPerFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

// The 24-bit bitmap frames from 8-bit grey: each grey byte expanded to B, G
// and R into the chunk, rows turned over, against a memcpy of an 8-bit
// frame in the same run, in the thread's processor time (NODRIX_SIMD=none
// gives the byte loop for comparison). The argument is how many frames the
// source cycles through: 1, a frame in the cache; 48 (63 MB), frames that
// come from memory, as a recorder's do at the camera's pace (the memcpy
// then takes a frame as far from the cache).
void BM_RecorderExpandGreyPerFrame(benchmark::State& state) {
    const auto frames = static_cast<std::size_t>(state.range(0));
    std::vector<Source> sources(frames);
    const files::FrameLayout layout =
        files::LayoutOf(files::RecordFormat::kClassic, kWidth, kHeight);
    std::vector<std::uint8_t> slot(8 + layout.frameBytes);
    std::vector<std::uint8_t> copy(sources[0].output.SizeBytes());
    double expandSeconds = 0;
    double memcpySeconds = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        Source& source = sources[next];
        const double t0 = CpuSeconds();
        WriteFrameChunk(source.output, 8, files::RecordFormat::kClassic, layout, source.grey8,
                        slot.data());
        benchmark::ClobberMemory();
        const double t1 = CpuSeconds();
        std::memcpy(copy.data(), sources[(next + frames / 2) % frames].output.Pixels(),
                    copy.size());
        benchmark::ClobberMemory();
        const double t2 = CpuSeconds();
        expandSeconds += t1 - t0;
        memcpySeconds += t2 - t1;
        next = (next + 1) % frames;
    }
    state.counters["memcpys"] = memcpySeconds > 0 ? expandSeconds / memcpySeconds : 0;
    state.counters["cpu_ms"] = 1e3 * expandSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RecorderExpandGreyPerFrame)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->Arg(1)
    ->Arg(48);

// The whole recorder: frames through the queue to a writer thread and the
// OpenDML file, brought up to date twice a second as a recording is; a
// bare sequential write of as many bytes in the same run, in blocks of the
// recorder's largest write: once from one block over and over (like dd: the
// source stays in the cache) and once from memory of the queue's size (the
// source comes from memory, as a recorder's frames do). Offered as fast as
// the writer takes them, the producer sleeps while the queue is full, so
// that both threads' processor time is their work; offered at the camera's
// pace, a frame that finds the queue full is dropped and counted.
// A memcpy of a frame is measured (in processor time, as the threads are)
// into memory of the queue's size, slot after slot, as the recorder's copy
// lands when the writer lags behind: a destination not in the cache. (When
// the writer keeps up, the queue starts again at its first slots after every
// write, so the recorder's copy mostly lands in the cache.)
// The second argument is how the frame reaches the queue. 0: the worker
// copies it from an image last touched a frame ago. 1: the worker first
// reads the camera's frame into the output image and copies it from there,
// as the library does for frames it converts (the read is the
// acquisition's, not counted). 2: the worker reads the camera's frame
// straight into the slot, as the library does for 8-bit grey recorded from
// 8-bit frames that need no conversion; the read is still the
// acquisition's, not counted, and the recorder's share on the worker is the
// claim, the chunk's header and the publication.
// The queue lives on large pages; a third bare write, from the cache of a
// block on large pages, shows how much of the recorder's rate is the pages'
// doing rather than its own (a plain writer like dd uses small pages).
// On two cores shared with other work the worker's copy and the writer often
// take turns on one core (a woken thread tends to run where it was woken),
// so the recording's wall time is partly the machine's: the writer's own rate
// inside its writes and its processor time per byte, each against the bare
// write's, are what the recorder does to the write; writer_busy is the share
// of the recording's time the writer spent writing.
void BM_RecorderToTmpfs(benchmark::State& state) {
    Source source;
    const std::string file = FastFolder() + "/nodrix_bench_recorder.avi";
    const std::string bareFile = FastFolder() + "/nodrix_bench_bare.bin";
    const std::uint32_t chunk = 8 + source.layout.frameBytes;
    constexpr std::uint64_t kQueueBytes = 64ull << 20;
    constexpr double kUpdateSeconds = 0.5;
    double recordSeconds = 0;
    double writerCpu = 0;
    // The writer thread inside its writes of frames: wall time and processor
    // time. With two threads on two cores shared with other work, the
    // recording's wall time is also the machine's; these show the writer's
    // own rate and cost, against the bare write's.
    double writeSeconds = 0;
    double writeCpu = 0;
    std::uint64_t writeBytes = 0;
    std::uint64_t writes = 0;
    double producerCpu = 0;
    double memcpyCpu = 0;
    double pacedMemcpyCpu = 0;
    std::uint64_t pacedMemcpies = 0;
    struct Bare {
        double seconds = 0;
        double cpu = 0;
    };
    Bare fromCache;
    Bare fromMemory;
    Bare fromLargePages;
    std::uint64_t frames = 0;
    int dropped = 0;
    const std::int64_t rate = state.range(0);
    const std::int64_t way = state.range(1);
    std::vector<std::uint8_t> payload(source.output.SizeBytes(), 0x5a);
    const auto readFrame = [&] {
        if (way != 1) return;
        std::memcpy(source.output.Pixels(), payload.data(), payload.size());
        benchmark::ClobberMemory();
    };
    // The camera core's read of a frame into a slot, last row first.
    const auto readIntoSlot = [&](std::uint8_t* frame) {
        const std::size_t row = kWidth;
        for (int y = 0; y < kHeight; ++y) {
            std::memcpy(frame + static_cast<std::size_t>(kHeight - 1 - y) * row,
                        payload.data() + static_cast<std::size_t>(y) * row, row);
        }
        benchmark::ClobberMemory();
    };
    const std::size_t copySlots = kQueueBytes / source.output.SizeBytes();
    std::vector<std::uint8_t> copies(copySlots * source.output.SizeBytes(), 1);
    std::vector<std::uint8_t> memory(kQueueBytes, 0x80);
    platform::LargeBlock largePages;
    if (!largePages.Allocate(kQueueBytes)) {
        state.SkipWithError("no memory");
        return;
    }
    std::memset(largePages.Data(), 0x80, kQueueBytes);
    // kFrames chunks in blocks of batch chunks, the blocks taken one after
    // the other from sourceBytes of source.
    const auto bareWrite = [&](const std::uint8_t* from, std::size_t sourceBytes,
                               std::uint32_t batch, Bare& bare) {
        const std::size_t blockBytes = static_cast<std::size_t>(chunk) * batch;
        platform::FileHandle handle;
        const auto start = std::chrono::steady_clock::now();
        const double cpu0 = CpuSeconds();
        handle.OpenForWriting(bareFile.c_str());
        std::size_t at = 0;
        for (int written = 0; written < kFrames; written += static_cast<int>(batch)) {
            if (at + blockBytes > sourceBytes) at = 0;
            handle.Write(from + at, static_cast<std::uint32_t>(blockBytes));
            at += blockBytes;
        }
        handle.Close();
        bare.cpu += CpuSeconds() - cpu0;
        bare.seconds += Seconds(std::chrono::steady_clock::now() - start);
        std::remove(bareFile.c_str());
    };
    for (auto _ : state) {
        RecordingQueue queue;
        files::AviOpenDmlWriter writer;
        if (!queue.Allocate(chunk, kQueueBytes, 8) ||
            !writer.Open(file.c_str(), source.layout, 1024, 3000)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        std::atomic<bool> done{false};
        const auto start = std::chrono::steady_clock::now();
        std::thread consumer([&] {
            const double cpu0 = CpuSeconds();
            auto lastUpdate = std::chrono::steady_clock::now();
            for (;;) {
                const std::uint8_t* first = nullptr;
                const std::uint32_t filled = queue.Filled(&first);
                if (filled > 0) {
                    const auto w0 = std::chrono::steady_clock::now();
                    const double c0 = CpuSeconds();
                    writer.AddChunks(first, filled);
                    writeCpu += CpuSeconds() - c0;
                    writeSeconds += Seconds(std::chrono::steady_clock::now() - w0);
                    writeBytes += static_cast<std::uint64_t>(filled) * chunk;
                    ++writes;
                    queue.Release(filled);
                } else if (done.load()) {
                    break;
                }
                const auto now = std::chrono::steady_clock::now();
                if (Seconds(now - lastUpdate) >= kUpdateSeconds) {
                    lastUpdate = now;
                    writer.Update(3000);
                }
                // As the recorder's writer: asleep until a full write is
                // queued or its longest wait has passed.
                queue.Wait(25);
            }
            writer.Finish(3000);
            writerCpu += CpuSeconds() - cpu0;
        });
        // The worker's share is what it does for a frame (claim, copy,
        // publish: the writer's wake-up included); the benchmark's pacing
        // and its waits for a slot stand for the camera, which the library's
        // worker waits for anyway, and are not counted.
        int pushed = 0;
        while (pushed + dropped < kFrames) {
            if (rate > 0) {
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(1000000ll * (pushed + dropped) / rate));
            }
            readFrame();
            const double cpu0 = CpuSeconds();
            std::uint8_t* slot = queue.Claim();
            if (slot == nullptr) {
                // At the camera's pace a frame finds a slot or is dropped,
                // as in the library.
                producerCpu += CpuSeconds() - cpu0;
                if (rate > 0) {
                    ++dropped;
                } else {
                    queue.WaitForSlot(10);
                }
                continue;
            }
            if (way == 2) {
                std::uint8_t* frame = WriteChunkHeader(source.layout, slot);
                producerCpu += CpuSeconds() - cpu0;
                readIntoSlot(frame);
                const double cpu1 = CpuSeconds();
                queue.Publish();
                producerCpu += CpuSeconds() - cpu1;
            } else {
                WriteFrameChunk(source.output, 8, files::RecordFormat::kGrey8, source.layout,
                                source.grey8, slot);
                queue.Publish();
                producerCpu += CpuSeconds() - cpu0;
            }
            ++pushed;
        }
        done = true;
        queue.Wake();
        consumer.join();
        recordSeconds += Seconds(std::chrono::steady_clock::now() - start);
        frames += static_cast<std::uint64_t>(pushed);
        std::remove(file.c_str());

        // The copy under the worker's own conditions at the camera's pace: a
        // plain memcpy of the frame after the same pacing sleep, into the
        // queue's slots in the order the worker fills them (emptied after a
        // full write, as the writer does). What it costs beyond the
        // back-to-back memcpy is the machine's (caches and address
        // translations gone cold while asleep), not the recorder's.
        const std::uint32_t batch = std::max<std::uint32_t>(queue.Slots() / 8, 1);
        if (rate > 0) {
            const auto pacedStart = std::chrono::steady_clock::now();
            for (int i = 0; i < kFrames; ++i) {
                std::this_thread::sleep_until(pacedStart +
                                              std::chrono::microseconds(1000000ll * i / rate));
                readFrame();
                std::uint8_t* slot = queue.Claim();
                if (slot == nullptr) break;
                const double cpu0 = CpuSeconds();
                std::memcpy(slot + 8, source.output.Pixels(), source.output.SizeBytes());
                benchmark::ClobberMemory();
                pacedMemcpyCpu += CpuSeconds() - cpu0;
                ++pacedMemcpies;
                queue.Publish();
                const std::uint8_t* first = nullptr;
                if (queue.Filled(&first) >= batch) queue.Release(batch);
            }
        }

        bareWrite(memory.data(), static_cast<std::size_t>(chunk) * batch, batch, fromCache);
        bareWrite(memory.data(), memory.size(), batch, fromMemory);
        bareWrite(largePages.Data(), static_cast<std::size_t>(chunk) * batch, batch,
                  fromLargePages);

        const double m0 = CpuSeconds();
        for (int i = 0; i < kFrames; ++i) {
            std::memcpy(copies.data() + (i % copySlots) * source.output.SizeBytes(),
                        source.output.Pixels(), source.output.SizeBytes());
            benchmark::ClobberMemory();
        }
        memcpyCpu += CpuSeconds() - m0;
    }
    const double perMemcpy = memcpyCpu / static_cast<double>(frames);
    const auto perFrame = [&](double cpu) { return cpu / static_cast<double>(frames) / perMemcpy; };
    state.counters["frames_per_s"] = static_cast<double>(frames) / recordSeconds;
    const double bareBytes = static_cast<double>(state.iterations()) * kFrames * chunk;
    if (rate == 0) {
        state.counters["vs_bare_write"] = fromCache.seconds / recordSeconds;
        state.counters["vs_bare_write_from_memory"] = fromMemory.seconds / recordSeconds;
        state.counters["vs_bare_write_large_pages"] = fromLargePages.seconds / recordSeconds;
        // The writer's rate while it writes, and the rate its processor time
        // allows with a core of its own, against the bare write from the
        // cache: what the recorder does to the write, apart from the load.
        state.counters["writer_rate_vs_bare"] =
            (static_cast<double>(writeBytes) / writeSeconds) / (bareBytes / fromCache.seconds);
        state.counters["writer_busy"] = writeSeconds / recordSeconds;
        state.counters["writer_cpu_vs_bare"] =
            (fromCache.cpu / bareBytes) / (writeCpu / static_cast<double>(writeBytes));
    } else {
        state.counters["dropped"] = dropped;
        // Frames per write of the writer: how often it was woken.
        state.counters["frames_per_write"] =
            writes > 0 ? static_cast<double>(frames) / static_cast<double>(writes) : 0;
    }
    const double pacedMemcpy =
        pacedMemcpies > 0 ? pacedMemcpyCpu / static_cast<double>(pacedMemcpies) : 0;
    // Processor time per frame in memcpys of a frame: both threads; the
    // recorder's own, beyond what the bare write of the bytes costs (the
    // kernel's copy into the file system, which any writer pays: from
    // memory when the writer lags behind the worker, from the cache when it
    // keeps pace with the camera); the worker's copy alone; that bare
    // write's.
    const Bare& bare = rate == 0 ? fromMemory : fromCache;
    // The bare writes wrote every frame offered, the recorder those it took.
    const double bareCpu =
        bare.cpu * static_cast<double>(frames) / static_cast<double>(state.iterations() * kFrames);
    state.counters["total_cpu_memcpys"] = perFrame(producerCpu + writerCpu);
    state.counters["recorder_cpu_memcpys"] = perFrame(producerCpu + writerCpu - bareCpu);
    state.counters["worker_cpu_memcpys"] = perFrame(producerCpu);
    state.counters["writer_cpu_memcpys"] = perFrame(writerCpu);
    state.counters["bare_write_cpu_memcpys"] = perFrame(bareCpu);
    if (pacedMemcpy > 0) {
        // The paced memcpy in back-to-back memcpys, and the worker's and the whole
        // recorder's processor time in paced memcpys: the yardstick of the
        // copy as the machine does it after a sleep.
        state.counters["paced_memcpy_memcpys"] = pacedMemcpy / perMemcpy;
        const auto perPaced = [&](double cpu) {
            return cpu / static_cast<double>(frames) / pacedMemcpy;
        };
        state.counters["worker_cpu_paced_memcpys"] = perPaced(producerCpu);
        state.counters["recorder_cpu_paced_memcpys"] = perPaced(producerCpu + writerCpu - bareCpu);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(frames) * source.layout.frameBytes);
}
// Arguments: frames per second the worker offers (0: as fast as the writer
// takes them, for the throughput; 290: the link rate of 8-bit frames), and
// how the frame reaches the queue (see above).
BENCHMARK(BM_RecorderToTmpfs)
    ->Args({0, 0})
    ->Args({290, 0})
    ->Args({290, 1})
    ->Args({290, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) {
                            return *std::min_element(v.begin(), v.end());
                        })
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                            return *std::max_element(v.begin(), v.end());
                        })
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
