#pragma once
// The frames a recording writes: the connection's output image, whatever its
// format, as a 24-bit frame whose rows run from the bottom of the picture up
// (the output image keeps the top row first).

#include "imaging/CDibImage.h"

namespace nodrix {

// Working images of one recording, made once at its start at the size of the
// output image, so that frames allocate nothing.
struct RecordingImages {
    imaging::CDibImage frame24;  // the frame as it goes into the file
    imaging::CDibImage grey8;    // 16-bit grey reduced to 8 bits on the way
    int sourceBits = 0;

    // False when the size is empty or the memory is missing.
    bool Allocate(int width, int height, int sourceBits);
};

// Converts the output image into images.frame24: grey expands to equal B, G
// and R; 16-bit samples (grey, 48- and 64-bit colour) keep the top eight of
// their significant bits; 32-bit colour drops its fourth byte.
// False when the output image no longer has the format the images were made
// for.
bool ConvertForRecording(const imaging::CDibImage& output, RecordingImages& images);

}  // namespace nodrix
