#pragma once
// Mask files built byte by byte for the tests, and the temporary files they
// live in.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace nodrix::test {

inline constexpr std::size_t kMaskFile = 7864360;
inline constexpr std::size_t kPlaneOffset[4] = {40, 1310760, 2621480, 5242920};

inline void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A complete file whose planes hold one value each.
inline std::vector<std::uint8_t> ConstantMaskFile(int dark8, int white8, int dark16,
                                                  int white16) {
    std::vector<std::uint8_t> bytes(kMaskFile);
    const char magic[16] = "VELMOR MASK1000";
    std::copy(magic, magic + 16, bytes.begin());
    PutLe32(bytes, 16, 1280);
    PutLe32(bytes, 20, 1024);
    PutLe32(bytes, 24, 0x140000);
    PutLe32(bytes, 28, 0x140000);
    PutLe32(bytes, 32, 0x280000);
    PutLe32(bytes, 36, 0x280000);
    std::fill(bytes.begin() + kPlaneOffset[0], bytes.begin() + kPlaneOffset[1], dark8);
    std::fill(bytes.begin() + kPlaneOffset[1], bytes.begin() + kPlaneOffset[2], white8);
    for (std::size_t at = kPlaneOffset[2]; at < kMaskFile; at += 2) {
        const int value = at < kPlaneOffset[3] ? dark16 : white16;
        bytes[at] = static_cast<std::uint8_t>(value);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return bytes;
}

// A file in the temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const char* stem)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(stem) + "-" + std::to_string(std::random_device{}()) + "-" +
                 std::to_string(Counter()++) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".msk")) {
        std::filesystem::remove(path_);
    }
    explicit TempFile(std::filesystem::path path) : path_(std::move(path)) {
        std::filesystem::remove(path_);
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Name() const { return path_.string(); }

    std::vector<std::uint8_t> Read() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Write(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::filesystem::path path_;
};

}  // namespace nodrix::test
