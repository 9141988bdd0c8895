// Mask files come from disk: whatever the bytes, the check refuses or
// accepts them without reading past them, and an accepted file decodes.
#include <cstddef>
#include <cstdint>

#include "files/MaskFileLayout.h"

using namespace nodrix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (files::CheckMaskFile(data, size) != files::MaskFileFault::None) return 0;
    static imaging::CDibImage planes[files::kMaskPlaneCount];
    static const bool made = [] {
        const int bits[] = {8, 8, 16, 16};
        for (int i = 0; i < files::kMaskPlaneCount; ++i) {
            planes[i].Allocate(1280, 1024, bits[i]);
        }
        return true;
    }();
    (void)made;
    files::DecodeMaskPlanes(data, {&planes[0], &planes[1], &planes[2], &planes[3]});
    return 0;
}
