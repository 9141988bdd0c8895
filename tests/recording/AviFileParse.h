#pragma once
// Reads an AVI file of the recorder back field by field, independently of the
// writer's own code, so that the tests see the bytes a player would see.

#include <cstdint>
#include <string>
#include <vector>

namespace nodrix::test {

struct ParsedAviIndexEntry {
    std::string chunk;
    std::uint32_t flags = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct ParsedAviFrame {
    std::uint32_t fileOffset = 0;  // of its chunk code
    std::uint32_t size = 0;
    const std::uint8_t* data = nullptr;  // into ParsedAvi::bytes
};

struct ParsedAvi {
    std::vector<std::uint8_t> bytes;
    // Empty when the file reads as a recording; otherwise what is wrong.
    std::string problem;

    std::uint32_t riffSize = 0;
    std::uint32_t hdrlSize = 0;
    // avih
    std::uint32_t microSecPerFrame = 0, maxBytesPerSec = 0, padding = 0, flags = 0,
                  totalFrames = 0, initialFrames = 0, streams = 0, suggestedBuffer = 0,
                  width = 0, height = 0;
    std::uint32_t strlSize = 0;
    // strh
    std::string streamType, handler;
    std::uint32_t streamFlags = 0, priorityLanguage = 0, streamInitialFrames = 0, scale = 0,
                  rate = 0, start = 0, length = 0, streamSuggestedBuffer = 0, quality = 0,
                  sampleSize = 0;
    std::uint32_t frameRect[4] = {};
    // strf
    std::uint32_t formatSize = 0;
    std::int32_t formatWidth = 0, formatHeight = 0;
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t compression = 0, imageSize = 0, formatTail[4] = {};

    std::uint32_t moviSize = 0;
    std::vector<ParsedAviFrame> frames;
    bool hasIndex = false;
    std::uint32_t indexSize = 0;
    std::vector<ParsedAviIndexEntry> index;
};

ParsedAvi ParseAvi(std::vector<std::uint8_t> bytes);
ParsedAvi ReadAvi(const std::string& fileName);

// Checks what every complete file holds: the sizes agree with the file
// length and with each other, every index entry points at its frame chunk,
// and the frame count is patched.
std::string CheckConsistent(const ParsedAvi& avi);

}  // namespace nodrix::test
