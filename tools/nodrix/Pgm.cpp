#include "Pgm.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace nodrix_tool {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int MaxValue(const std::uint8_t* pixels, int width, int height, int stride, int bits) {
    if (bits == 8) return 255;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            if ((row[2 * x] | (row[2 * x + 1] << 8)) > 4095) return 65535;
        }
    }
    return 4095;
}

}  // namespace

bool WritePgm(const std::string& path, const std::uint8_t* pixels, int width, int height,
              int stride, int bits) {
    if (bits != 8 && bits != 16) return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const int maxValue = MaxValue(pixels, width, height, stride, bits);
    if (std::fprintf(file.get(), "P5\n%d %d\n%d\n", width, height, maxValue) < 0) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (bits / 8);
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = pixels + static_cast<std::size_t>(y) * stride;
        if (bits == 8) {
            row.assign(source, source + rowBytes);
        } else {
            // PGM samples of two bytes are big-endian.
            for (int x = 0; x < width; ++x) {
                row[2 * x] = source[2 * x + 1];
                row[2 * x + 1] = source[2 * x];
            }
        }
        if (std::fwrite(row.data(), 1, rowBytes, file.get()) != rowBytes) return false;
    }
    return std::fflush(file.get()) == 0;
}

}  // namespace nodrix_tool
