// The mask data's own work: the four planes to and from a mask file's bytes,
// checking a file, and rebuilding a defect map.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "files/MaskFileLayout.h"
#include "imaging/CDibImage.h"
#include "pipeline/DefectMap.h"
#include "pipeline/DefectPixelFilter.h"

using namespace nodrix;
using nodrix::imaging::CDibImage;

namespace {

struct MaskPlanes {
    CDibImage plane[4];
    MaskPlanes() {
        static constexpr int kBits[4] = {8, 8, 16, 16};
        for (int i = 0; i < 4; ++i) plane[i].Allocate(1280, 1024, kBits[i]);
        std::memset(plane[1].Pixels(), 255, plane[1].SizeBytes());
    }
    files::ConstMaskPlanes Readable() const {
        return {&plane[0], &plane[1], &plane[2], &plane[3]};
    }
    files::MaskPlanes Writable() { return {&plane[0], &plane[1], &plane[2], &plane[3]}; }
};

void BM_EncodeMaskFile(benchmark::State& state) {
    MaskPlanes planes;
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        files::EncodeMaskFile(planes.Readable(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(files::kMaskFileBytes));
}
BENCHMARK(BM_EncodeMaskFile)->Unit(benchmark::kMillisecond);

void BM_CheckAndDecodeMaskFile(benchmark::State& state) {
    MaskPlanes planes;
    std::vector<std::uint8_t> bytes;
    files::EncodeMaskFile(planes.Readable(), bytes);
    for (auto _ : state) {
        if (files::CheckMaskFile(bytes.data(), bytes.size()) == files::MaskFileFault::None) {
            files::DecodeMaskPlanes(bytes.data(), planes.Writable());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(files::kMaskFileBytes));
}
BENCHMARK(BM_CheckAndDecodeMaskFile)->Unit(benchmark::kMillisecond);

void BM_BuildDefectMap(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    CDibImage plane, map;
    plane.Allocate(1280, 1024, bits);
    map.Allocate(1280, 1024, bits);
    for (auto _ : state) {
        pipeline::BuildDefectMap(plane, pipeline::MaskKind::Dark, map);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildDefectMap)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

// The dot filter on an 8-bit frame once a dark plane has been taken from a
// ramp: a quarter of the pixels are named defective, in diagonal bands.
void BM_DotFilterAfterRampDarkPlane(benchmark::State& state) {
    CDibImage frame, dark, defectDark, defectWhite, mark;
    for (CDibImage* image : {&frame, &dark, &defectDark, &defectWhite, &mark}) {
        image->Allocate(1280, 1024, 8);
    }
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) dark.Row(y)[x] = static_cast<std::uint8_t>(x + y);
    }
    pipeline::BuildDefectMap(dark, pipeline::MaskKind::Dark, defectDark);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(frame.Pixels(), dark.Pixels(), dark.SizeBytes());
        state.ResumeTiming();
        pipeline::ApplyDefectFilter8(frame, mark, defectDark, defectWhite,
                                     pipeline::kDefectThreshold8);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DotFilterAfterRampDarkPlane)->Unit(benchmark::kMillisecond);

// The same on 16-bit frames, whose ramp climbs four times faster along a row
// than down a column: the bands stand almost upright.
void BM_DotFilterAfterRampDarkPlane16(benchmark::State& state) {
    CDibImage frame, dark, defectDark, defectWhite, mark;
    for (CDibImage* image : {&frame, &dark, &defectDark, &defectWhite, &mark}) {
        image->Allocate(1280, 1024, 16);
    }
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) {
            const auto value = static_cast<std::uint16_t>((4 * x + y) & 0x0FFF);
            std::memcpy(dark.Row(y) + 2 * x, &value, sizeof value);
        }
    }
    pipeline::BuildDefectMap(dark, pipeline::MaskKind::Dark, defectDark);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(frame.Pixels(), dark.Pixels(), dark.SizeBytes());
        state.ResumeTiming();
        pipeline::ApplyDefectFilter16(frame, mark, defectDark, defectWhite,
                                      pipeline::kDefectThreshold16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DotFilterAfterRampDarkPlane16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
