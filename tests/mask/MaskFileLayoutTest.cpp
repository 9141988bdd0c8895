// The mask file's byte layout and the defect maps derived from the planes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "files/MaskFileLayout.h"
#include "imaging/CDibImage.h"
#include "pipeline/DefectMap.h"

namespace nodrix::test {
namespace {

using files::MaskFileFault;

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void SetSample16(imaging::CDibImage& image, int x, int y, std::uint16_t value) {
    std::memcpy(image.Row(y) + 2 * x, &value, 2);
}

std::uint16_t Sample16(const imaging::CDibImage& image, int x, int y) {
    std::uint16_t value;
    std::memcpy(&value, image.Row(y) + 2 * x, 2);
    return value;
}

struct Planes {
    imaging::CDibImage image[4];
    Planes() {
        static constexpr int kBits[4] = {8, 8, 16, 16};
        for (int i = 0; i < 4; ++i) image[i].Allocate(1280, 1024, kBits[i]);
    }
    files::MaskPlanes Writable() { return {&image[0], &image[1], &image[2], &image[3]}; }
    files::ConstMaskPlanes Readable() const {
        return {&image[0], &image[1], &image[2], &image[3]};
    }
};

TEST(MaskFileLayout, EncodedFileHoldsHeaderAndPlanesAtTheirOffsets) {
    auto planes = std::make_unique<Planes>();
    planes->image[0].Row(0)[0] = 0x11;
    planes->image[1].Row(1023)[1279] = 0x22;
    SetSample16(planes->image[2], 3, 2, 0x0ABC);
    SetSample16(planes->image[3], 1279, 1023, 0x0FFF);

    std::vector<std::uint8_t> file;
    ASSERT_TRUE(files::EncodeMaskFile(planes->Readable(), file));
    ASSERT_EQ(file.size(), 7864360u);
    EXPECT_EQ(std::memcmp(file.data(), "VELMOR MASK1000\0", 16), 0);
    EXPECT_EQ(Le32(file, 16), 1280u);
    EXPECT_EQ(Le32(file, 20), 1024u);
    EXPECT_EQ(Le32(file, 24), 0x140000u);
    EXPECT_EQ(Le32(file, 28), 0x140000u);
    EXPECT_EQ(Le32(file, 32), 0x280000u);
    EXPECT_EQ(Le32(file, 36), 0x280000u);
    EXPECT_EQ(file[40], 0x11);
    EXPECT_EQ(file[2621480 - 1], 0x22);
    // 16-bit samples low byte first, rows of 2560 bytes without padding.
    const std::size_t sample = 2621480 + 2 * (2 * 1280 + 3);
    EXPECT_EQ(file[sample], 0xBC);
    EXPECT_EQ(file[sample + 1], 0x0A);
    EXPECT_EQ(file[7864358], 0xFF);
    EXPECT_EQ(file[7864359], 0x0F);

    EXPECT_EQ(files::CheckMaskFile(file.data(), file.size()), MaskFileFault::None);
    auto decoded = std::make_unique<Planes>();
    ASSERT_TRUE(files::DecodeMaskPlanes(file.data(), decoded->Writable()));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::memcmp(decoded->image[i].Pixels(), planes->image[i].Pixels(),
                              planes->image[i].SizeBytes()),
                  0)
            << "plane " << i;
    }
    EXPECT_EQ(Sample16(decoded->image[2], 3, 2), 0x0ABC);
}

TEST(MaskFileLayout, PlanesOfAnotherShapeAreNotWritten) {
    auto planes = std::make_unique<Planes>();
    planes->image[3].Allocate(640, 480, 16);
    std::vector<std::uint8_t> file;
    EXPECT_FALSE(files::EncodeMaskFile(planes->Readable(), file));
    EXPECT_TRUE(file.empty());
    planes->image[3].Allocate(1280, 1024, 8);
    EXPECT_FALSE(files::EncodeMaskFile(planes->Readable(), file));
}

TEST(MaskFileLayout, FilesThatAreNotExactlyAMaskFileAreRefused) {
    auto planes = std::make_unique<Planes>();
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(files::EncodeMaskFile(planes->Readable(), good));

    for (std::size_t size : {std::size_t{0}, std::size_t{39}, std::size_t{40},
                             std::size_t{1310760}, std::size_t{7864359}}) {
        EXPECT_EQ(files::CheckMaskFile(good.data(), size), MaskFileFault::Truncated) << size;
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(files::CheckMaskFile(longer.data(), longer.size()), MaskFileFault::Oversized);

    auto patched = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> file = good;
        file[at] = value;
        return files::CheckMaskFile(file.data(), file.size());
    };
    EXPECT_EQ(patched(0, 'v'), MaskFileFault::BadMagic);
    EXPECT_EQ(patched(15, '0'), MaskFileFault::BadMagic);  // no terminator
    EXPECT_EQ(patched(14, 0), MaskFileFault::BadMagic);    // text ends early
    // 1024 x 768, then each plane size off by one step.
    std::vector<std::uint8_t> small = good;
    small[17] = 0x04, small[21] = 0x03;
    EXPECT_EQ(files::CheckMaskFile(small.data(), small.size()), MaskFileFault::BadGeometry);
    for (std::size_t field : {24u, 28u, 32u, 36u}) {
        EXPECT_EQ(patched(field, 1), MaskFileFault::BadGeometry) << field;
    }
    EXPECT_EQ(files::CheckMaskFile(nullptr, 7864360), MaskFileFault::Truncated);
}

TEST(MaskFileLayout, MagicIsComparedAsAZeroTerminatedText) {
    files::MaskFileHeader header;
    std::memcpy(header.magic.data(), files::kMaskMagic, 16);
    header.width = 1280;
    header.height = 1024;
    header.planeBytes = files::kMaskPlaneBytes;
    std::uint8_t bytes[40];
    files::WriteMaskHeader(header, bytes);
    const files::MaskFileHeader read = files::ReadMaskHeader(bytes);
    EXPECT_EQ(read.magic, header.magic);
    EXPECT_EQ(read.width, 1280u);
    EXPECT_EQ(read.planeBytes, files::kMaskPlaneBytes);
    EXPECT_EQ(files::CheckMaskHeader(read), MaskFileFault::None);
}

// Defect maps: thresholds on each side, and the two-pixel border.
TEST(DefectMap, MarksOutOfRangeReferencePixelsInsideTheBorder) {
    imaging::CDibImage white8, map8;
    ASSERT_TRUE(white8.Allocate(1280, 1024, 8));
    ASSERT_TRUE(map8.Allocate(1280, 1024, 8));
    std::memset(white8.Pixels(), 255, white8.SizeBytes());
    std::memset(map8.Pixels(), 7, map8.SizeBytes());  // stale contents
    white8.Row(100)[100] = 63;
    white8.Row(100)[1] = 63;     // (1, 100): border
    white8.Row(100)[1277] = 63;  // last column inside
    white8.Row(1022)[500] = 0;   // border row
    white8.Row(200)[200] = 64;
    ASSERT_TRUE(pipeline::BuildDefectMap(white8, pipeline::MaskKind::White, map8));
    EXPECT_EQ(map8.Row(100)[100], 1);
    EXPECT_EQ(map8.Row(100)[1], 0);
    EXPECT_EQ(map8.Row(100)[1277], 1);
    EXPECT_EQ(map8.Row(1022)[500], 0);
    EXPECT_EQ(map8.Row(200)[200], 0);
    EXPECT_EQ(map8.Row(0)[0], 0);
    int marked = 0;
    for (std::size_t i = 0; i < map8.SizeBytes(); ++i) marked += map8.Pixels()[i];
    EXPECT_EQ(marked, 2);

    imaging::CDibImage dark8;
    ASSERT_TRUE(dark8.Allocate(1280, 1024, 8));
    dark8.Row(50)[50] = 193;
    dark8.Row(50)[51] = 192;
    ASSERT_TRUE(pipeline::BuildDefectMap(dark8, pipeline::MaskKind::Dark, map8));
    EXPECT_EQ(map8.Row(50)[50], 1);
    EXPECT_EQ(map8.Row(50)[51], 0);
    EXPECT_EQ(map8.Row(100)[100], 0);  // rebuilt whole

    imaging::CDibImage dark16, white16, map16;
    ASSERT_TRUE(dark16.Allocate(1280, 1024, 16));
    ASSERT_TRUE(white16.Allocate(1280, 1024, 16));
    ASSERT_TRUE(map16.Allocate(1280, 1024, 16));
    SetSample16(dark16, 10, 10, 3073);
    SetSample16(dark16, 11, 10, 3072);
    ASSERT_TRUE(pipeline::BuildDefectMap(dark16, pipeline::MaskKind::Dark, map16));
    EXPECT_EQ(Sample16(map16, 10, 10), 1);
    EXPECT_EQ(Sample16(map16, 11, 10), 0);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1280; ++x) SetSample16(white16, x, y, 4095);
    }
    SetSample16(white16, 10, 10, 1023);
    SetSample16(white16, 11, 10, 1024);
    ASSERT_TRUE(pipeline::BuildDefectMap(white16, pipeline::MaskKind::White, map16));
    EXPECT_EQ(Sample16(map16, 10, 10), 1);
    EXPECT_EQ(Sample16(map16, 11, 10), 0);

    // A map of another depth is left alone.
    std::memset(map8.Pixels(), 7, map8.SizeBytes());
    EXPECT_FALSE(pipeline::BuildDefectMap(white16, pipeline::MaskKind::White, map8));
    EXPECT_EQ(map8.Row(10)[10], 7);
}

}  // namespace
}  // namespace nodrix::test
