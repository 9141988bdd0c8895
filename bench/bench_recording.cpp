// The recorder's path for one frame, at the full sensor size: the output
// image turned into a 24-bit bottom-up frame (8- and 16-bit grey, 24-bit
// colour), and the frame appended to the AVI file (to a sink that drops the
// bytes, which is the writer's own cost, and to a file in the temporary
// folder).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "connection/RecordingFrame.h"
#include "files/CAviWriter.h"

namespace {

using namespace nodrix;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

void BM_RecordingConvert(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    imaging::CDibImage output;
    RecordingImages images;
    if (!output.Allocate(kWidth, kHeight, bits) || !images.Allocate(kWidth, kHeight, bits)) {
        state.SkipWithError("no memory");
        return;
    }
    for (std::size_t i = 0; i < output.SizeBytes(); ++i) {
        output.Pixels()[i] = static_cast<std::uint8_t>(i * 13);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ConvertForRecording(output, images));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(output.SizeBytes()));
}
BENCHMARK(BM_RecordingConvert)->Arg(8)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond);

class DroppingSink : public files::AviSink {
public:
    bool Write(const void*, std::uint32_t) override { return true; }
    bool Seek(std::uint32_t) override { return true; }
    bool Truncate(std::uint32_t) override { return true; }
    void Close() override {}
};

void BM_RecordingAppend(benchmark::State& state) {
    const bool toFile = state.range(0) != 0;
    const std::string file =
        (std::filesystem::temp_directory_path() / "nodrix_bench_recording.avi").string();
    DroppingSink sink;
    files::CAviWriter writer;
    writer.SetFormat(kWidth, kHeight, 8);
    writer.SetSizeLimit(256u << 20);
    const std::vector<std::uint8_t> frame(writer.FrameBytes(), 0x80);
    const auto open = [&] { return toFile ? writer.Open(file.c_str()) : writer.Open(sink); };
    if (!open()) {
        state.SkipWithError("cannot open the file");
        return;
    }
    for (auto _ : state) {
        if (writer.AddFrame(frame.data()) != files::CAviWriter::AddResult::kAdded) {
            // A full file starts over, outside the measured time.
            state.PauseTiming();
            writer.SetRate(3000);
            writer.Finish();
            const bool reopened = open();
            state.ResumeTiming();
            if (!reopened || writer.AddFrame(frame.data()) != files::CAviWriter::AddResult::kAdded) {
                state.SkipWithError("append failed");
                break;
            }
        }
    }
    writer.SetRate(3000);
    writer.Finish();
    std::remove(file.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(frame.size()));
}
// Files stop at 256 MiB so that the temporary folder is not filled.
BENCHMARK(BM_RecordingAppend)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
