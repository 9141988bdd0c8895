// Still images of the current output image.
#include "connection/CNodrix.h"
#include "files/StillImage.h"

namespace nodrix {

int CNodrix::SaveImage(const char* fileName, int format) {
    // Without a converted frame the output image holds nothing worth saving.
    if (!core_ || frameReady_.load() == 0) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // The frame lock keeps a worker from converting into the image while it
    // is written.
    platform::LockGuard frame(frameLock_);
    const imaging::CDibImage& output = OutputImage();
    if (output.Empty()) return PushError(NODRIX_ERROR_NO_CORE), 0;
    // A writer that fails reports no error code: the result says it all.
    return files::SaveStillImage(fileName, output, format);
}

}  // namespace nodrix
