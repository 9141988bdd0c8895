// Time to save one full-sensor output image in each file kind, the time the
// frame lock is held by a save (the disk cache absorbs the writes, so this
// is mostly the encoders' cost).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "files/StillImage.h"
#include "imaging/CDibImage.h"

namespace {

using namespace nodrix;

// A gently varying picture, as a camera frame of a real scene would be.
void Fill(imaging::CDibImage& image) {
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        for (int i = 0; i < image.Width() * image.BytesPerPixel(); ++i) {
            row[i] = static_cast<std::uint8_t>((i / 7 + y / 3) ^ (i % 5));
        }
    }
}

void BM_SaveStillImage(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const int bits = static_cast<int>(state.range(1));
    imaging::CDibImage image;
    if (!image.Allocate(1280, 1024, bits)) {
        state.SkipWithError("no image memory");
        return;
    }
    Fill(image);
    const std::string name =
        (std::filesystem::temp_directory_path() / "nodrix_bench_still").string();
    for (auto _ : state) {
        if (!files::SaveStillImage(name.c_str(), image, kind)) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(image.SizeBytes()));
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
}
// Kinds: 0 BMP, 1 raw, 2 JPEG 100, 4 JPEG 20, 5 PNG, 6 TIFF.
BENCHMARK(BM_SaveStillImage)
    ->ArgNames({"kind", "bits"})
    ->ArgsProduct({{0, 1, 2, 4, 5, 6}, {8, 16, 24}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
