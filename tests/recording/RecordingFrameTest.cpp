// The output image of every colour mode turned into the recorder's 24-bit
// bottom-up frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "connection/RecordingFrame.h"

namespace nodrix::test {
namespace {

using imaging::CDibImage;

constexpr int kWidth = 5;  // 15 bytes of colour, one of padding per row
constexpr int kHeight = 3;

// Sample of channel c (0 B, 1 G, 2 R, 3 X) of pixel (x, y) in the output
// image, whose row 0 is the top of the picture.
std::uint32_t Sample(int x, int y, int c, int bits) {
    const std::uint32_t v = static_cast<std::uint32_t>(x * 40 + y * 9 + c * 3 + 1);
    return bits >= 48 || bits == 16 ? v * 263u & 0xFFFFu : v & 0xFFu;
}

void Fill(CDibImage& image) {
    const int bits = image.Bits();
    const int channels = bits == 8 || bits == 16 ? 1 : bits == 24 || bits == 48 ? 3 : 4;
    const int bytesPerSample = bits == 16 || bits >= 48 ? 2 : 1;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            for (int c = 0; c < channels; ++c) {
                std::uint8_t* p = image.Row(y) + (x * channels + c) * bytesPerSample;
                const std::uint32_t v = Sample(x, y, c, bits);
                p[0] = static_cast<std::uint8_t>(v);
                if (bytesPerSample == 2) p[1] = static_cast<std::uint8_t>(v >> 8);
            }
        }
    }
}

// An output image of bits per pixel whose samples carry significant bits.
struct Format {
    int bits;
    int significant;
};

// What the frame must hold for channel c of pixel (x, y): 16-bit samples
// give the top eight of their significant bits, saturated.
std::uint8_t Expected(int x, int y, int c, Format f) {
    switch (f.bits) {
        case 8: return static_cast<std::uint8_t>(Sample(x, y, 0, f.bits));
        case 24:
        case 32: return static_cast<std::uint8_t>(Sample(x, y, c, f.bits));
        default: {
            const std::uint32_t s = Sample(x, y, f.bits == 16 ? 0 : c, f.bits);
            return static_cast<std::uint8_t>(std::min<std::uint32_t>(s >> (f.significant - 8), 255));
        }
    }
}

class RecordingFrame : public ::testing::TestWithParam<Format> {};

TEST_P(RecordingFrame, BottomRowComesFirstInBgr) {
    const int bits = GetParam().bits;
    CDibImage output;
    ASSERT_EQ(output.Allocate(kWidth, kHeight, bits), 1);
    Fill(output);
    output.SetSignificantBits(GetParam().significant);
    RecordingImages images;
    ASSERT_TRUE(images.Allocate(kWidth, kHeight, bits));
    ASSERT_TRUE(ConvertForRecording(output, images));
    const CDibImage& frame = images.frame24;
    ASSERT_EQ(frame.Stride(), 16);
    for (int row = 0; row < kHeight; ++row) {
        const int y = kHeight - 1 - row;
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(frame.Row(row)[3 * x + c], Expected(x, y, c, GetParam()))
                    << "frame row " << row << " x " << x << " channel " << c;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryColourMode, RecordingFrame,
                         ::testing::Values(Format{8, 8}, Format{16, 16}, Format{16, 12},
                                           Format{24, 8}, Format{32, 8}, Format{48, 16},
                                           Format{48, 12}, Format{64, 16}));

TEST(RecordingFrameFormat, OutputThatChangedFormatIsRefused) {
    RecordingImages images;
    ASSERT_TRUE(images.Allocate(kWidth, kHeight, 16));
    CDibImage other;
    ASSERT_EQ(other.Allocate(kWidth, kHeight, 8), 1);
    EXPECT_FALSE(ConvertForRecording(other, images));
    other.Release();
    ASSERT_EQ(other.Allocate(kWidth + 1, kHeight, 16), 1);
    EXPECT_FALSE(ConvertForRecording(other, images));
    other.Release();
    EXPECT_FALSE(ConvertForRecording(other, images));  // empty
    EXPECT_FALSE(images.Allocate(0, kHeight, 8));
    EXPECT_FALSE(images.Allocate(kWidth, kHeight, 12));
}

}  // namespace
}  // namespace nodrix::test
