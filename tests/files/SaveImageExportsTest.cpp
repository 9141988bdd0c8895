// Still images through the exports, of frames from the emulated camera: each
// file must hold the very frame the snapshot handed to the application.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/AcquisitionFixture.h"
#include "files/ImageDecoders.h"
#include "files/TempFolder.h"
#include "parameters/RampChecks.h"

namespace nodrix::test {
namespace {

using nodrix::testing::DecodeJpeg;
using nodrix::testing::DecodePng;
using nodrix::testing::DecodeTiff;
using nodrix::testing::ReadBytes;
using nodrix::testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

// This sensor windows rows only: a reduced window keeps the full width.
constexpr int kWidth = 1280;
constexpr int kHeight = 48;

class SaveImageExports : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        ASSERT_TRUE(SetWindow(0, 8, kWidth, kHeight));
        initialBits_ = bits_;
    }
    void TearDown() override {
        // The settings keep window and format; the next test starts as this
        // one did.
        if (handle_ != 0) {
            SetWindow(0, 0, 1280, 1024);
            SetBits(initialBits_);
        }
        AcquisitionTest::TearDown();
    }

    // A snapshot in memory order (top row first), as the output image holds
    // it.
    Bytes Snap(int bits) {
        Bytes frame(static_cast<std::size_t>(StrideOf(kWidth, bits)) * kHeight);
        EXPECT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1)
            << "error " << Nodrix_GetLastError(handle_);
        return frame;
    }

    int Save(const std::string& name, int kind) {
        return Nodrix_SaveImage(handle_, name.c_str(), kind);
    }

    // Mean difference of a grey JPEG from expected(x, y).
    template <typename Expected>
    double JpegError(const std::string& name, Expected expected) {
        const auto jpeg = DecodeJpeg(name);
        EXPECT_TRUE(jpeg.ok && jpeg.width == kWidth && jpeg.height == kHeight);
        if (!jpeg.ok || jpeg.width != kWidth || jpeg.height != kHeight) return 255.0;
        double error = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) error += std::abs(jpeg.At(x, y, 0) - expected(x, y));
        return error / (kWidth * kHeight);
    }

    TempFolder folder_;
    int initialBits_ = 8;
};

TEST_F(SaveImageExports, NothingToSaveBeforeTheFirstFrameOrAfterClosing) {
    const std::string name = folder_.File("early.bmp");
    EXPECT_EQ(Save(name, NODRIX_IMAGE_BMP), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_FALSE(std::filesystem::exists(name));

    Snap(bits_);
    EXPECT_EQ(Save(name, NODRIX_IMAGE_BMP), 1);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);

    ASSERT_EQ(Nodrix_Close(handle_), 1);
    EXPECT_EQ(Save(folder_.File("late.bmp"), NODRIX_IMAGE_BMP), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_NO_CORE);
    EXPECT_FALSE(std::filesystem::exists(folder_.File("late.bmp")));
}

TEST_F(SaveImageExports, EveryKindHoldsTheSnapshotInBothGreyModes) {
    for (int bits : {8, 16}) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(SetBits(bits));
        const Bytes frame = Snap(bits);
        const std::size_t stride = StrideOf(kWidth, bits);
        const std::string stem = folder_.File("grey" + std::to_string(bits));

        ASSERT_EQ(Save(stem + ".raw", NODRIX_IMAGE_RAW), 1);
        EXPECT_EQ(ReadBytes(stem + ".raw"), frame);

        ASSERT_EQ(Save(stem + ".bmp", NODRIX_IMAGE_BMP), 1);
        const Bytes bmp = ReadBytes(stem + ".bmp");
        const std::size_t offset = bits == 8 ? 1078 : 54;
        ASSERT_EQ(bmp.size(), offset + frame.size());
        EXPECT_EQ(bmp[28], bits);
        for (int r = 0; r < kHeight; ++r) {
            const auto fileRow = bmp.begin() + static_cast<std::ptrdiff_t>(offset + r * stride);
            const auto frameRow =
                frame.begin() + static_cast<std::ptrdiff_t>((kHeight - 1 - r) * stride);
            ASSERT_TRUE(
                std::equal(frameRow, frameRow + static_cast<std::ptrdiff_t>(stride), fileRow))
                << "file row " << r;
        }

        const auto sample = [&](int x, int y) {
            const std::uint8_t* p = &frame[y * stride + x * (bits / 8)];
            return bits == 8 ? p[0] : p[0] | (p[1] << 8);
        };

        ASSERT_EQ(Save(stem + ".png", NODRIX_IMAGE_PNG), 1);
        const auto png = DecodePng(stem + ".png");
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.colorType, 0);
        EXPECT_EQ(png.bitDepth, bits);
        ASSERT_EQ(png.rows.size(), static_cast<std::size_t>(kHeight));
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint8_t* s = &png.rows[y][x * (bits / 8)];
                ASSERT_EQ(bits == 8 ? s[0] : (s[0] << 8) | s[1], sample(x, y)) << x << "," << y;
            }
        }

        ASSERT_EQ(Save(stem + ".tif", NODRIX_IMAGE_TIFF), 1);
        const auto tiff = DecodeTiff(stem + ".tif");
        ASSERT_TRUE(tiff.ok);
        EXPECT_EQ(tiff.bitsPerSample, bits);
        EXPECT_EQ(tiff.samplesPerPixel, 1);
        // Rows are a multiple of 4 bytes here, so the strip is the frame.
        ASSERT_EQ(tiff.strip.size(), frame.size());
        const auto mismatch = std::mismatch(frame.begin(), frame.end(), tiff.strip.begin());
        EXPECT_TRUE(mismatch.first == frame.end())
            << "first difference at byte " << (mismatch.first - frame.begin());

        for (int kind : {NODRIX_IMAGE_JPEG_100, NODRIX_IMAGE_JPEG_70, NODRIX_IMAGE_JPEG_20}) {
            const std::string name = stem + "_" + std::to_string(kind) + ".jpg";
            ASSERT_EQ(Save(name, kind), 1);
            const auto jpeg = DecodeJpeg(name);
            ASSERT_TRUE(jpeg.ok);
            EXPECT_EQ(jpeg.width, kWidth);
            EXPECT_EQ(jpeg.height, kHeight);
            EXPECT_EQ(jpeg.components, 1);
            EXPECT_TRUE(jpeg.progressive);
            if (kind != NODRIX_IMAGE_JPEG_100) continue;
            // The ramp has a few sharp wraps; on average quality 100 is close.
            // The camera's 12-bit samples give their top eight bits.
            EXPECT_LT(JpegError(name,
                                [&](int x, int y) {
                                    return bits == 8 ? sample(x, y) : sample(x, y) >> 4;
                                }),
                      3.0);
        }
        EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
    }
}

// After the flat field (neutral masks) the samples two or more pixels
// inside the frame are scaled to 16 bits, the border keeps its 12-bit
// samples; a JPEG takes the top byte of 16 bits throughout.
TEST_F(SaveImageExports, SixteenBitJpegAfterTheFlatFieldTakesTheTopByteOfSixteenBits) {
    ASSERT_TRUE(SetBits(16));
    ASSERT_EQ(Nodrix_SetFilterValue(handle_, NODRIX_FILTER_MASK_FILTER, 1), 1);
    const Bytes frame = Snap(16);
    const auto inside = [](int x, int y) {
        return x >= 2 && x < kWidth - 2 && y >= 2 && y < kHeight - 2;
    };
    ASSERT_TRUE(MatchesTransformedRamp(frame, 16, kWidth, kHeight, [&](int ramp, int x, int y) {
        return inside(x, y) ? ramp * 16 : ramp;
    }));
    const std::string name = folder_.File("flat.jpg");
    ASSERT_EQ(Save(name, NODRIX_IMAGE_JPEG_100), 1);
    EXPECT_LT(JpegError(name, [&](int x, int y) { return SampleAt(frame, 16, kWidth, x, y) >> 8; }),
              3.0);
}

TEST_F(SaveImageExports, UnknownKindsWriteNothingAndSayWhy) {
    Snap(bits_);
    for (int kind : {7, -1}) {
        const std::string name = folder_.File("kind" + std::to_string(kind));
        EXPECT_EQ(Save(name, kind), 0);
        EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
        EXPECT_FALSE(std::filesystem::exists(name));
    }
    EXPECT_EQ(Save(folder_.File("no/such/folder.bmp"), NODRIX_IMAGE_BMP), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_FILE);
}

TEST_F(SaveImageExports, SavesDuringPreviewHoldWholeFrames) {
    ASSERT_EQ(Nodrix_CallBackPreview(handle_, probe_->Window(), nullptr, 0, 0), 1);
    ASSERT_TRUE(NextMessage(NODRIX_WM_FRAME, 5000).has_value());
    // The worker keeps converting new frames; each file must still be one
    // frame of the ramp, never parts of two.
    for (int i = 0; i < 5; ++i) {
        const std::string name = folder_.File("live" + std::to_string(i) + ".raw");
        ASSERT_EQ(Save(name, NODRIX_IMAGE_RAW), 1);
        const Bytes file = ReadBytes(name);
        ASSERT_EQ(file.size(), static_cast<std::size_t>(StrideOf(kWidth, bits_)) * kHeight);
        EXPECT_TRUE(MatchesRamp(file.data(), bits_, 0, 8, kWidth, kHeight, true)) << i;
    }
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
}

TEST_F(SaveImageExports, WideNamesReachTheFileSystemConverted) {
    const Bytes frame = Snap(bits_);
    // Latin letters beyond ASCII: in the Windows code page of the tests and
    // in UTF-8 alike.
    const std::filesystem::path path = folder_.Path() / std::u16string(u"still\u00e9\u00df.raw");
    std::vector<NodrixWChar> wide;
    for (char16_t unit : path.u16string()) wide.push_back(static_cast<NodrixWChar>(unit));
    wide.push_back(0);
    ASSERT_EQ(Nodrix_SaveImageW(handle_, wide.data(), NODRIX_IMAGE_RAW), 1)
        << "error " << Nodrix_GetLastError(handle_);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), frame.size());
}

}  // namespace
}  // namespace nodrix::test
