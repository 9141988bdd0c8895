// The connection's mask operations, kept by its mask store: the frame lock
// keeps the raw frame still while a plane is taken from it, and each result
// becomes the code the library has always reported for it.
#include "connection/CNodrix.h"

namespace nodrix {

int CNodrix::MaskReported(MaskStore::Result result) {
    switch (result) {
        case MaskStore::Result::kDone:
            return 1;
        // The code the library has always reported for a plane it cannot
        // take from the frame.
        case MaskStore::Result::kNoPlane:
            PushError(NODRIX_ERROR_TEXT);
            break;
        case MaskStore::Result::kNoMemory:
            PushError(NODRIX_ERROR_MEMORY);
            break;
        case MaskStore::Result::kUnreadable:
            // The specified code stays the newest; the reason lies beneath it.
            FileFailed("the file name is empty");
            PushError(NODRIX_ERROR_MASK_FILE);
            break;
        case MaskStore::Result::kForeign:
            PushError(NODRIX_ERROR_MASK_FILE);
            break;
    }
    return 0;
}

int CNodrix::UpdateMaskData(int which) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    platform::LockGuard frame(FrameLock());
    return MaskReported(masks_.TakePlane(acquisition_.RawImage(), which));
}

int CNodrix::SaveMaskFile(const char* fileName) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return MaskReported(masks_.Save(fileName));
}

int CNodrix::LoadMaskFile(const char* fileName) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    return MaskReported(masks_.Load(fileName));
}

}  // namespace nodrix
