#include "files/RecordFormat.h"

#include "files/AviBytes.h"

namespace nodrix::files {

FrameLayout LayoutOf(RecordFormat format, int width, int height) {
    FrameLayout layout;
    if (width <= 0 || height <= 0) return layout;
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height);
    std::uint64_t stride = 0;
    switch (format) {
        case RecordFormat::kClassic:
        case RecordFormat::kBgr24:
            layout.bitCount = 24;
            stride = (3ull * layout.width + 3) & ~3ull;
            break;
        case RecordFormat::kGrey8:
            layout.bitCount = 8;
            layout.paletteEntries = 256;
            stride = (layout.width + 3ull) & ~3ull;
            break;
        case RecordFormat::kGrey16:
            layout.bitCount = 16;
            layout.compression = avi::FourCc("Y1\0\x10");
            layout.bottomUp = false;
            // Readers of raw samples take rows without padding; even widths
            // keep every chunk even as well.
            stride = 2ull * layout.width;
            break;
    }
    const std::uint64_t bytes = stride * layout.height;
    if (bytes == 0 || bytes > 0x7FFFFFFFull) return FrameLayout{};
    layout.stride = static_cast<std::uint32_t>(stride);
    layout.frameBytes = static_cast<std::uint32_t>(bytes);
    return layout;
}

}  // namespace nodrix::files
