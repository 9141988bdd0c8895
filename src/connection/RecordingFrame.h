#pragma once
// The frames a recording writes: the connection's output image, whatever its
// format, as a 24-bit frame whose rows run from the bottom of the picture up
// (the output image keeps the top row first).

#include <cstdint>

#include "files/RecordFormat.h"
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

// Whether frames of the format can be made from an output image of the bit
// count: 24-bit frames from any, 8-bit grey from grey, 16-bit grey from
// 16-bit grey.
bool FormatFits(files::RecordFormat format, int bits);

// Writes the output image as one frame chunk of the layout: "00db", the
// frame's size, its rows in the file's order. 16-bit samples keep the top
// eight of their significant bits in 8- and 24-bit frames and stay whole in
// 16-bit frames. grey8 is the 8-bit working image of 16-bit grey into
// 24-bit frames (made by the caller at the output's size). False when the
// output no longer has the size and depth the recording started with.
bool WriteFrameChunk(const imaging::CDibImage& output, int sourceBits, files::RecordFormat format,
                     const files::FrameLayout& layout, imaging::CDibImage& grey8,
                     std::uint8_t* chunk);

// Writes a frame chunk's header ("00db" and the frame's size) and returns
// where the frame's bytes go.
std::uint8_t* WriteChunkHeader(const files::FrameLayout& layout, std::uint8_t* chunk);

// Whether the camera's frame of the given shape, rows unpadded and
// untouched by the pipeline, is byte for byte a frame of the layout when its
// rows are taken in order or, when *lastRowFirst is set on return, from the
// last to the first: 8-bit grey from 8-bit frames and 16-bit grey from
// 16-bit frames. Other formats convert what they write.
bool CameraFrameIsFileFrame(int width, int height, int bits, files::RecordFormat format,
                            const files::FrameLayout& layout, bool* lastRowFirst);

}  // namespace nodrix
