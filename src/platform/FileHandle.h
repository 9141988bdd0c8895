#pragma once
// One operating system file handle: a Win32 file handle on Windows, a file
// descriptor natively. Names are narrow strings passed to the system as they
// are (the thread's ANSI code page on Windows, bytes natively).

#include <cstdint>

namespace nodrix::platform {

class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens for writing without sharing: an existing file is emptied, a
    // missing one created. Closes what was open first.
    bool OpenForWriting(const char* name);
    // Opens an existing file for reading without sharing.
    bool OpenForReading(const char* name);
    void Close();
    bool IsOpen() const;

    // Writes all size bytes at the current position; false on any error or
    // short write.
    bool Write(const void* data, std::uint32_t size);
    // Reads up to size bytes; *got receives the number read (0 at the end).
    bool Read(void* data, std::uint32_t size, std::uint32_t* got);
    // The file's size in bytes; false when it cannot be told.
    bool Size(std::uint64_t* size) const;
    // Moves the current position to offset bytes from the start, or to the
    // end; Tell reports it.
    bool Seek(std::uint64_t offset);
    bool SeekToEnd();
    bool Tell(std::uint64_t* position) const;
    // Cuts the file (or lengthens it) to size bytes.
    bool Truncate(std::uint64_t size);

private:
    std::intptr_t handle_ = -1;
};

// Deletes the named regular file; false when it could not be deleted.
bool RemoveFile(const char* name);

}  // namespace nodrix::platform
