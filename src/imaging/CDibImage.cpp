#include "imaging/CDibImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace nodrix::imaging {

namespace {

// Heap pixels start on a 32-byte boundary so that vector loads of a row start
// aligned when the stride allows it.
constexpr std::uintptr_t kPixelAlignment = 32;

KernelRect Intersect(const KernelRect& a, const KernelRect& b) {
    return KernelRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
}

}  // namespace

CDibImage::CDibImage() = default;

CDibImage::~CDibImage() {
    Release();
}

int CDibImage::Allocate(int width, int height, int bits) {
    if (width <= 0 || height <= 0 || bits == 0) return 0;
    Release();
    width_ = width;
    height_ = height;
    bits_ = bits;
    significantBits_ = SampleBits();
    stride_ = StrideFor(width, bits);
    DibInfoHeader& h = info_.header;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biCompression = 0;
    if (bits == 8) SetGreyTable();
    return MakePixels(nullptr);
}

int CDibImage::CopyFrom(const CDibImage& other) {
    if (other.Empty()) return 0;
    if (&other == this) return 1;
    Release();
    info_.header = other.info_.header;
    width_ = other.width_;
    height_ = other.height_;
    stride_ = other.stride_;
    bits_ = other.bits_;
    significantBits_ = other.significantBits_;
    if (bits_ == 8) SetGreyTable();
    return MakePixels(other.surface_.dc);
}

int CDibImage::Borrow(std::uint8_t* pixels, int width, int height, int bits, int stride) {
    if (pixels == nullptr || width <= 0 || height <= 0 || bits <= 0 ||
        stride < width * (bits / 8)) {
        return 0;
    }
    Release();
    width_ = width;
    height_ = height;
    bits_ = bits;
    significantBits_ = SampleBits();
    stride_ = stride;
    DibInfoHeader& h = info_.header;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<std::uint16_t>(bits);
    if (bits == 8) SetGreyTable();
    pixels_ = pixels;
    return 1;
}

void CDibImage::Release() {
    ReleaseDibSurface(surface_);
    delete[] heapPixels_;
    heapPixels_ = nullptr;
    pixels_ = nullptr;
    info_ = DibInfo{};
    info_.header.biSize = 40;
    width_ = height_ = stride_ = bits_ = significantBits_ = 0;
}

int CDibImage::MakePixels(void* reference) {
    pixels_ = CreateDibSurface(surface_, info_, reference);
    if (pixels_ != nullptr) {
        if (bits_ == 8) SetDibSurfaceColorTable(surface_, info_.colors, 256);
        return 1;
    }
    const std::size_t size = SizeBytes();
    heapPixels_ = new (std::nothrow) std::uint8_t[size + kPixelAlignment]();
    if (heapPixels_ == nullptr) {
        Release();
        return 0;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(heapPixels_);
    pixels_ = heapPixels_ + ((kPixelAlignment - address % kPixelAlignment) % kPixelAlignment);
    return 1;
}

void CDibImage::SetGreyTable() {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        info_.colors[i] = DibRgbQuad{v, v, v, 0};
    }
}

int CDibImage::Apply(PixelKernel kernel, const CDibImage& source, const KernelRect* rect, int x,
                     int y, void* param) {
    if (kernel == nullptr || Empty() || source.Empty()) return 0;
    const KernelRect whole{0, 0, source.width_, source.height_};
    KernelRect src = Intersect(rect != nullptr ? *rect : whole, whole);
    if (src.Empty()) return 0;
    // Where the clipped source lands, clipped again to this image.
    const KernelRect placed{x, y, x + src.Width(), y + src.Height()};
    const KernelRect dst = Intersect(placed, KernelRect{0, 0, width_, height_});
    if (dst.Empty()) return 0;
    src.left += dst.left - x;
    src.top += dst.top - y;
    src.right = src.left + dst.Width();
    src.bottom = src.top + dst.Height();
    return kernel(pixels_, source.pixels_, src, dst.left, dst.top, BytesPerPixel(),
                  source.BytesPerPixel(), stride_, source.stride_, param);
}

int CDibImage::ApplyScaled(ScaleKernel kernel, const CDibImage& source, const KernelRect* dstRect,
                           const KernelRect* srcRect) {
    if (kernel == nullptr || Empty() || source.Empty()) return 0;
    ScaleGeometry g;
    g.dstRect = dstRect != nullptr ? *dstRect : KernelRect{0, 0, width_, height_};
    g.srcRect = srcRect != nullptr ? *srcRect : KernelRect{0, 0, source.width_, source.height_};
    // Rectangles reaching outside their image would make the kernel write or
    // read outside the pixels.
    g.dstRect = Intersect(g.dstRect, KernelRect{0, 0, width_, height_});
    g.srcRect = Intersect(g.srcRect, KernelRect{0, 0, source.width_, source.height_});
    if (g.dstRect.Empty() || g.srcRect.Empty()) return 0;
    g.dstWidth = width_;
    g.dstHeight = height_;
    g.srcWidth = source.width_;
    g.srcHeight = source.height_;
    g.dstBpp = BytesPerPixel();
    g.srcBpp = source.BytesPerPixel();
    g.dstStride = stride_;
    g.srcStride = source.stride_;
    return kernel(pixels_, source.pixels_, g);
}

}  // namespace nodrix::imaging
