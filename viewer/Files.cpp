#include "Files.h"

#include <ctime>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "NodrixSdk.h"

namespace nodrix_viewer {
namespace {

const StillFormat kFormats[] = {
    {"PNG", "png", NODRIX_IMAGE_PNG},
    {"TIFF", "tif", NODRIX_IMAGE_TIFF},
    {"BMP", "bmp", NODRIX_IMAGE_BMP},
    {"JPEG (quality 100)", "jpg", NODRIX_IMAGE_JPEG_100},
    {"JPEG (quality 70)", "jpg", NODRIX_IMAGE_JPEG_70},
    {"JPEG (quality 20)", "jpg", NODRIX_IMAGE_JPEG_20},
    {"raw samples", "raw", NODRIX_IMAGE_RAW},
};

}  // namespace

const StillFormat* StillFormats() {
    return kFormats;
}

int StillFormatCount() {
    return static_cast<int>(std::size(kFormats));
}

std::string UniqueFileName(const std::string& folder, const char* extension) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "nodrix-%Y%m%d-%H%M%S", &local);
    const std::filesystem::path dir = folder.empty() ? "." : folder;
    for (int n = 1;; ++n) {
        std::string name = stamp;
        if (n > 1) name += "-" + std::to_string(n);
        name += ".";
        name += extension;
        const std::filesystem::path path = dir / name;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) return path.string();
    }
}

std::uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(bytes);
}

}  // namespace nodrix_viewer
