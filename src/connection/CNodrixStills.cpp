// Still images of the current output image.
#include "connection/CNodrix.h"
#include "files/StillImage.h"

namespace nodrix {

static_assert(files::kStillBmp == NODRIX_IMAGE_BMP && files::kStillRaw == NODRIX_IMAGE_RAW &&
                  files::kStillJpeg100 == NODRIX_IMAGE_JPEG_100 &&
                  files::kStillJpeg70 == NODRIX_IMAGE_JPEG_70 &&
                  files::kStillJpeg20 == NODRIX_IMAGE_JPEG_20 &&
                  files::kStillPng == NODRIX_IMAGE_PNG && files::kStillTiff == NODRIX_IMAGE_TIFF,
              "file kinds as the public header numbers them");

int CNodrix::SaveImage(const char* fileName, int format) {
    if (!files::IsStillImageKind(format)) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    // Without a converted frame the output image holds nothing worth saving.
    if (!core_ || !acquisition_.FrameReady()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (fileName == nullptr || fileName[0] == '\0') return FileFailed("the file name is empty");
    // The frame lock keeps a worker from converting into the image while it
    // is written.
    platform::LockGuard frame(FrameLock());
    const imaging::CDibImage& output = acquisition_.OutputImage();
    if (output.Empty()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (files::SaveStillImage(fileName, output, format) == 0) {
        return FileFailed("the image could not be encoded");
    }
    return 1;
}

}  // namespace nodrix
