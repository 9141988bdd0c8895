#pragma once
// An AVI file of any length (OpenDML): one video stream whose frames go
// into a first RIFF that players of plain AVI files read (with its "idx1"
// index once that RIFF is complete), then into "AVIX" RIFFs. Every RIFF's
// frames are indexed by standard indexes ("ix00" chunks inside its movi
// list), all of them listed by the super index ("indx") in the header, and
// the total frame count is kept in the "odml" header. Update brings the
// headers and indexes up to date with the frames written, so that a file
// whose writer is killed plays up to its last update.

#include <cstdint>
#include <vector>

#include "files/RecordFormat.h"
#include "platform/FileHandle.h"

namespace nodrix::files {

class AviOpenDmlWriter {
public:
    enum class Result {
        kAdded,
        // The super index is full: nothing more can be indexed; the file can
        // still be finished.
        kFull,
        // A write failed; the frames before it can still be finished.
        kFailed,
    };

    // The size a RIFF grows to before the next one starts.
    static constexpr std::uint64_t kRiffLimit = 1ull << 30;

    AviOpenDmlWriter() = default;
    ~AviOpenDmlWriter();
    AviOpenDmlWriter(const AviOpenDmlWriter&) = delete;
    AviOpenDmlWriter& operator=(const AviOpenDmlWriter&) = delete;

    // Smaller RIFFs, so that tests can cross several with little data.
    void SetRiffLimit(std::uint64_t bytes) { riffLimit_ = bytes; }

    // Creates or empties the file and writes the headers, with room for
    // superIndexEntries standard indexes. False when the layout is empty or
    // the file cannot be written (the system's reason noted).
    bool Open(const char* fileName, const FrameLayout& layout, std::uint32_t superIndexEntries,
              std::uint32_t startRate);
    // Bytes of one frame chunk: "00db", the frame's size, the frame.
    std::uint32_t ChunkBytes() const { return 8 + layout_.frameBytes; }
    // Appends count consecutive frame chunks of ChunkBytes() each.
    Result AddChunks(const std::uint8_t* chunks, std::uint32_t count);
    // Writes the standard index of the frames since the last update and
    // patches sizes, counts and the rate (hundredths of a frame per second)
    // into the headers. False when a write failed.
    bool Update(std::uint32_t rate);
    // Updates, completes the RIFF that is open and closes the file. False
    // when any write failed.
    bool Finish(std::uint32_t rate);
    // Closes the file as it stands.
    void Close();

    bool IsOpen() const { return file_.IsOpen(); }
    std::uint64_t Frames() const { return frames_; }
    std::uint64_t Bytes() const { return end_; }

private:
    struct SuperEntry {
        std::uint64_t offset;
        std::uint32_t size;
        std::uint32_t duration;
    };

    bool WriteAt(std::uint64_t offset, const void* data, std::uint32_t size);
    bool PatchU32(std::uint64_t offset, std::uint32_t value);
    bool Append(const void* data, std::uint32_t size);
    // Bytes the open RIFF still needs after its frames: the standard index
    // of the frames not yet indexed and, in the first RIFF, its idx1.
    std::uint64_t ClosingBytes(std::uint64_t moreFrames) const;
    bool WriteStandardIndex();
    bool PatchHeaders(std::uint32_t rate);
    bool CloseRiff();
    bool StartAvix();

    platform::FileHandle file_;
    FrameLayout layout_;
    std::uint64_t riffLimit_ = kRiffLimit;
    bool failed_ = false;
    std::uint64_t end_ = 0;           // end of what was written
    std::uint64_t filePosition_ = 0;  // where the next write lands
    std::uint64_t riffStart_ = 0;     // "RIFF" of the open RIFF
    std::uint64_t moviStart_ = 0;     // "LIST" of its movi list
    bool firstRiff_ = true;
    bool riffClosed_ = false;  // the last RIFF is complete: sizes stay
    std::uint64_t frames_ = 0;
    std::uint64_t firstRiffFrames_ = 0;
    // Offsets from the open RIFF's start of the frames not yet in a
    // standard index.
    std::vector<std::uint32_t> pending_;
    // idx1 offsets (from the first movi list's "movi") of the first RIFF.
    std::vector<std::uint32_t> firstIndex_;
    std::vector<SuperEntry> superIndex_;
    std::uint32_t superCapacity_ = 0;
    // Header offsets patched by the updates.
    std::uint64_t indxAt_ = 0;
    std::uint64_t dmlhAt_ = 0;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace nodrix::files
