#include "Frame.h"

#include <cstring>

namespace nodrix_viewer {

int Frame::Sample(int x, int y, int c) const {
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) +
                           static_cast<std::size_t>(x * Channels() + c) * BytesPerSample();
    if (BytesPerSample() == 1) return pixels[at];
    std::uint16_t value = 0;
    std::memcpy(&value, &pixels[at], sizeof value);
    return value;
}

}  // namespace nodrix_viewer
