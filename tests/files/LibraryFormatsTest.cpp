// PNG, TIFF and JPEG files read back through their libraries.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "files/ImageDecoders.h"
#include "files/PatternImage.h"
#include "files/StillImage.h"
#include "files/TempFolder.h"

namespace nodrix::files {
namespace {

using namespace nodrix::testing;

// Channels in file order (R, G, B, then the fourth) as indexes of the
// buffer's B, G, R, X samples.
int BufferChannel(int channels, int fileChannel) {
    if (channels == 1) return 0;
    return fileChannel < 3 ? 2 - fileChannel : 3;
}

void SetSample(imaging::CDibImage& image, int x, int y, int c, int value) {
    const int sampleBytes = SampleBytesOf(image.Bits());
    const int channels = image.Bits() / 8 / sampleBytes;
    std::uint8_t* p = image.Row(y) + (x * channels + c) * sampleBytes;
    p[0] = static_cast<std::uint8_t>(value);
    if (sampleBytes == 2) p[1] = static_cast<std::uint8_t>(value >> 8);
}

TEST(PngFile, SamplesDepthAndColourTypeForEveryBitCount) {
    TempFolder folder;
    struct Case {
        int bits, depth, colorType, channels;
    };
    for (const Case k : {Case{8, 8, 0, 1}, Case{16, 16, 0, 1}, Case{24, 8, 2, 3}, Case{32, 8, 6, 4},
                         Case{48, 16, 2, 3}, Case{64, 16, 6, 4}}) {
        SCOPED_TRACE(k.bits);
        const int width = 5, height = 3;
        auto image = PatternImage(width, height, k.bits);
        SetSample(*image, 0, 0, 0, k.depth == 16 ? 0x1234 : 0x12);
        if (k.channels == 4) {
            SetSample(*image, 1, 0, 3, 0);
            SetSample(*image, 2, 0, 3, 0x10);
        }
        const std::string name = folder.File("image" + std::to_string(k.bits) + ".png");
        ASSERT_EQ(SaveStillImage(name.c_str(), *image, kStillPng), 1);
        const DecodedPng png = DecodePng(name);
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.width, 5u);
        EXPECT_EQ(png.height, 3u);
        EXPECT_EQ(png.bitDepth, k.depth);
        EXPECT_EQ(png.colorType, k.colorType);
        const int sampleBytes = k.depth / 8;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < k.channels; ++c) {
                    const std::uint8_t* s = &png.rows[y][(x * k.channels + c) * sampleBytes];
                    const int got = sampleBytes == 2 ? (s[0] << 8) | s[1] : s[0];
                    int want = Sample(*image, x, y, BufferChannel(k.channels, c));
                    // A 0 fourth byte means opaque in the buffer.
                    if (k.bits == 32 && c == 3) want = 255 - want;
                    ASSERT_EQ(got, want) << "x " << x << " y " << y << " channel " << c;
                }
            }
        }
        // 0x1234 goes high byte first.
        if (k.bits == 16) {
            EXPECT_EQ(png.rows[0][0], 0x12);
            EXPECT_EQ(png.rows[0][1], 0x34);
        }
        if (k.bits == 32) {
            EXPECT_EQ(png.rows[0][4 + 3], 255);
            EXPECT_EQ(png.rows[0][8 + 3], 0xEF);
        }
    }
}

TEST(TiffFile, OneUncompressedStripForEveryBitCount) {
    TempFolder folder;
    struct Case {
        int bits, bitsPerSample, samples, photometric;
    };
    for (const Case k : {Case{8, 8, 1, 1}, Case{16, 16, 1, 1}, Case{24, 8, 3, 2}, Case{32, 8, 4, 2},
                         Case{48, 16, 3, 2}, Case{64, 16, 4, 2}}) {
        SCOPED_TRACE(k.bits);
        const int width = 7, height = 4;
        auto image = PatternImage(width, height, k.bits);
        SetSample(*image, 0, 0, 0, k.bitsPerSample == 16 ? 0x1234 : 0x12);
        const std::string name = folder.File("image" + std::to_string(k.bits) + ".tif");
        ASSERT_EQ(SaveStillImage(name.c_str(), *image, kStillTiff), 1);
        const DecodedTiff tiff = DecodeTiff(name);
        ASSERT_TRUE(tiff.ok);
        EXPECT_EQ(tiff.width, 7u);
        EXPECT_EQ(tiff.height, 4u);
        EXPECT_EQ(tiff.strips, 1u);
        EXPECT_EQ(tiff.bitsPerSample, k.bitsPerSample);
        EXPECT_EQ(tiff.samplesPerPixel, k.samples);
        EXPECT_EQ(tiff.photometric, k.photometric);
        EXPECT_EQ(tiff.compression, 1);
        EXPECT_EQ(tiff.planar, 1);
        EXPECT_TRUE(tiff.littleEndian);
        const int sampleBytes = k.bitsPerSample / 8;
        ASSERT_EQ(tiff.strip.size(),
                  static_cast<std::size_t>(width * height * k.samples * sampleBytes));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < k.samples; ++c) {
                    const std::uint8_t* s =
                        &tiff.strip[((y * width + x) * k.samples + c) * sampleBytes];
                    const int got = sampleBytes == 2 ? s[0] | (s[1] << 8) : s[0];
                    const int want = c == 3 ? (sampleBytes == 2 ? 0xFFFF : 0)
                                            : Sample(*image, x, y, BufferChannel(k.samples, c));
                    ASSERT_EQ(got, want) << "x " << x << " y " << y << " channel " << c;
                }
            }
        }
        // Little-endian as in the buffer: 0x1234 is stored 0x34 0x12.
        if (k.bits == 16) {
            EXPECT_EQ(tiff.strip[0], 0x34);
            EXPECT_EQ(tiff.strip[1], 0x12);
        }
    }
}

// A picture whose top half and bottom half are flat colours: JPEG keeps flat
// 8 x 8 blocks nearly exact at quality 100, and the halves show whether the
// first scanline is the top row.
std::unique_ptr<imaging::CDibImage> TwoHalves(int bits) {
    auto image = PatternImage(32, 32, bits);
    const int channels = bits == 8 || bits == 16 ? 1 : bits == 24 || bits == 48 ? 3 : 4;
    const bool sixteen = SampleBytesOf(bits) == 2;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // Top: B 0x10, G 0x80, R 0xF0 (grey 0x12); bottom: all 0xE0.
            const int top[3] = {0x10, 0x80, 0xF0};
            for (int c = 0; c < std::min(channels, 3); ++c) {
                int v = y < 16 ? (channels == 1 ? 0x12 : top[c]) : 0xE0;
                if (sixteen) v = (v << 8) | 0x34;
                SetSample(*image, x, y, c, v);
            }
        }
    }
    return image;
}

TEST(JpegFile, ProgressiveGreyOrRgbTopRowFirstAtEveryQuality) {
    TempFolder folder;
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        auto image = TwoHalves(bits);
        const bool grey = bits <= 16;
        for (int kind : {kStillJpeg100, kStillJpeg70, kStillJpeg20}) {
            SCOPED_TRACE(kind);
            const std::string name = folder.File("image" + std::to_string(kind) + ".jpg");
            ASSERT_EQ(SaveStillImage(name.c_str(), *image, kind), 1);
            const DecodedJpeg jpeg = DecodeJpeg(name);
            ASSERT_TRUE(jpeg.ok);
            EXPECT_EQ(jpeg.width, 32);
            EXPECT_EQ(jpeg.height, 32);
            EXPECT_EQ(jpeg.components, grey ? 1 : 3);
            EXPECT_TRUE(jpeg.progressive);
            // Orientation at any quality: a dark top, a bright bottom.
            const int c = grey ? 0 : 1;
            EXPECT_LT(jpeg.At(8, 4, c), 0xA0);
            EXPECT_GT(jpeg.At(8, 28, c), 0xC0);
            if (kind != kStillJpeg100) continue;
            // The high byte of 16-bit samples, R G B from B G R.
            const int tolerance = 4;
            if (grey) {
                EXPECT_NEAR(jpeg.At(8, 4, 0), 0x12, tolerance);
            } else {
                EXPECT_NEAR(jpeg.At(8, 4, 0), 0xF0, tolerance);
                EXPECT_NEAR(jpeg.At(8, 4, 1), 0x80, tolerance);
                EXPECT_NEAR(jpeg.At(8, 4, 2), 0x10, tolerance);
            }
            EXPECT_NEAR(jpeg.At(8, 28, 0), 0xE0, tolerance);
        }
    }
}

TEST(JpegFile, LowerQualitiesGiveSmallerFiles) {
    TempFolder folder;
    auto image = PatternImage(64, 64, 24);
    std::uintmax_t sizes[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::string name = folder.File("q" + std::to_string(i) + ".jpg");
        ASSERT_EQ(SaveStillImage(name.c_str(), *image, kStillJpeg100 + i), 1);
        sizes[i] = std::filesystem::file_size(name);
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

}  // namespace
}  // namespace nodrix::files
