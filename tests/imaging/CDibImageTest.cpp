#include <gtest/gtest.h>

#include <vector>

#include "imaging/CDibImage.h"

using namespace nodrix::imaging;

TEST(CDibImage, AllocateFillsHeaderStrideAndGreyTable) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(13, 7, 8), 1);
    EXPECT_EQ(img.Width(), 13);
    EXPECT_EQ(img.Height(), 7);
    EXPECT_EQ(img.Stride(), 16);
    const DibInfoHeader& h = img.Info().header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 13);
    EXPECT_EQ(h.biHeight, 7);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, 0u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(img.Info().colors[i].rgbBlue, i);
        EXPECT_EQ(img.Info().colors[i].rgbGreen, i);
        EXPECT_EQ(img.Info().colors[i].rgbRed, i);
        EXPECT_EQ(img.Info().colors[i].rgbReserved, 0);
    }
    for (std::size_t i = 0; i < img.SizeBytes(); ++i) ASSERT_EQ(img.Pixels()[i], 0);
}

// Whole samples after Allocate; a 16-bit image may record fewer significant
// bits (8..16), which CopyFrom carries over.
TEST(CDibImage, SignificantBitsOfTheSamples) {
    struct Case {
        int bits, whole, asked, kept;
    };
    for (const Case& c :
         {Case{8, 8, 12, 8}, Case{16, 16, 12, 12}, Case{16, 16, 7, 16}, Case{16, 16, 17, 16},
          Case{24, 8, 8, 8}, Case{48, 16, 12, 12}, Case{64, 16, 8, 8}}) {
        CDibImage img, copy;
        ASSERT_EQ(img.Allocate(4, 2, c.bits), 1);
        EXPECT_EQ(img.SignificantBits(), c.whole) << c.bits;
        img.SetSignificantBits(c.asked);
        EXPECT_EQ(img.SignificantBits(), c.kept) << c.bits << " " << c.asked;
        ASSERT_EQ(copy.CopyFrom(img), 1);
        EXPECT_EQ(copy.SignificantBits(), c.kept);
        ASSERT_EQ(img.Allocate(4, 2, c.bits), 1);
        EXPECT_EQ(img.SignificantBits(), c.whole);
    }
}

TEST(CDibImage, StrideRoundsRowBytesUpToFour) {
    EXPECT_EQ(CDibImage::StrideFor(1, 8), 4);
    EXPECT_EQ(CDibImage::StrideFor(4, 8), 4);
    EXPECT_EQ(CDibImage::StrideFor(5, 24), 16);
    EXPECT_EQ(CDibImage::StrideFor(3, 16), 8);
    EXPECT_EQ(CDibImage::StrideFor(1280, 24), 3840);
    EXPECT_EQ(CDibImage::StrideFor(3, 48), 20);
    EXPECT_EQ(CDibImage::StrideFor(3, 64), 24);
}

TEST(CDibImage, AllocateRejectsBadSizes) {
    CDibImage img;
    EXPECT_EQ(img.Allocate(0, 5, 8), 0);
    EXPECT_EQ(img.Allocate(5, -1, 8), 0);
    EXPECT_EQ(img.Allocate(5, 5, 0), 0);
    EXPECT_TRUE(img.Empty());
}

TEST(CDibImage, CopyFromTakesFormatButNotPixels) {
    CDibImage a, b;
    EXPECT_EQ(b.CopyFrom(a), 0);
    ASSERT_EQ(a.Allocate(10, 4, 24), 1);
    a.Pixels()[0] = 77;
    ASSERT_EQ(b.CopyFrom(a), 1);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.Stride(), 32);
    EXPECT_EQ(b.Bits(), 24);
    EXPECT_EQ(b.Info().header.biBitCount, 24);
    EXPECT_NE(b.Pixels(), a.Pixels());
    EXPECT_EQ(b.Pixels()[0], 0);
}

TEST(CDibImage, ReleaseClearsEverything) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(8, 8, 8), 1);
    img.Release();
    EXPECT_TRUE(img.Empty());
    EXPECT_EQ(img.Width(), 0);
    EXPECT_EQ(img.Stride(), 0);
    EXPECT_EQ(img.Info().header.biSize, 40u);
    EXPECT_EQ(img.Info().header.biWidth, 0);
    EXPECT_EQ(img.Info().colors[200].rgbRed, 0);
}

// A view of memory the image does not own: packed rows, nothing freed or
// allocated, refused for sizes an allocation would refuse or a short stride.
TEST(CDibImage, BorrowViewsForeignMemoryUntilRelease) {
    std::vector<std::uint8_t> memory(13 * 3 * 2, 7);
    CDibImage img;
    EXPECT_EQ(img.Borrow(nullptr, 13, 2, 24, 39), 0);
    EXPECT_EQ(img.Borrow(memory.data(), 13, 2, 24, 38), 0);
    EXPECT_EQ(img.Borrow(memory.data(), 0, 2, 24, 39), 0);
    ASSERT_EQ(img.Borrow(memory.data(), 13, 2, 24, 39), 1);
    EXPECT_EQ(img.Pixels(), memory.data());
    EXPECT_EQ(img.Row(1), memory.data() + 39);
    EXPECT_EQ(img.Info().header.biBitCount, 24);
    EXPECT_EQ(img.SignificantBits(), 8);
    EXPECT_EQ(img.DeviceContext(), nullptr);
    img.Release();
    EXPECT_TRUE(img.Empty());
    EXPECT_EQ(memory[0], 7);
}

namespace {
struct Call {
    int calls = 0;
    KernelRect rect;
    int x = -1, y = -1, dbpp = 0, sbpp = 0, dstride = 0, sstride = 0;
};
int Recorder(std::uint8_t*, const std::uint8_t*, const KernelRect& r, int x, int y, int dbpp,
             int sbpp, int dstride, int sstride, void* p) {
    auto* c = static_cast<Call*>(p);
    ++c->calls;
    c->rect = r;
    c->x = x;
    c->y = y;
    c->dbpp = dbpp;
    c->sbpp = sbpp;
    c->dstride = dstride;
    c->sstride = sstride;
    return 42;
}
}  // namespace

TEST(CDibImage, ApplyClipsToBothImages) {
    CDibImage dst, src;
    ASSERT_EQ(dst.Allocate(10, 10, 24), 1);
    ASSERT_EQ(src.Allocate(20, 8, 8), 1);
    Call c;
    EXPECT_EQ(dst.Apply(Recorder, src, nullptr, 0, 0, &c), 42);
    EXPECT_EQ(c.rect.left, 0);
    EXPECT_EQ(c.rect.right, 10);
    EXPECT_EQ(c.rect.bottom, 8);
    EXPECT_EQ(c.dbpp, 3);
    EXPECT_EQ(c.sbpp, 1);
    EXPECT_EQ(c.dstride, 32);
    EXPECT_EQ(c.sstride, 20);

    KernelRect r{-5, 2, 6, 30};
    EXPECT_EQ(dst.Apply(Recorder, src, &r, -2, 5, &c), 42);
    // Clipped to source: (0,2)-(6,8), placed at (-2,5) -> dest (0,5)-(4,10)
    EXPECT_EQ(c.rect.left, 2);
    EXPECT_EQ(c.rect.top, 2);
    EXPECT_EQ(c.rect.right, 6);
    EXPECT_EQ(c.rect.bottom, 7);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 5);

    c.calls = 0;
    EXPECT_EQ(dst.Apply(Recorder, src, nullptr, 10, 0, &c), 0);
    KernelRect empty{3, 3, 3, 9};
    EXPECT_EQ(dst.Apply(Recorder, src, &empty, 0, 0, &c), 0);
    EXPECT_EQ(dst.Apply(nullptr, src, nullptr, 0, 0, &c), 0);
    EXPECT_EQ(c.calls, 0);
}
