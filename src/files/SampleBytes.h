#pragma once
// Where the channels of one pixel sit in an output image: grey, or B, G, R
// (and X) samples of one or two bytes, two-byte samples little-endian.

#include "imaging/CDibImage.h"

namespace nodrix::files {

struct SampleLayout {
    int channels = 0;     // 1 grey, 3 B G R, 4 B G R X
    int sampleBytes = 0;  // 1 or 2
    bool Valid() const { return channels != 0; }
};

inline SampleLayout SampleLayoutOf(int bits) {
    switch (bits) {
        case 8:
            return {1, 1};
        case 16:
            return {1, 2};
        case 24:
            return {3, 1};
        case 32:
            return {4, 1};
        case 48:
            return {3, 2};
        case 64:
            return {4, 2};
        default:
            return {};
    }
}

}  // namespace nodrix::files
