#pragma once
// A trackbar group of the property dialogs: a trackbar, an up-down control
// and an edit field showing one value, with the value's range.

#include <algorithm>

namespace nodrix::settings {

struct TrackbarGroup {
    int trackbar = 0;
    int edit = 0;
    int upDown = 0;
    int minimum = 0;
    int maximum = 0;
    int pageSize = 1;
    bool enabled = true;

    // Typed values are kept inside the range the trackbar offers: values
    // past it would reach the image kernels and the camera unchecked.
    int Clamp(int value) const { return std::clamp(value, minimum, std::max(minimum, maximum)); }
};

}  // namespace nodrix::settings
