#include "connection/RecordingFile.h"

#include <algorithm>

namespace nodrix {
namespace {

// One standard index per update (two a second) and one per RIFF (fewer
// than one a second at the link rate): room for three per second of the
// duration, within reason.
std::uint32_t SuperIndexEntries(std::uint32_t durationMs) {
    return static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(3ull * (durationMs / 1000u) + 64, 256, 65536));
}

}  // namespace

bool RecordingFile::Open(const char* fileName, files::RecordFormat format,
                         const files::FrameLayout& layout, std::uint32_t durationMs,
                         std::uint64_t riffLimit) {
    classic_ = format == files::RecordFormat::kClassic;
    frameBytes_ = layout.frameBytes;
    if (classic_) {
        classicWriter_.SetFormat(static_cast<int>(layout.width), static_cast<int>(layout.height),
                                 24);
        classicWriter_.SetRate(files::avi::kStartRate);
        return classicWriter_.Open(fileName) != 0;
    }
    openDml_.SetRiffLimit(riffLimit);
    return openDml_.Open(fileName, layout, SuperIndexEntries(durationMs), files::avi::kStartRate);
}

RecordingFile::Result RecordingFile::Add(const std::uint8_t* chunks, std::uint32_t count) {
    if (!classic_) {
        switch (openDml_.AddChunks(chunks, count)) {
            case files::AviOpenDmlWriter::Result::kAdded:
                return Result::kAdded;
            case files::AviOpenDmlWriter::Result::kFull:
                return Result::kFull;
            default:
                return Result::kFailed;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i, chunks += 8 + frameBytes_) {
        const auto added = classicWriter_.AddFrame(chunks + 8);
        if (added == files::CAviWriter::AddResult::kFull) return Result::kFull;
        if (added == files::CAviWriter::AddResult::kFailed) return Result::kFailed;
    }
    return Result::kAdded;
}

bool RecordingFile::Update(std::uint32_t rate) {
    return classic_ || openDml_.Update(rate);
}

bool RecordingFile::Finish(std::uint32_t rate) {
    if (classic_) {
        classicWriter_.SetRate(rate);
        return classicWriter_.Finish() != 0;
    }
    return openDml_.Finish(rate);
}

std::uint64_t RecordingFile::Frames() const {
    return classic_ ? classicWriter_.FrameCount() : openDml_.Frames();
}

std::uint64_t RecordingFile::Bytes() const {
    return classic_ ? 232ull + static_cast<std::uint64_t>(classicWriter_.FrameCount()) *
                                   (8ull + frameBytes_)
                    : openDml_.Bytes();
}

}  // namespace nodrix
