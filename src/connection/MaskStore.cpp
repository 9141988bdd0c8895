// The connection's mask data: capturing a reference plane from the current
// raw frame, and saving and loading the four planes as a mask file. The
// planes and their defect maps change only under the mask lock, which the
// conversion holds while it applies the mask and dot filters, so a frame is
// never corrected with half-replaced planes.
#include <cstring>
#include <vector>

#include "connection/CNodrix.h"
#include "connection/pipeline/DefectMap.h"
#include "files/MaskFileIo.h"
#include "files/MaskFileLayout.h"

namespace nodrix {

namespace {

struct MaskSlot {
    ImageSlot plane;
    ImageSlot defectMap;
    pipeline::MaskKind kind;
};

// In file order: dark8, white8, dark16, white16.
constexpr MaskSlot kMaskSlots[files::kMaskPlaneCount] = {
    {kDark8, kDefectDark8, pipeline::MaskKind::Dark},
    {kWhite8, kDefectWhite8, pipeline::MaskKind::White},
    {kDark16, kDefectDark16, pipeline::MaskKind::Dark},
    {kWhite16, kDefectWhite16, pipeline::MaskKind::White},
};

void RebuildDefectMap(const CNodrix& connection, const MaskSlot& slot) {
    pipeline::BuildDefectMap(*connection.Image(slot.plane), slot.kind,
                             *connection.Image(slot.defectMap));
}

}  // namespace

int CNodrix::UpdateMaskData(int which) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard frame(frameLock_);
    const imaging::CDibImage& source = RawImage();
    if ((which != 0 && which != 1) || source.Empty() || source.Width() != kSensorWidth ||
        source.Height() != kSensorHeight) {
        // The code the library has always reported for a plane it cannot
        // take from the frame.
        return PushError(NODRIX_ERROR_TEXT), 0;
    }
    const int first = source.Bits() == 16 ? 2 : 0;
    const MaskSlot& slot = kMaskSlots[first + which];
    imaging::CDibImage& plane = *images_[slot.plane];
    const std::size_t rowBytes = static_cast<std::size_t>(kSensorWidth) * source.BytesPerPixel();
    if (plane.Bits() != source.Bits() || plane.Width() != kSensorWidth ||
        plane.Height() != kSensorHeight) {
        return PushError(NODRIX_ERROR_MEMORY), 0;
    }
    // The frame lock keeps the raw frame still; the mask lock keeps a
    // converting worker from reading a half-copied plane.
    platform::LockGuard mask(maskLock_);
    for (int y = 0; y < kSensorHeight; ++y) std::memcpy(plane.Row(y), source.Row(y), rowBytes);
    RebuildDefectMap(*this, slot);
    return 1;
}

int CNodrix::SaveMaskFile(const char* fileName) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The file image is taken under the lock and written without it, so a
    // slow disk does not hold up the frames being corrected.
    std::vector<std::uint8_t> bytes;
    bool encoded = false;
    {
        platform::LockGuard mask(maskLock_);
        encoded = files::EncodeMaskFile({images_[kDark8].get(), images_[kWhite8].get(),
                                         images_[kDark16].get(), images_[kWhite16].get()},
                                        bytes);
    }
    if (!encoded) return PushError(NODRIX_ERROR_MEMORY), 0;
    if (!files::WriteMaskFileBytes(fileName, bytes)) {
        // The specified code stays the newest; the reason lies beneath it.
        FileFailed("the file name is empty");
        return PushError(NODRIX_ERROR_MASK_FILE), 0;
    }
    return 1;
}

int CNodrix::LoadMaskFile(const char* fileName) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The whole file is read and checked before a plane changes: a missing,
    // short, long or foreign file leaves the mask data as it was.
    std::vector<std::uint8_t> bytes;
    if (!files::ReadMaskFileBytes(fileName, bytes)) {
        // The specified code stays the newest; the reason lies beneath it.
        FileFailed("the file name is empty");
        return PushError(NODRIX_ERROR_MASK_FILE), 0;
    }
    if (files::CheckMaskFile(bytes.data(), bytes.size()) != files::MaskFileFault::None) {
        return PushError(NODRIX_ERROR_MASK_FILE), 0;
    }
    platform::LockGuard mask(maskLock_);
    if (!files::DecodeMaskPlanes(bytes.data(), {images_[kDark8].get(), images_[kWhite8].get(),
                                                images_[kDark16].get(), images_[kWhite16].get()})) {
        return PushError(NODRIX_ERROR_MEMORY), 0;
    }
    for (const MaskSlot& slot : kMaskSlots) RebuildDefectMap(*this, slot);
    return 1;
}

}  // namespace nodrix
