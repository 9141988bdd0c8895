#pragma once
// The file object of the image writers, the AVI writer, the mask file and the
// configuration file: either a file open for writing, or the whole content of
// a file read into memory and walked by a read position.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/FileHandle.h"

namespace nodrix::files {

class CBinaryFile {
public:
    CBinaryFile() = default;
    ~CBinaryFile();
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    // Closes what is open, then opens the file for writing: an existing file
    // is emptied, a missing one created. False when neither works.
    bool OpenForWriting(const char* fileName);
    // Writes size bytes at the current position. False when no file is open
    // or not every byte could be written.
    bool Write(const void* data, std::uint32_t size);
    // Moves the write position (AVI headers are patched after the frames).
    bool Seek(std::uint64_t offset);
    bool SeekToEnd();
    // Cuts the file open for writing to size bytes.
    bool Truncate(std::uint64_t size);
    bool Position(std::uint64_t* position) const;

    // Closes what is open and reads the whole file into memory; the file
    // itself is closed again. False when it cannot be opened or read, or is
    // 4 GiB or larger.
    bool ReadWholeFile(const char* fileName);
    // The block read by ReadWholeFile (null when none), its size, and a read
    // position over it.
    const std::uint8_t* Data() const { return start_; }
    std::uint32_t DataSize() const { return dataSize_; }
    std::uint32_t Remaining() const { return static_cast<std::uint32_t>(end_ - current_); }
    // Copies the next size bytes of the block out and advances; false (and
    // nothing copied) when fewer remain.
    bool Read(void* out, std::uint32_t size);

    bool IsOpen() const { return file_.IsOpen(); }
    // Drops the data, frees the block and closes the file.
    void Close();

private:
    platform::FileHandle file_;
    const std::uint8_t* start_ = nullptr;
    const std::uint8_t* end_ = nullptr;
    const std::uint8_t* current_ = nullptr;
    std::uint32_t dataSize_ = 0;
    std::unique_ptr<std::uint8_t[]> block_;
};

}  // namespace nodrix::files
