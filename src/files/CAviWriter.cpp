// The AVI writer: headers at the start, one "00db" chunk per frame, the
// index and the patched headers at the end.
#include "files/CAviWriter.h"

#include <algorithm>
#include <array>

#include "files/AviBytes.h"
#include "files/AviFileSink.h"

namespace nodrix::files {
namespace {

using avi::FourCc;

// Index entries written per block at the end.
constexpr std::size_t kIndexBlockEntries = 256;
// Index entries reserved at the start so that frames do not allocate; a
// longer recording grows the index now and then.
constexpr std::size_t kReservedIndexEntries = 8192;
// "idx1" and its size.
constexpr std::uint64_t kIndexHeaderBytes = 8;

}  // namespace

CAviWriter::CAviWriter() = default;

CAviWriter::~CAviWriter() { Reset(); }

void CAviWriter::SetFormat(int width, int height, int bitCount) {
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
}

void CAviWriter::SetSizeLimit(std::uint64_t bytes) { sizeLimit_ = std::min(bytes, kMaxFileBytes); }

std::uint32_t CAviWriter::FrameBytes() const {
    if (width_ <= 0 || height_ <= 0) return 0;
    return avi::FrameBytes(static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_));
}

void CAviWriter::Reset() {
    if (sink_ != nullptr) sink_->Close();
    sink_ = nullptr;
    file_.reset();
    main_ = {};
    stream_ = {};
    format_ = {};
    riffSize_ = 0;
    moviSize_ = 0;
    moviSizePosition_ = 0;
    position_ = 0;
    writeFailed_ = false;
    index_.clear();
}

int CAviWriter::Open(const char* fileName) {
    Reset();
    if (fileName == nullptr || fileName[0] == '\0' || FrameBytes() == 0) return 0;
    file_ = OpenAviFile(fileName);
    if (!file_) return 0;
    sink_ = file_.get();
    return WriteHeaders();
}

int CAviWriter::Open(AviSink& sink) {
    Reset();
    if (FrameBytes() == 0) return 0;
    sink_ = &sink;
    return WriteHeaders();
}

bool CAviWriter::Write(const void* data, std::uint32_t size) {
    if (!sink_->Write(data, size)) {
        writeFailed_ = true;
        return false;
    }
    position_ += size;
    return true;
}

bool CAviWriter::WriteU32(std::uint32_t value) {
    std::uint8_t bytes[4];
    avi::PutLe32(bytes, value);
    return Write(bytes, 4);
}

bool CAviWriter::PatchU32(std::uint32_t offset, std::uint32_t value) {
    if (!sink_->Seek(offset)) {
        writeFailed_ = true;
        return false;
    }
    position_ = offset;
    return WriteU32(value);
}

int CAviWriter::WriteHeaders() {
    const auto width = static_cast<std::uint32_t>(width_);
    const auto height = static_cast<std::uint32_t>(height_);
    main_ = avi::StartMainHeader(width, height);
    stream_ = avi::StartStreamHeader(width, height);
    format_ = avi::StartStreamFormat(width, height);
    if (index_.capacity() == 0) {
        // As many entries as fit in the file, within reason.
        const std::uint64_t perFrame = 8ull + FrameBytes() + avi::kIndexEntryBytes;
        index_.reserve(static_cast<std::size_t>(
            std::min<std::uint64_t>(sizeLimit_ / perFrame + 1, kReservedIndexEntries)));
    }

    const auto mainBytes = avi::Encode(main_);
    const auto streamBytes = avi::Encode(stream_);
    const auto formatBytes = avi::Encode(format_);
    bool ok = WriteU32(FourCc("RIFF")) && WriteU32(0) && WriteU32(FourCc("AVI ")) &&
              WriteU32(FourCc("LIST")) && WriteU32(avi::kHdrlListSize) &&
              WriteU32(FourCc("hdrl")) && WriteU32(FourCc("avih")) &&
              WriteU32(avi::kMainHeaderBytes) && Write(mainBytes.data(), avi::kMainHeaderBytes) &&
              WriteU32(FourCc("LIST")) && WriteU32(avi::kStrlListSize) &&
              WriteU32(FourCc("strl")) && WriteU32(FourCc("strh")) &&
              WriteU32(avi::kStreamHeaderBytes) &&
              Write(streamBytes.data(), avi::kStreamHeaderBytes) && WriteU32(FourCc("strf")) &&
              WriteU32(avi::kStreamFormatBytes) &&
              Write(formatBytes.data(), avi::kStreamFormatBytes) && WriteU32(FourCc("LIST"));
    moviSizePosition_ = position_;
    ok = ok && WriteU32(0) && WriteU32(FourCc("movi"));
    if (!ok) {
        Reset();
        return 0;
    }
    riffSize_ = position_ - 8;
    moviSize_ = 4;
    return 1;
}

CAviWriter::AddResult CAviWriter::AddFrame(const std::uint8_t* frame) {
    if (sink_ == nullptr || frame == nullptr || writeFailed_) return AddResult::kFailed;
    const std::uint32_t bytes = FrameBytes();
    // Room for this frame, its index entry and the index's own header.
    const std::uint64_t after = 8ull + riffSize_ + 8 + bytes + kIndexHeaderBytes +
                                avi::kIndexEntryBytes * (static_cast<std::uint64_t>(index_.size()) + 1);
    if (after > sizeLimit_) return AddResult::kFull;

    const std::uint32_t offset = moviSize_;
    if (!WriteU32(FourCc("00db")) || !WriteU32(bytes) || !Write(frame, bytes)) {
        return AddResult::kFailed;
    }
    index_.push_back(IndexEntry{FourCc("00db"), avi::kIndexKeyFrame, offset, bytes});
    riffSize_ += 8 + bytes;
    moviSize_ += 8 + bytes;
    return AddResult::kAdded;
}

bool CAviWriter::WriteIndex() {
    const std::uint32_t frames = FrameCount();
    if (!WriteU32(FourCc("idx1")) || !WriteU32(avi::kIndexEntryBytes * frames)) return false;
    std::array<std::uint8_t, kIndexBlockEntries * avi::kIndexEntryBytes> block;
    for (std::size_t first = 0; first < index_.size(); first += kIndexBlockEntries) {
        const std::size_t count = std::min(kIndexBlockEntries, index_.size() - first);
        std::uint8_t* at = block.data();
        for (std::size_t i = first; i < first + count; ++i, at += avi::kIndexEntryBytes) {
            avi::PutLe32(at, index_[i].chunk);
            avi::PutLe32(at + 4, index_[i].flags);
            avi::PutLe32(at + 8, index_[i].offset);
            avi::PutLe32(at + 12, index_[i].size);
        }
        if (!Write(block.data(), static_cast<std::uint32_t>(count * avi::kIndexEntryBytes))) {
            return false;
        }
    }
    riffSize_ += 8 + avi::kIndexEntryBytes * frames;
    return true;
}

int CAviWriter::Finish() {
    if (sink_ == nullptr) return 0;
    // A write that failed may have left part of a frame behind the last
    // whole one: the index goes right after the last whole frame.
    const std::uint32_t end = 8 + riffSize_;
    const bool failed = writeFailed_;
    bool ok = !failed;
    writeFailed_ = false;
    if (position_ != end) {
        ok = sink_->Seek(end) && ok;
        position_ = end;
    }
    const std::uint32_t frames = FrameCount();
    const std::uint32_t rate = rate_ != 0 ? rate_ : 1;
    main_.totalFrames = frames;
    main_.microSecPerFrame = avi::MicroSecPerFrame(rate);
    stream_.length = frames;
    stream_.scale = avi::StreamScale(rate);
    ok = WriteIndex() && ok;
    // The rest of the broken chunk, behind the index, would read as chunks
    // of its own: the file ends with its RIFF.
    if (failed) ok = sink_->Truncate(8 + riffSize_) && ok;
    ok = PatchU32(avi::kRiffSizeOffset, riffSize_) && ok;
    ok = PatchU32(moviSizePosition_, moviSize_) && ok;
    ok = PatchU32(avi::kTotalFramesOffset, main_.totalFrames) && ok;
    ok = PatchU32(avi::kLengthOffset, stream_.length) && ok;
    ok = PatchU32(avi::kMicroSecPerFrameOffset, main_.microSecPerFrame) && ok;
    ok = PatchU32(avi::kScaleOffset, stream_.scale) && ok;
    sink_->Close();
    sink_ = nullptr;
    file_.reset();
    return ok ? 1 : 0;
}

}  // namespace nodrix::files
