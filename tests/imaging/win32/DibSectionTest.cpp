// On Windows an image is a DIB section selected into a memory device
// context, so GDI can draw it directly.

#include <gtest/gtest.h>
#include <windows.h>

#include "imaging/CDibImage.h"

using nodrix::imaging::CDibImage;

TEST(DibSection, ImageLivesInASelectedSection) {
    CDibImage img;
    ASSERT_EQ(img.Allocate(33, 5, 8), 1);
    ASSERT_NE(img.DeviceContext(), nullptr);
    ASSERT_NE(img.Bitmap(), nullptr);
    HDC dc = static_cast<HDC>(img.DeviceContext());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), static_cast<HGDIOBJ>(img.Bitmap()));

    DIBSECTION section{};
    ASSERT_EQ(GetObject(static_cast<HBITMAP>(img.Bitmap()), sizeof(section), &section),
              static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBits, img.Pixels());
    EXPECT_EQ(section.dsBm.bmWidthBytes, img.Stride());
    EXPECT_EQ(section.dsBmih.biHeight, 5);

    RGBQUAD colors[256] = {};
    ASSERT_EQ(GetDIBColorTable(dc, 0, 256, colors), 256u);
    EXPECT_EQ(colors[200].rgbRed, 200);
    EXPECT_EQ(colors[200].rgbBlue, 200);

    // What the kernels write is what GDI reads: memory row 0 is the bottom.
    img.Row(0)[0] = 77;
    GdiFlush();
    EXPECT_EQ(GetRValue(GetPixel(dc, 0, 4)), 77);

    CDibImage copy;
    ASSERT_EQ(copy.CopyFrom(img), 1);
    EXPECT_NE(copy.DeviceContext(), nullptr);
    EXPECT_NE(copy.Pixels(), img.Pixels());
    img.Release();
    EXPECT_EQ(img.DeviceContext(), nullptr);
    EXPECT_EQ(img.Bitmap(), nullptr);
}
