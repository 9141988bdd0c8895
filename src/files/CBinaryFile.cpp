#include "files/CBinaryFile.h"

#include <cstring>
#include <new>

namespace nodrix::files {

CBinaryFile::~CBinaryFile() {
    Close();
}

bool CBinaryFile::OpenForWriting(const char* fileName) {
    Close();
    if (!file_.OpenForWriting(fileName)) return false;
    std::uint64_t size = 0;
    if (file_.Size(&size)) dataSize_ = static_cast<std::uint32_t>(size);
    return true;
}

bool CBinaryFile::Write(const void* data, std::uint32_t size) {
    if (!file_.IsOpen()) return false;
    if (size == 0) return true;
    if (data == nullptr || !file_.Write(data, size)) return false;
    std::uint64_t position = 0;
    if (file_.Tell(&position) && position > dataSize_) {
        dataSize_ = position > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(position);
    }
    return true;
}

bool CBinaryFile::Seek(std::uint64_t offset) {
    return file_.Seek(offset);
}

bool CBinaryFile::Truncate(std::uint64_t size) {
    if (!file_.Truncate(size)) return false;
    if (size < dataSize_) dataSize_ = static_cast<std::uint32_t>(size);
    return true;
}

bool CBinaryFile::SeekToEnd() {
    return file_.SeekToEnd();
}

bool CBinaryFile::Position(std::uint64_t* position) const {
    return position != nullptr && file_.Tell(position);
}

bool CBinaryFile::ReadWholeFile(const char* fileName) {
    Close();
    if (!file_.OpenForReading(fileName)) return false;
    std::uint64_t size = 0;
    bool ok = file_.Size(&size) && size < UINT32_MAX;
    std::unique_ptr<std::uint8_t[]> block;
    if (ok) {
        // One byte more than the file, so an empty file still has a block.
        block.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size) + 1]);
        ok = block != nullptr;
    }
    std::uint32_t filled = 0;
    while (ok && filled < size) {
        std::uint32_t got = 0;
        ok = file_.Read(block.get() + filled, static_cast<std::uint32_t>(size) - filled, &got);
        // A file that shrank while it was read ends early.
        if (got == 0) ok = false;
        filled += got;
    }
    file_.Close();
    if (!ok) return false;
    block_ = std::move(block);
    dataSize_ = filled;
    start_ = block_.get();
    end_ = start_ + filled;
    current_ = start_;
    return true;
}

bool CBinaryFile::Read(void* out, std::uint32_t size) {
    if (size > Remaining() || (size > 0 && out == nullptr)) return false;
    if (size > 0) std::memcpy(out, current_, size);
    current_ += size;
    return true;
}

void CBinaryFile::Close() {
    start_ = end_ = current_ = nullptr;
    dataSize_ = 0;
    block_.reset();
    file_.Close();
}

}  // namespace nodrix::files
