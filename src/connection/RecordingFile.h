#pragma once
// The file of one recording, in the format chosen for it: the classic
// writer (one RIFF, the index written at the end) or the OpenDML writer
// (any length, brought up to date while it grows).

#include <cstdint>

#include "files/AviOpenDmlWriter.h"
#include "files/CAviWriter.h"
#include "files/RecordFormat.h"

namespace nodrix {

class RecordingFile {
public:
    enum class Result { kAdded, kFull, kFailed };

    // False when the file cannot be created (the system's reason noted).
    bool Open(const char* fileName, files::RecordFormat format, const files::FrameLayout& layout,
              std::uint32_t durationMs, std::uint64_t riffLimit);
    // count frame chunks ("00db", size, frame), side by side.
    Result Add(const std::uint8_t* chunks, std::uint32_t count);
    // Brings what a player reads up to date (nothing for the classic file,
    // whose layout has its index only at the end).
    bool Update(std::uint32_t rate);
    bool Finish(std::uint32_t rate);

    std::uint64_t Frames() const;
    std::uint64_t Bytes() const;

private:
    bool classic_ = true;
    files::CAviWriter classicWriter_;
    files::AviOpenDmlWriter openDml_;
    std::uint32_t frameBytes_ = 0;
};

}  // namespace nodrix
