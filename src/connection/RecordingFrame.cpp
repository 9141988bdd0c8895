// Conversion of the output image into the 24-bit bottom-up frames of a
// recording.
#include "connection/RecordingFrame.h"

#include <cstring>

#include "files/AviBytes.h"
#include "imaging/ConversionKernels.h"

namespace nodrix {
namespace {

// Rows ahead of the one being copied whose bytes are asked for early, when a
// frame's rows are taken from the last to the first. The processor's own
// prefetching follows ascending addresses and starts over at every row of a
// descending walk; at the camera's pace the frame is no longer in the cache
// when the next one is recorded, and the walk then waited on every row.
constexpr int kPrefetchRows = 4;
constexpr std::size_t kCacheLineBytes = 64;

void PrefetchRow(const std::uint8_t* row, std::size_t bytes) {
#if defined(__GNUC__)
    for (std::size_t at = 0; at < bytes; at += kCacheLineBytes) __builtin_prefetch(row + at);
#else
    (void)row;
    (void)bytes;
#endif
}

// Each source row with its destination row of the given stride, turned
// over when reverse is set: the rows then come from the last to the first,
// and each source row is asked for kPrefetchRows rows ahead of its turn.
template <typename RowFn>
void ForEachRow(const imaging::CDibImage& image, std::uint8_t* dst, std::uint32_t stride,
                bool reverse, RowFn row) {
    const int height = image.Height();
    const auto rowBytes = static_cast<std::size_t>(image.Width()) * image.BytesPerPixel();
    for (int at = 0; at < height; ++at) {
        const int ahead = height - 1 - at - kPrefetchRows;
        if (reverse && ahead >= 0) PrefetchRow(image.Row(ahead), rowBytes);
        row(image.Row(reverse ? height - 1 - at : at), dst + static_cast<std::size_t>(at) * stride);
    }
}

// The rows of an image in reverse order, the last row first.
void CopyRowsReversed(const imaging::CDibImage& image, std::uint8_t* dst, std::uint32_t stride) {
    const auto rowBytes = static_cast<std::size_t>(image.Width()) * image.BytesPerPixel();
    ForEachRow(image, dst, stride, true,
               [rowBytes](const std::uint8_t* s, std::uint8_t* d) { std::memcpy(d, s, rowBytes); });
}

// Grey rows expanded to B, G, R rows of the given stride.
void ExpandGreyRows(const imaging::CDibImage& grey, std::uint8_t* dst, std::uint32_t stride,
                    bool reverse) {
    const int width = grey.Width();
    ForEachRow(grey, dst, stride, reverse, [width](const std::uint8_t* s, std::uint8_t* d) {
        imaging::GreyRowToBgr(s, d, width);
    });
}

// The same into a 24-bit image.
void ExpandGrey(const imaging::CDibImage& grey, imaging::CDibImage& rgb, bool reverse) {
    ExpandGreyRows(grey, rgb.Row(0), static_cast<std::uint32_t>(rgb.Stride()), reverse);
}

// A conversion kernel over the whole output into rows of the given stride
// and bytes per pixel.
bool ApplyKernel(imaging::PixelKernel kernel, const imaging::CDibImage& output, std::uint8_t* dst,
                 int dstBpp, std::uint32_t stride, void* param) {
    const imaging::KernelRect whole{0, 0, output.Width(), output.Height()};
    return kernel(dst, output.Pixels(), whole, 0, 0, dstBpp, output.BytesPerPixel(),
                  static_cast<int>(stride), output.Stride(), param) != 0;
}

}  // namespace

bool FormatFits(files::RecordFormat format, int bits) {
    switch (format) {
        case files::RecordFormat::kGrey8:
            return bits == 8 || bits == 16;
        case files::RecordFormat::kGrey16:
            return bits == 16;
        default:
            return bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 48 || bits == 64;
    }
}

bool WriteFrameChunk(const imaging::CDibImage& output, int sourceBits, files::RecordFormat format,
                     const files::FrameLayout& layout, imaging::CDibImage& grey8,
                     std::uint8_t* chunk) {
    if (output.Empty() || output.Bits() != sourceBits ||
        static_cast<std::uint32_t>(output.Width()) != layout.width ||
        static_cast<std::uint32_t>(output.Height()) != layout.height) {
        return false;
    }
    std::uint8_t* frame = WriteChunkHeader(layout, chunk);
    const std::uint32_t stride = layout.stride;
    int significantBits = output.SignificantBits();
    const int height = output.Height();
    if (format == files::RecordFormat::kGrey16) {
        const std::size_t rowBytes = 2 * static_cast<std::size_t>(output.Width());
        for (int row = 0; row < height; ++row) {
            std::memcpy(frame + static_cast<std::size_t>(row) * stride, output.Row(row), rowBytes);
        }
        return true;
    }
    if (format == files::RecordFormat::kGrey8) {
        if (sourceBits == 16) {
            return ApplyKernel(imaging::ReduceGrey16ForRecording, output, frame, 1, stride,
                               &significantBits);
        }
        CopyRowsReversed(output, frame, stride);
        return true;
    }
    switch (sourceBits) {
        case 8:
            ExpandGreyRows(output, frame, stride, true);
            return true;
        case 16:
            if (grey8.Apply(imaging::ReduceGrey16ForRecording, output, nullptr, 0, 0,
                            &significantBits) == 0) {
                return false;
            }
            ExpandGreyRows(grey8, frame, stride, false);
            return true;
        case 24:
        case 32:
            return ApplyKernel(imaging::ReduceColorForRecording, output, frame, 3, stride, nullptr);
        default:
            return ApplyKernel(imaging::ReduceColor16ForRecording, output, frame, 3, stride,
                               &significantBits);
    }
}

bool RecordingImages::Allocate(int width, int height, int bits) {
    frame24.Release();
    grey8.Release();
    sourceBits = bits;
    if (width <= 0 || height <= 0) return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != 48 && bits != 64) {
        return false;
    }
    if (frame24.Allocate(width, height, 24) == 0) return false;
    return bits != 16 || grey8.Allocate(width, height, 8) != 0;
}

bool ConvertForRecording(const imaging::CDibImage& output, RecordingImages& images) {
    imaging::CDibImage& frame = images.frame24;
    if (output.Empty() || frame.Empty() || output.Bits() != images.sourceBits ||
        output.Width() != frame.Width() || output.Height() != frame.Height()) {
        return false;
    }
    int significantBits = output.SignificantBits();
    switch (output.Bits()) {
        case 8:
            ExpandGrey(output, frame, true);
            return true;
        case 16:
            if (images.grey8.Apply(imaging::ReduceGrey16ForRecording, output, nullptr, 0, 0,
                                   &significantBits) == 0) {
                return false;
            }
            ExpandGrey(images.grey8, frame, false);
            return true;
        case 24:
        case 32:
            return frame.Apply(imaging::ReduceColorForRecording, output, nullptr, 0, 0, nullptr) !=
                   0;
        default:
            return frame.Apply(imaging::ReduceColor16ForRecording, output, nullptr, 0, 0,
                               &significantBits) != 0;
    }
}

std::uint8_t* WriteChunkHeader(const files::FrameLayout& layout, std::uint8_t* chunk) {
    files::avi::PutLe32(chunk, files::avi::FourCc("00db"));
    files::avi::PutLe32(chunk + 4, layout.frameBytes);
    return chunk + 8;
}

bool CameraFrameIsFileFrame(int width, int height, int bits, files::RecordFormat format,
                            const files::FrameLayout& layout, bool* lastRowFirst) {
    const bool grey8 = format == files::RecordFormat::kGrey8 && bits == 8;
    const bool grey16 = format == files::RecordFormat::kGrey16 && bits == 16;
    if ((!grey8 && !grey16) || width <= 0 || height <= 0 ||
        static_cast<std::uint32_t>(width) != layout.width ||
        static_cast<std::uint32_t>(height) != layout.height ||
        layout.stride != static_cast<std::uint32_t>(width) * (bits / 8)) {
        return false;
    }
    // The file's 8-bit rows run from the bottom of the picture up, its
    // 16-bit samples from the top down, as WriteFrameChunk writes them.
    *lastRowFirst = grey8;
    return true;
}

}  // namespace nodrix
