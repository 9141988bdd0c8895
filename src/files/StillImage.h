#pragma once
// Still image files of an output image: the file kinds an application asks
// for, and the dispatcher that writes one.

#include "imaging/CDibImage.h"

namespace nodrix::files {

enum StillImageKind : int {
    kStillBmp = 0,
    kStillRaw = 1,
    kStillJpeg100 = 2,
    kStillJpeg70 = 3,
    kStillJpeg20 = 4,
    kStillPng = 5,
    kStillTiff = 6,
};

bool IsStillImageKind(int kind);

// Writes the image (buffer row 0 the top of the picture) to the named file
// in the given kind. 1 on success; 0 for an unknown kind or an empty image
// (nothing written), or when the file cannot be written (no partial file is
// left behind).
int SaveStillImage(const char* fileName, const imaging::CDibImage& image, int kind);

}  // namespace nodrix::files
