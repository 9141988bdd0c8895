// The recorder at the link rate's frame size (1280 x 1024, 8-bit grey into
// 8-bit grey frames), into a file on a file system that keeps up (tmpfs:
// /dev/shm when present): the worker's copy of a frame into the queue, and
// the whole path (queue, writer thread, OpenDML file) against what the same
// run measures for a memcpy of the frame and for a bare sequential write of
// the same bytes in blocks of the same size.

#include <benchmark/benchmark.h>

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

// The whole recorder: frames through the queue to a writer thread and the
// OpenDML file; the bare write of the same bytes in the same run.
void BM_RecorderToTmpfs(benchmark::State& state) {
    Source source;
    const std::string file = FastFolder() + "/nodrix_bench_recorder.avi";
    const std::string bare = FastFolder() + "/nodrix_bench_bare.bin";
    const std::uint32_t chunk = 8 + source.layout.frameBytes;
    double recordSeconds = 0;
    double bareSeconds = 0;
    double writerCpu = 0;
    double producerCpu = 0;
    double memcpySeconds = 0;
    std::uint64_t frames = 0;
    std::vector<std::uint8_t> copy(source.output.SizeBytes());
    for (auto _ : state) {
        RecordingQueue queue;
        files::AviOpenDmlWriter writer;
        if (!queue.Allocate(chunk, 64ull << 20, 8) ||
            !writer.Open(file.c_str(), source.layout, 1024, 3000)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        std::atomic<bool> done{false};
        const auto start = std::chrono::steady_clock::now();
        std::thread consumer([&] {
            const double cpu0 = CpuSeconds();
            for (;;) {
                const std::uint8_t* first = nullptr;
                const std::uint32_t filled = queue.Filled(&first);
                if (filled > 0) {
                    writer.AddChunks(first, filled);
                    queue.Release(filled);
                    continue;
                }
                if (done.load()) break;
                queue.Wait(10);
            }
            writer.Finish(3000);
            writerCpu += CpuSeconds() - cpu0;
        });
        const double cpu0 = CpuSeconds();
        int pushed = 0;
        while (pushed < kFrames) {
            std::uint8_t* slot = queue.Claim();
            if (slot == nullptr) {
                std::this_thread::yield();
                continue;
            }
            WriteFrameChunk(source.output, 8, files::RecordFormat::kGrey8, source.layout,
                            source.grey8, slot);
            queue.Publish();
            ++pushed;
        }
        producerCpu += CpuSeconds() - cpu0;
        done = true;
        queue.Wake();
        consumer.join();
        recordSeconds += Seconds(std::chrono::steady_clock::now() - start);
        frames += kFrames;

        // The same bytes, written bare in blocks of the same size.
        std::vector<std::uint8_t> block(static_cast<std::size_t>(chunk) * 8, 0x80);
        platform::FileHandle handle;
        const auto bareStart = std::chrono::steady_clock::now();
        handle.OpenForWriting(bare.c_str());
        for (int written = 0; written < kFrames; written += 8) {
            handle.Write(block.data(), static_cast<std::uint32_t>(block.size()));
        }
        handle.Close();
        bareSeconds += Seconds(std::chrono::steady_clock::now() - bareStart);
        const auto m0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrames; ++i) {
            std::memcpy(copy.data(), source.output.Pixels(), copy.size());
            benchmark::ClobberMemory();
        }
        memcpySeconds += Seconds(std::chrono::steady_clock::now() - m0);
        std::remove(file.c_str());
        std::remove(bare.c_str());
    }
    const double perMemcpy = memcpySeconds / static_cast<double>(frames);
    state.counters["frames_per_s"] = static_cast<double>(frames) / recordSeconds;
    state.counters["vs_bare_write"] = bareSeconds / recordSeconds;
    state.counters["cpu_memcpys_per_frame"] =
        (producerCpu + writerCpu) / static_cast<double>(frames) / perMemcpy;
    state.counters["worker_memcpys_per_frame"] =
        producerCpu / static_cast<double>(frames) / perMemcpy;
    state.SetBytesProcessed(static_cast<std::int64_t>(frames) * source.layout.frameBytes);
}
BENCHMARK(BM_RecorderToTmpfs)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
