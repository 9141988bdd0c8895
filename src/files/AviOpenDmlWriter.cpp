// The OpenDML writer: headers with a super index and the odml header, frame
// chunks, a standard index per update and per RIFF, idx1 in the first RIFF.
#include "files/AviOpenDmlWriter.h"

#include <algorithm>
#include <cstring>

#include "files/AviBytes.h"
#include "files/AviHeaders.h"

namespace nodrix::files {
namespace {

using avi::FourCc;
using avi::PutLe32;

constexpr std::uint32_t kSuperHeaderBytes = 24;
constexpr std::uint32_t kSuperEntryBytes = 16;
constexpr std::uint32_t kStandardHeaderBytes = 24;
constexpr std::uint32_t kStandardEntryBytes = 8;
constexpr std::uint32_t kDmlhBytes = 248;
constexpr std::uint32_t kOdmlListBytes = 4 + 8 + kDmlhBytes;
// bIndexType of a super index and of a standard index.
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
// Index entries reserved at the start so that frames do not allocate.
constexpr std::size_t kReservedPending = 4096;
constexpr std::size_t kMaxReservedFirstIndex = 1u << 20;

void PutLe64(std::uint8_t* at, std::uint64_t value) {
    PutLe32(at, static_cast<std::uint32_t>(value));
    PutLe32(at + 4, static_cast<std::uint32_t>(value >> 32));
}

// Appends little-endian fields to a byte vector.
class FieldBytes {
public:
    explicit FieldBytes(std::vector<std::uint8_t>& out) : out_(out) {}
    void U32(std::uint32_t v) {
        std::uint8_t b[4];
        PutLe32(b, v);
        out_.insert(out_.end(), b, b + 4);
    }
    void Code(const char (&code)[5]) { U32(FourCc(code)); }
    void Raw(const std::uint8_t* data, std::size_t size) {
        out_.insert(out_.end(), data, data + size);
    }
    void Zeros(std::size_t size) { out_.insert(out_.end(), size, 0); }
    std::size_t Size() const { return out_.size(); }

private:
    std::vector<std::uint8_t>& out_;
};

}  // namespace

AviOpenDmlWriter::~AviOpenDmlWriter() {
    Close();
}

void AviOpenDmlWriter::Close() {
    file_.Close();
    pending_.clear();
    firstIndex_.clear();
    superIndex_.clear();
}

bool AviOpenDmlWriter::WriteAt(std::uint64_t offset, const void* data, std::uint32_t size) {
    if (failed_) return false;
    if (filePosition_ != offset && !file_.Seek(offset)) {
        failed_ = true;
        return false;
    }
    if (!file_.Write(data, size)) {
        failed_ = true;
        filePosition_ = ~0ull;
        return false;
    }
    filePosition_ = offset + size;
    return true;
}

bool AviOpenDmlWriter::PatchU32(std::uint64_t offset, std::uint32_t value) {
    std::uint8_t bytes[4];
    PutLe32(bytes, value);
    return WriteAt(offset, bytes, 4);
}

bool AviOpenDmlWriter::Append(const void* data, std::uint32_t size) {
    if (!WriteAt(end_, data, size)) return false;
    end_ += size;
    return true;
}

bool AviOpenDmlWriter::Open(const char* fileName, const FrameLayout& layout,
                            std::uint32_t superIndexEntries, std::uint32_t startRate) {
    Close();
    layout_ = layout;
    failed_ = false;
    end_ = 0;
    filePosition_ = 0;
    frames_ = 0;
    firstRiffFrames_ = 0;
    firstRiff_ = true;
    riffClosed_ = false;
    superCapacity_ = std::max<std::uint32_t>(superIndexEntries, 2);
    if (layout.frameBytes == 0 || fileName == nullptr || fileName[0] == '\0') return false;
    if (!file_.OpenForWriting(fileName)) return false;
    pending_.reserve(kReservedPending);
    firstIndex_.reserve(static_cast<std::size_t>(
        std::min<std::uint64_t>(riffLimit_ / ChunkBytes() + 1, kMaxReservedFirstIndex)));
    superIndex_.reserve(superCapacity_);

    const std::uint32_t chunk = ChunkBytes();
    avi::MainHeader main = avi::StartMainHeader(layout.width, layout.height);
    main.maxBytesPerSec = 0;
    main.suggestedBufferSize = chunk;
    main.microSecPerFrame = avi::MicroSecPerFrame(startRate);
    avi::StreamHeader stream = avi::StartStreamHeader(layout.width, layout.height);
    stream.handler = layout.compression != 0 ? layout.compression : FourCc("DIB ");
    stream.suggestedBufferSize = chunk;
    stream.scale = avi::StreamScale(startRate);
    avi::StreamFormat format = avi::StartStreamFormat(layout.width, layout.height);
    format.bitCount = layout.bitCount;
    format.compression = layout.compression;
    format.imageSize = layout.frameBytes;
    format.colorsUsed = layout.paletteEntries;
    const std::uint32_t strfBytes = avi::kStreamFormatBytes + 4 * layout.paletteEntries;
    const std::uint32_t indxBytes = kSuperHeaderBytes + kSuperEntryBytes * superCapacity_;
    const std::uint32_t strlSize =
        4 + (8 + avi::kStreamHeaderBytes) + (8 + strfBytes) + (8 + indxBytes);
    const std::uint32_t hdrlSize =
        4 + (8 + avi::kMainHeaderBytes) + (8 + strlSize) + (8 + kOdmlListBytes);

    std::vector<std::uint8_t> header;
    header.reserve(hdrlSize + 64);
    FieldBytes b(header);
    b.Code("RIFF");
    b.U32(0);
    b.Code("AVI ");
    b.Code("LIST");
    b.U32(hdrlSize);
    b.Code("hdrl");
    b.Code("avih");
    b.U32(avi::kMainHeaderBytes);
    const auto mainBytes = avi::Encode(main);
    b.Raw(mainBytes.data(), mainBytes.size());
    b.Code("LIST");
    b.U32(strlSize);
    b.Code("strl");
    b.Code("strh");
    b.U32(avi::kStreamHeaderBytes);
    const auto streamBytes = avi::Encode(stream);
    b.Raw(streamBytes.data(), streamBytes.size());
    b.Code("strf");
    b.U32(strfBytes);
    const auto formatBytes = avi::Encode(format);
    b.Raw(formatBytes.data(), formatBytes.size());
    for (std::uint32_t i = 0; i < layout.paletteEntries; ++i) {
        const auto grey = static_cast<std::uint8_t>(i);
        const std::uint8_t entry[4] = {grey, grey, grey, 0};
        b.Raw(entry, 4);
    }
    indxAt_ = b.Size();
    b.Code("indx");
    b.U32(indxBytes);
    const std::uint8_t indexKind[4] = {4, 0, 0, kIndexOfIndexes};  // longs per entry, sub type
    b.Raw(indexKind, 4);
    b.U32(0);  // entries in use
    b.Code("00db");
    b.Zeros(12 + kSuperEntryBytes * superCapacity_);
    b.Code("LIST");
    b.U32(kOdmlListBytes);
    b.Code("odml");
    b.Code("dmlh");
    b.U32(kDmlhBytes);
    dmlhAt_ = b.Size();
    b.Zeros(kDmlhBytes);
    moviStart_ = b.Size();
    b.Code("LIST");
    b.U32(4);
    b.Code("movi");
    riffStart_ = 0;
    if (!Append(header.data(), static_cast<std::uint32_t>(header.size()))) return false;
    return PatchHeaders(startRate);
}

std::uint64_t AviOpenDmlWriter::ClosingBytes(std::uint64_t moreFrames) const {
    const std::uint64_t unindexed = pending_.size() + moreFrames;
    std::uint64_t bytes = 8 + kStandardHeaderBytes + kStandardEntryBytes * unindexed;
    if (firstRiff_) bytes += 8 + 16 * (firstIndex_.size() + moreFrames);
    return bytes;
}

AviOpenDmlWriter::Result AviOpenDmlWriter::AddChunks(const std::uint8_t* chunks,
                                                     std::uint32_t count) {
    if (!file_.IsOpen() || failed_) return Result::kFailed;
    const std::uint32_t chunk = ChunkBytes();
    while (count > 0) {
        // One entry stays free for the index that completes the file.
        if (superIndex_.size() + 2 > superCapacity_) return Result::kFull;
        const std::uint64_t used = end_ - riffStart_;
        const std::uint64_t perFrame = chunk + kStandardEntryBytes + (firstRiff_ ? 16 : 0);
        const std::uint64_t fixed = used + ClosingBytes(0);
        std::uint64_t fit = fixed < riffLimit_ ? (riffLimit_ - fixed) / perFrame : 0;
        if (fit == 0) {
            // Not even one frame fits a RIFF that holds none yet.
            if (end_ - moviStart_ <= 12) return Result::kFull;
            if (!CloseRiff() || !StartAvix()) return Result::kFailed;
            continue;
        }
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(fit, count));
        const std::uint64_t start = end_;
        if (!Append(chunks, n * chunk)) return Result::kFailed;
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint64_t at = start + static_cast<std::uint64_t>(i) * chunk;
            pending_.push_back(static_cast<std::uint32_t>(at + 8 - riffStart_));
            if (firstRiff_)
                firstIndex_.push_back(static_cast<std::uint32_t>(at - (moviStart_ + 8)));
        }
        frames_ += n;
        if (firstRiff_) firstRiffFrames_ += n;
        chunks += static_cast<std::size_t>(n) * chunk;
        count -= n;
    }
    return Result::kAdded;
}

bool AviOpenDmlWriter::WriteStandardIndex() {
    if (pending_.empty()) return true;
    if (superIndex_.size() >= superCapacity_) return false;
    const auto entries = static_cast<std::uint32_t>(pending_.size());
    const std::uint32_t size = kStandardHeaderBytes + kStandardEntryBytes * entries;
    scratch_.assign(8 + size, 0);
    std::uint8_t* p = scratch_.data();
    PutLe32(p, FourCc("ix00"));
    PutLe32(p + 4, size);
    p[8] = 2;  // longs per entry (16-bit)
    p[10] = 0;
    p[11] = kIndexOfChunks;
    PutLe32(p + 12, entries);
    PutLe32(p + 16, FourCc("00db"));
    PutLe64(p + 20, riffStart_);
    for (std::uint32_t i = 0; i < entries; ++i) {
        PutLe32(p + 32 + 8 * i, pending_[i]);
        PutLe32(p + 36 + 8 * i, layout_.frameBytes);
    }
    const std::uint64_t at = end_;
    if (!Append(scratch_.data(), 8 + size)) return false;
    superIndex_.push_back(SuperEntry{at, 8 + size, entries});
    pending_.clear();
    return true;
}

bool AviOpenDmlWriter::PatchHeaders(std::uint32_t rate) {
    const std::uint32_t r = rate != 0 ? rate : 1;
    const auto total = static_cast<std::uint32_t>(std::min<std::uint64_t>(frames_, 0xFFFFFFFFu));
    const auto first =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(firstRiffFrames_, 0xFFFFFFFFu));
    // The open RIFF and its movi list reach to what is written.
    bool ok = riffClosed_ ||
              (PatchU32(moviStart_ + 4, static_cast<std::uint32_t>(end_ - moviStart_ - 8)) &&
               PatchU32(riffStart_ + 4, static_cast<std::uint32_t>(end_ - riffStart_ - 8)));
    // Entries first, then the count that makes them visible.
    if (ok && !superIndex_.empty()) {
        const auto used = static_cast<std::uint32_t>(superIndex_.size());
        scratch_.assign(static_cast<std::size_t>(kSuperEntryBytes) * used, 0);
        for (std::uint32_t i = 0; i < used; ++i) {
            std::uint8_t* e = scratch_.data() + kSuperEntryBytes * i;
            PutLe64(e, superIndex_[i].offset);
            PutLe32(e + 8, superIndex_[i].size);
            PutLe32(e + 12, superIndex_[i].duration);
        }
        ok = WriteAt(indxAt_ + 8 + kSuperHeaderBytes, scratch_.data(),
                     static_cast<std::uint32_t>(scratch_.size())) &&
             PatchU32(indxAt_ + 8 + 4, used);
    }
    return ok && PatchU32(dmlhAt_, total) && PatchU32(avi::kTotalFramesOffset, first) &&
           PatchU32(avi::kLengthOffset, total) &&
           PatchU32(avi::kMicroSecPerFrameOffset, avi::MicroSecPerFrame(r)) &&
           PatchU32(avi::kScaleOffset, avi::StreamScale(r));
}

bool AviOpenDmlWriter::Update(std::uint32_t rate) {
    if (!file_.IsOpen() || failed_) return false;
    // The last free entry is kept for the index that completes the file.
    if (superIndex_.size() + 1 < superCapacity_ && !WriteStandardIndex()) return false;
    return PatchHeaders(rate);
}

bool AviOpenDmlWriter::CloseRiff() {
    if (!WriteStandardIndex()) return false;
    if (!PatchU32(moviStart_ + 4, static_cast<std::uint32_t>(end_ - moviStart_ - 8))) return false;
    if (firstRiff_) {
        // The plain index of the first RIFF, for players of plain AVI files.
        const auto entries = static_cast<std::uint32_t>(firstIndex_.size());
        scratch_.assign(8 + 16 * static_cast<std::size_t>(entries), 0);
        std::uint8_t* p = scratch_.data();
        PutLe32(p, FourCc("idx1"));
        PutLe32(p + 4, 16 * entries);
        for (std::uint32_t i = 0; i < entries; ++i) {
            std::uint8_t* e = p + 8 + 16 * i;
            PutLe32(e, FourCc("00db"));
            PutLe32(e + 4, avi::kIndexKeyFrame);
            PutLe32(e + 8, firstIndex_[i]);
            PutLe32(e + 12, layout_.frameBytes);
        }
        if (!Append(scratch_.data(), static_cast<std::uint32_t>(scratch_.size()))) return false;
    }
    if (!PatchU32(riffStart_ + 4, static_cast<std::uint32_t>(end_ - riffStart_ - 8))) return false;
    riffClosed_ = true;
    return true;
}

bool AviOpenDmlWriter::StartAvix() {
    std::uint8_t start[24];
    PutLe32(start, FourCc("RIFF"));
    PutLe32(start + 4, 16);
    PutLe32(start + 8, FourCc("AVIX"));
    PutLe32(start + 12, FourCc("LIST"));
    PutLe32(start + 16, 4);
    PutLe32(start + 20, FourCc("movi"));
    const std::uint64_t at = end_;
    if (!Append(start, sizeof start)) return false;
    riffStart_ = at;
    moviStart_ = at + 12;
    firstRiff_ = false;
    riffClosed_ = false;
    return true;
}

bool AviOpenDmlWriter::Finish(std::uint32_t rate) {
    if (!file_.IsOpen()) return false;
    // After a failed write the frames before it are still completed: the
    // index goes where the failed chunk began.
    const bool hadFailed = failed_;
    failed_ = false;
    filePosition_ = ~0ull;
    bool ok = CloseRiff();
    // A plain index that found no room must not keep the headers from
    // listing the standard indexes written before it: they are patched in
    // place, where the file already has its bytes.
    failed_ = false;
    filePosition_ = ~0ull;
    ok = PatchHeaders(rate) && ok;
    // Bytes of a write that failed, behind the last whole chunk, would read
    // as chunks of their own.
    ok = file_.Truncate(end_) && ok;
    Close();
    return ok && !hadFailed;
}

}  // namespace nodrix::files
