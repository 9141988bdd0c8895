// BMP and raw files, byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "files/PatternImage.h"
#include "files/StillImage.h"
#include "files/TempFolder.h"

namespace nodrix::files {
namespace {

using nodrix::testing::PatternImage;
using nodrix::testing::ReadBytes;
using nodrix::testing::TempFolder;
using nodrix::testing::WriteBytes;
using Bytes = std::vector<unsigned char>;

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t Le16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(BmpFile, HeadersTableAndBottomUpRowsForEveryBitCount) {
    TempFolder folder;
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        const int width = 3, height = 5;
        auto image = PatternImage(width, height, bits);
        const std::uint32_t stride = (width * bits / 8 + 3) & ~3u;
        const std::string name = folder.File("image" + std::to_string(bits) + ".bmp");
        ASSERT_EQ(SaveStillImage(name.c_str(), *image, kStillBmp), 1);
        const Bytes file = ReadBytes(name);

        const std::uint32_t offset = bits == 8 ? 1078 : 54;
        ASSERT_EQ(file.size(), offset + stride * height);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Le32(file, 2), file.size());
        EXPECT_EQ(Le32(file, 6), 0u);  // both reserved words
        EXPECT_EQ(Le32(file, 10), offset);

        EXPECT_EQ(Le32(file, 14), 40u);
        EXPECT_EQ(Le32(file, 18), static_cast<std::uint32_t>(width));
        EXPECT_EQ(Le32(file, 22), static_cast<std::uint32_t>(height));  // positive: bottom-up
        EXPECT_EQ(Le16(file, 26), 1);
        EXPECT_EQ(Le16(file, 28), bits);
        for (std::size_t at = 30; at < 54; at += 4) EXPECT_EQ(Le32(file, at), 0u) << at;

        if (bits == 8) {
            for (std::uint32_t i = 0; i < 256; ++i) {
                ASSERT_EQ(Le32(file, 54 + 4 * i), i | (i << 8) | (i << 16)) << i;
            }
        }
        // File row r is the picture's row height-1-r, padding included.
        for (int r = 0; r < height; ++r) {
            const std::uint8_t* want = image->Row(height - 1 - r);
            const Bytes got(file.begin() + offset + r * stride,
                            file.begin() + offset + (r + 1) * stride);
            EXPECT_EQ(got, Bytes(want, want + stride)) << "file row " << r;
        }
    }
}

TEST(RawFile, TheBufferAsItStandsTopRowFirst) {
    TempFolder folder;
    const std::string name = folder.File("image.raw");
    // Leftovers of a longer file must go.
    WriteBytes(name, Bytes(1000, 0xAA));
    auto image = PatternImage(3, 4, 24);
    ASSERT_EQ(SaveStillImage(name.c_str(), *image, kStillRaw), 1);
    const Bytes file = ReadBytes(name);
    ASSERT_EQ(file.size(), 12u * 4);  // 9 pixel bytes and 3 padding bytes a row
    EXPECT_EQ(file, Bytes(image->Pixels(), image->Pixels() + 48));

    auto sixteen = PatternImage(5, 2, 16);
    ASSERT_EQ(SaveStillImage(name.c_str(), *sixteen, kStillRaw), 1);
    EXPECT_EQ(ReadBytes(name), Bytes(sixteen->Pixels(), sixteen->Pixels() + 12 * 2));
}

TEST(StillImage, UnknownKindsEmptyImagesAndUnwritableNamesWriteNothing) {
    TempFolder folder;
    auto image = PatternImage(4, 4, 8);
    for (int kind : {-1, 7, 100}) {
        const std::string name = folder.File("kind" + std::to_string(kind));
        EXPECT_EQ(SaveStillImage(name.c_str(), *image, kind), 0);
        EXPECT_FALSE(std::filesystem::exists(name)) << kind;
    }
    imaging::CDibImage empty;
    for (int kind = kStillBmp; kind <= kStillTiff; ++kind) {
        SCOPED_TRACE(kind);
        const std::string name = folder.File("empty" + std::to_string(kind));
        EXPECT_EQ(SaveStillImage(name.c_str(), empty, kind), 0);
        EXPECT_FALSE(std::filesystem::exists(name));
        const std::string nowhere = folder.File("missing/folder/x");
        EXPECT_EQ(SaveStillImage(nowhere.c_str(), *image, kind), 0);
        EXPECT_EQ(SaveStillImage(nullptr, *image, kind), 0);
        EXPECT_EQ(SaveStillImage("", *image, kind), 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace nodrix::files
