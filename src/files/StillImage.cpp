#include "files/StillImage.h"

#include "files/StillImageWriters.h"

namespace nodrix::files {

bool IsStillImageKind(int kind) { return kind >= kStillBmp && kind <= kStillTiff; }

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
