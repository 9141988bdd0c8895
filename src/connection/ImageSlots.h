#pragma once
// The image buffers of a connection, in its order: those of the acquisition
// and the conversion, then the planes of the mask store.

namespace nodrix {

// The image buffers, in the connection's order.
enum ImageSlot : int {
    kRaw8 = 0,  // 8-bit raw frame; output of colour mode 0
    kRaw16,     // 16-bit raw frame; output of colour mode 1
    kRgb24,
    kRgb32,
    kRgb48,
    kRgb64,
    kScratch,  // copy of the output read by the sharpness filter
    kDisplay,  // window-sized image drawn into the preview window
    kDark8,    // the mask store's planes from here on
    kWhite8,
    kDark16,
    kWhite16,
    kDefectDark8,
    kDefectWhite8,
    kDefectDark16,
    kDefectWhite16,
    kMark8,
    kMark16,
    kImageSlotCount
};

inline constexpr int kFirstMaskSlot = kDark8;
inline constexpr int kMaskSlotCount = kImageSlotCount - kFirstMaskSlot;

}  // namespace nodrix
