#pragma once
// The three header records of an uncompressed AVI file with one video
// stream: the main header ("avih", 56 bytes), the stream header ("strh", 64
// bytes) and the stream format ("strf", a 40-byte bitmap info header), their
// values at the start of a recording and after it, and the file offsets that
// are patched when a recording ends.

#include <array>
#include <cstdint>

namespace nodrix::files::avi {

inline constexpr int kMainHeaderBytes = 56;
inline constexpr int kStreamHeaderBytes = 64;
inline constexpr int kStreamFormatBytes = 40;
inline constexpr int kIndexEntryBytes = 16;

// Offsets in the file.
inline constexpr std::uint32_t kRiffSizeOffset = 4;
inline constexpr std::uint32_t kMicroSecPerFrameOffset = 32;
inline constexpr std::uint32_t kTotalFramesOffset = 48;
inline constexpr std::uint32_t kScaleOffset = 128;
inline constexpr std::uint32_t kLengthOffset = 140;
inline constexpr std::uint32_t kMoviSizeOffset = 224;
// Bytes of everything up to the "movi" code inclusive.
inline constexpr std::uint32_t kHeaderBytes = 232;
// List sizes of the header lists.
inline constexpr std::uint32_t kHdrlListSize = 200;
inline constexpr std::uint32_t kStrlListSize = 124;

// avih flags: the file has an index; it was made by a capture.
inline constexpr std::uint32_t kFlagHasIndex = 0x10;
inline constexpr std::uint32_t kFlagIsCaptureFile = 0x10000;
// Index entry flag of a key frame.
inline constexpr std::uint32_t kIndexKeyFrame = 0x10;

// Frame rate assumed until one has been measured, in hundredths of a frame
// per second.
inline constexpr std::uint32_t kStartRate = 3000;

struct MainHeader {
    std::uint32_t microSecPerFrame = 0;
    std::uint32_t maxBytesPerSec = 0;
    std::uint32_t paddingGranularity = 0;
    std::uint32_t flags = 0;
    std::uint32_t totalFrames = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t streams = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t reserved[4] = {0, 0, 0, 0};
};

struct StreamHeader {
    std::uint32_t type = 0;
    std::uint32_t handler = 0;
    std::uint32_t flags = 0;
    std::uint16_t priority = 0;
    std::uint16_t language = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t quality = 0;
    std::uint32_t sampleSize = 0;
    std::int32_t frame[4] = {0, 0, 0, 0};  // left, top, right, bottom
};

// A bitmap info header.
struct StreamFormat {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
};

// Bytes of one 24-bit row of width pixels, padded to 4.
std::uint32_t FrameStride(std::uint32_t width);
// Bytes of one frame chunk's data (height rows).
std::uint32_t FrameBytes(std::uint32_t width, std::uint32_t height);

// The start values of a width x height recording of 24-bit frames.
MainHeader StartMainHeader(std::uint32_t width, std::uint32_t height);
StreamHeader StartStreamHeader(std::uint32_t width, std::uint32_t height);
StreamFormat StartStreamFormat(std::uint32_t width, std::uint32_t height);

// Frame duration values for a rate in hundredths of a frame per second
// (at least 1).
std::uint32_t MicroSecPerFrame(std::uint32_t rate);
std::uint32_t StreamScale(std::uint32_t rate);

std::array<std::uint8_t, kMainHeaderBytes> Encode(const MainHeader& h);
std::array<std::uint8_t, kStreamHeaderBytes> Encode(const StreamHeader& h);
std::array<std::uint8_t, kStreamFormatBytes> Encode(const StreamFormat& f);

}  // namespace nodrix::files::avi
