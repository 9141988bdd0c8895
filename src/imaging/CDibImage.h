#pragma once
// The image buffer every processing stage reads and writes: a bottom-up
// device-independent bitmap (GDI shows memory row 0 at the bottom) with its
// drawing surface, rows padded to a multiple of 4 bytes.

#include <cstdint>

#include "imaging/DibInfo.h"
#include "imaging/DibSurface.h"
#include "imaging/PixelKernel.h"

namespace nodrix::imaging {

class CDibImage {
public:
    CDibImage();
    ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // Row length in bytes brought up to the next multiple of 4.
    static int StrideFor(int width, int bits) { return (width * (bits / 8) + 3) & ~3; }

    // Makes an image of width x height pixels of bits bits (8, 16, 24, 32, 48
    // or 64); 8-bit images get the grey colour table. Pixels start zeroed when
    // they are heap memory. 0 for a non-positive size, zero bits or no memory.
    int Allocate(int width, int height, int bits);
    // Takes the other image's format (not its pixels); 0 if it is empty.
    int CopyFrom(const CDibImage& other);
    // Views memory the image does not own as width x height pixels of bits
    // bits, rows stride bytes apart in memory order (no padding required).
    // Nothing is allocated; the image neither frees the memory nor has a
    // drawing surface. Release ends the view. 0 for a null pointer, a
    // non-positive size, zero bits or a stride shorter than a row.
    int Borrow(std::uint8_t* pixels, int width, int height, int bits, int stride);
    // Frees everything; the image is empty afterwards.
    void Release();

    // Runs kernel over the source rectangle (the whole source when rect is
    // null) placed at (x, y) in this image, clipped to both images. Returns
    // the kernel's result; 0 when nothing is left or there is no kernel.
    int Apply(PixelKernel kernel, const CDibImage& source, const KernelRect* rect, int x, int y,
              void* param);
    // Runs a scaling kernel from the source rectangle to the destination
    // rectangle (either null for the whole image). 0 when either is empty.
    int ApplyScaled(ScaleKernel kernel, const CDibImage& source, const KernelRect* dstRect,
                    const KernelRect* srcRect);

    bool Empty() const { return pixels_ == nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    int Bits() const { return bits_; }
    int BytesPerPixel() const { return bits_ / 8; }
    // Bits of each sample that carry the picture, counted from bit 0: the
    // whole sample (8 or 16 bits) after Allocate, fewer when the source
    // fills only part of it (a 16-bit frame of 12-bit samples). Reductions
    // to 8 bits take the top eight of them.
    int SignificantBits() const { return significantBits_; }
    // Bits beyond the sample width, or below 8, are taken as the whole
    // sample.
    void SetSignificantBits(int bits) {
        significantBits_ = bits >= 8 && bits <= SampleBits() ? bits : SampleBits();
    }
    int SampleBits() const { return bits_ == 16 || bits_ == 48 || bits_ == 64 ? 16 : 8; }
    std::size_t SizeBytes() const { return static_cast<std::size_t>(stride_) * height_; }

    std::uint8_t* Pixels() { return pixels_; }
    const std::uint8_t* Pixels() const { return pixels_; }
    std::uint8_t* Row(int row) { return pixels_ + static_cast<std::size_t>(row) * stride_; }
    const std::uint8_t* Row(int row) const {
        return pixels_ + static_cast<std::size_t>(row) * stride_;
    }

    // The header and colour table as one BITMAPINFO.
    const DibInfo& Info() const { return info_; }
    // Memory device context with the section selected (HDC), null natively
    // or when the pixels are heap memory.
    void* DeviceContext() const { return surface_.dc; }
    // The DIB section (HBITMAP), null when there is none.
    void* Bitmap() const { return surface_.bitmap; }
    // A DrawDib handle (HDRAWDIB) that Release closes; the image owns it.
    void* DrawDibHandle() const { return surface_.drawDib; }
    void SetDrawDibHandle(void* handle) { surface_.drawDib = handle; }

private:
    int MakePixels(void* reference);
    void SetGreyTable();

    DibInfo info_;
    DibSurface surface_;
    std::uint8_t* pixels_ = nullptr;
    std::uint8_t* heapPixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    int bits_ = 0;
    int significantBits_ = 0;
};

}  // namespace nodrix::imaging
