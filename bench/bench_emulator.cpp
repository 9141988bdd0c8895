// Throughput of the emulated camera: full frames read through the driver's
// requests at pace=max, as the transport reads them (0xC2, the 64-byte
// header, then 512 KiB pieces).

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "emulator/EmulatedDriver.h"
#include "emulator/LittleEndian.h"

namespace {

using nodrix::emulator::EmulatedDriver;
using nodrix::emulator::EmulatorConfig;
using nodrix::emulator::GetLe32;
using nodrix::emulator::Pace;
using nodrix::emulator::Pattern;
namespace platform = nodrix::platform;

std::vector<std::uint8_t> ControlRequest(std::uint8_t type, std::uint8_t request,
                                         std::uint16_t value, std::uint16_t index) {
    std::vector<std::uint8_t> b(102, 0);
    b[0] = type;
    b[1] = request;
    b[2] = static_cast<std::uint8_t>(value);
    b[3] = static_cast<std::uint8_t>(value >> 8);
    b[4] = static_cast<std::uint8_t>(index);
    b[5] = static_cast<std::uint8_t>(index >> 8);
    b[6] = 102;
    b[8] = 3;
    b[30] = 38;
    b[34] = 64;
    return b;
}

bool Bulk(EmulatedDriver& d, platform::DriverHandle h, platform::PendingIo& io,
          std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
    std::array<std::uint8_t, 38> record{};
    record[13] = 0x81;
    const std::uint32_t r = d.SubmitIoControl(h, 0x22004B, record.data(), 38, buffer, count, io);
    if (r == platform::kErrorIoPending) d.WaitIo(io, 3000);
    return d.GetIoResult(h, io, &got);
}

void ReadFrames(benchmark::State& state, Pattern pattern) {
    EmulatorConfig c = EmulatedDriver::DefaultConfig();
    c.pace = Pace::Max;
    c.pattern = pattern;
    EmulatedDriver d(c);
    const bool wide = state.range(0) == 16;
    if (wide) {
        const auto h = d.Open(d.DevicePath(0).c_str(), false);
        auto req = ControlRequest(0x40, 0x30, 3, 0x40);
        req[38] = 60;
        req[40] = 2;
        std::uint32_t n = 0;
        d.IoControl(h, 0x220020, req.data(), 102, req.data(), 102, &n);
        d.Close(h);
    }
    const auto h = d.Open(d.DevicePath(0).c_str(), true);
    std::vector<std::uint8_t> frame(1280 * 1024 * 2);
    std::array<std::uint8_t, 64> header{};
    auto c2 = ControlRequest(0x42, 0xC2, 0, 0);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        std::uint32_t n = 0;
        d.IoControl(h, 0x220020, c2.data(), 102, c2.data(), 102, &n);
        auto io = d.CreatePendingIo();
        if (!Bulk(d, h, *io, header.data(), 64, n)) {
            state.SkipWithError("header read failed");
            break;
        }
        const std::uint32_t size = GetLe32(&header[16]);
        for (std::uint32_t done = 0; done < size; done += n) {
            io = d.CreatePendingIo();
            const std::uint32_t piece = std::min<std::uint32_t>(0x80000, size - done);
            if (!Bulk(d, h, *io, frame.data() + done, piece, n) || n == 0) {
                state.SkipWithError("payload read failed");
                break;
            }
        }
        bytes += size;
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    d.Close(h);
}

void BM_EmulatedFullFrameRamp(benchmark::State& state) { ReadFrames(state, Pattern::Ramp); }
void BM_EmulatedFullFrameScene(benchmark::State& state) { ReadFrames(state, Pattern::Scene); }

BENCHMARK(BM_EmulatedFullFrameRamp)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmulatedFullFrameScene)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
