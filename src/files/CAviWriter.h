#pragma once
// The AVI writer of a connection: one uncompressed video stream of 24-bit
// bottom-up frames, written as they come, with the index kept in memory and
// written at the end, when the frame count and the measured rate are patched
// into the headers. Reset and reused for every recording.

#include <cstdint>
#include <memory>
#include <vector>

#include "files/AviHeaders.h"
#include "files/AviSink.h"

namespace nodrix::files {

class CAviWriter {
public:
    enum class AddResult {
        kAdded,
        // The frame would take the file past its size limit; nothing was
        // written and the file can still be finished.
        kFull,
        // A write failed; the frames before it can still be finished.
        kFailed,
    };

    // Files keep every offset and size in 32 bits.
    static constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFull;

    CAviWriter();
    ~CAviWriter();
    CAviWriter(const CAviWriter&) = delete;
    CAviWriter& operator=(const CAviWriter&) = delete;

    // The output image the frames come from: its size, and its bit count
    // (kept for reference; frames are always written in 24 bits).
    void SetFormat(int width, int height, int bitCount);
    // Frame rate in hundredths of a frame per second.
    void SetRate(std::uint32_t rate) { rate_ = rate; }
    std::uint32_t Rate() const { return rate_; }
    // Largest file the writer makes, in bytes (at most kMaxFileBytes).
    void SetSizeLimit(std::uint64_t bytes);

    // Resets the writer, creates or empties the file and writes the headers
    // with their start values. 1 on success; 0 when the format is empty or
    // the file cannot be created or written.
    int Open(const char* fileName);
    // The same onto a sink the caller owns (and keeps alive until Reset).
    int Open(AviSink& sink);
    // Appends one frame of FrameBytes() bytes (rows bottom first, B G R).
    AddResult AddFrame(const std::uint8_t* frame);
    // Writes the index, patches the sizes, the frame count and the rate
    // (at least 1) into the headers and closes the file. 1 when every write
    // succeeded, 0 otherwise or when nothing is open.
    int Finish();
    // Closes the file as it stands, empties the index and clears the header
    // values.
    void Reset();

    bool IsOpen() const { return sink_ != nullptr; }
    std::uint32_t FrameBytes() const;
    std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(index_.size()); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int SourceBitCount() const { return bitCount_; }

private:
    struct IndexEntry {
        std::uint32_t chunk;
        std::uint32_t flags;
        std::uint32_t offset;
        std::uint32_t size;
    };

    int WriteHeaders();
    bool Write(const void* data, std::uint32_t size);
    bool WriteU32(std::uint32_t value);
    bool PatchU32(std::uint32_t offset, std::uint32_t value);
    bool WriteIndex();

    std::unique_ptr<AviSink> file_;  // the writer's own file
    AviSink* sink_ = nullptr;        // where the bytes go while open
    avi::MainHeader main_;
    avi::StreamHeader stream_;
    avi::StreamFormat format_;
    std::uint32_t riffSize_ = 0;  // bytes after the first 8
    std::uint32_t moviSize_ = 0;  // bytes of the movi list after its size
    std::uint32_t moviSizePosition_ = 0;
    std::uint32_t position_ = 0;  // current position of the sink
    bool writeFailed_ = false;
    std::vector<IndexEntry> index_;
    std::uint64_t sizeLimit_ = kMaxFileBytes;
    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    std::uint32_t rate_ = 0;
};

}  // namespace nodrix::files
