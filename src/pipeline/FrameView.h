#pragma once
// A typed view of a raw frame's samples (8-bit or 16-bit) inside a
// CDibImage, addressed row by row in memory order.

#include <cstddef>
#include <cstdint>

#include "imaging/CDibImage.h"

namespace nodrix::pipeline {

template <typename Sample>
struct FrameView {
    Sample* samples = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // samples from one row to the next

    Sample* Row(int y) const { return samples + static_cast<std::ptrdiff_t>(y) * pitch; }
    Sample& At(int y, int x) const { return Row(y)[x]; }
    std::size_t Count() const { return static_cast<std::size_t>(height) * pitch; }
    bool Empty() const { return samples == nullptr || width <= 0 || height <= 0; }
};

// The view of image when its sample size matches Sample, else an empty view.
template <typename Sample>
FrameView<Sample> ViewOf(imaging::CDibImage& image) {
    if (image.Empty() || image.BytesPerPixel() != static_cast<int>(sizeof(Sample))) return {};
    return {reinterpret_cast<Sample*>(image.Pixels()), image.Width(), image.Height(),
            image.Stride() / static_cast<int>(sizeof(Sample))};
}

template <typename Sample>
FrameView<const Sample> ViewOf(const imaging::CDibImage& image) {
    if (image.Empty() || image.BytesPerPixel() != static_cast<int>(sizeof(Sample))) return {};
    return {reinterpret_cast<const Sample*>(image.Pixels()), image.Width(), image.Height(),
            image.Stride() / static_cast<int>(sizeof(Sample))};
}

}  // namespace nodrix::pipeline
