#pragma once
// What the media tools of the system read from a recording: the frame count
// ffprobe decodes, the frames GStreamer's AVI demuxer hands on, and every
// frame decoded by ffmpeg into raw samples.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::test {

// Frames ffprobe decodes in the file's video stream (or, for a codec it
// cannot name by itself, the frame packets it reads); -1 when it cannot
// read the file (or is missing).
long long FfprobeFrameCount(const std::string& file, bool decode);
// Buffers GStreamer's AVI demuxer passes on from the file's video stream;
// -1 when gst-launch-1.0 cannot play the file (or is missing).
long long GstreamerFrameCount(const std::string& file);
// Every frame decoded into pixFmt ("gray", "gray16le", "bgr24"), top row
// first, rows unpadded, one after the other; raw names the input codec
// explicitly (needed for 16-bit grey samples).
std::vector<std::uint8_t> FfmpegDecode(const std::string& file, const std::string& pixFmt,
                                       bool raw);

}  // namespace nodrix::test
