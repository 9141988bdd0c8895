// Conversion of the output image into the 24-bit bottom-up frames of a
// recording.
#include "connection/RecordingFrame.h"

#include "imaging/ConversionKernels.h"

namespace nodrix {
namespace {

// Grey to equal B, G and R (the grey colour table maps i to (i, i, i)),
// rows turned over when reverse is set.
void ExpandGrey(const imaging::CDibImage& grey, imaging::CDibImage& rgb, bool reverse) {
    const int width = grey.Width();
    const int height = grey.Height();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* s = grey.Row(reverse ? height - 1 - row : row);
        std::uint8_t* d = rgb.Row(row);
        for (int x = 0; x < width; ++x, d += 3) {
            d[0] = s[x];
            d[1] = s[x];
            d[2] = s[x];
        }
    }
}

}  // namespace

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

}  // namespace nodrix
