#include "files/StillImage.h"

#include "NodrixSdk.h"
#include "files/StillImageWriters.h"

namespace nodrix::files {

static_assert(kStillBmp == NODRIX_IMAGE_BMP && kStillRaw == NODRIX_IMAGE_RAW &&
                  kStillJpeg100 == NODRIX_IMAGE_JPEG_100 && kStillJpeg70 == NODRIX_IMAGE_JPEG_70 &&
                  kStillJpeg20 == NODRIX_IMAGE_JPEG_20 && kStillPng == NODRIX_IMAGE_PNG &&
                  kStillTiff == NODRIX_IMAGE_TIFF,
              "file kinds as the public header numbers them");

int SaveStillImage(const char* fileName, const imaging::CDibImage& image, int kind) {
    if (fileName == nullptr || fileName[0] == '\0' || image.Empty()) return 0;
    bool written = false;
    switch (kind) {
        case kStillBmp:
            written = WriteBmp(fileName, image);
            break;
        case kStillRaw:
            written = WriteRaw(fileName, image);
            break;
        case kStillJpeg100:
            written = WriteJpeg(fileName, image, 100);
            break;
        case kStillJpeg70:
            written = WriteJpeg(fileName, image, 70);
            break;
        case kStillJpeg20:
            written = WriteJpeg(fileName, image, 20);
            break;
        case kStillPng:
            written = WritePng(fileName, image);
            break;
        case kStillTiff:
            written = WriteTiff(fileName, image);
            break;
        default:
            return 0;
    }
    return written ? 1 : 0;
}

}  // namespace nodrix::files
