#include "platform/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SystemError.h"

namespace nodrix::platform {
namespace {

int OpenRetrying(const char* name, int flags) {
    int fd;
    do {
        fd = ::open(name, flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FileHandle::~FileHandle() {
    Close();
}

bool FileHandle::OpenForWriting(const char* name) {
    Close();
    if (name == nullptr || name[0] == '\0') return false;
    // As on Windows: empty an existing file, else create a new one.
    int fd = OpenRetrying(name, O_WRONLY | O_TRUNC);
    if (fd < 0 && errno == ENOENT) fd = OpenRetrying(name, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) return NoteSystemError(), false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A device or pipe is not a file the writers can produce.
        ::close(fd);
        errno = EINVAL;
        return NoteSystemError(), false;
    }
    handle_ = fd;
    return true;
}

bool FileHandle::OpenForReading(const char* name) {
    Close();
    if (name == nullptr || name[0] == '\0') return false;
    const int fd = OpenRetrying(name, O_RDONLY);
    if (fd < 0) return NoteSystemError(), false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return NoteSystemError(), false;
    }
    handle_ = fd;
    return true;
}

void FileHandle::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool FileHandle::IsOpen() const {
    return handle_ >= 0;
}

bool FileHandle::Write(const void* data, std::uint32_t size) {
    if (handle_ < 0) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        // A write that takes nothing means the disk has no room left.
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return NoteSystemError(), false;
        bytes += n;
        size -= static_cast<std::uint32_t>(n);
    }
    return true;
}

bool FileHandle::Read(void* data, std::uint32_t size, std::uint32_t* got) {
    *got = 0;
    if (handle_ < 0) return false;
    ssize_t n;
    do {
        n = ::read(static_cast<int>(handle_), data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return NoteSystemError(), false;
    *got = static_cast<std::uint32_t>(n);
    return true;
}

bool FileHandle::Size(std::uint64_t* size) const {
    if (handle_ < 0) return false;
    struct stat info {};
    if (fstat(static_cast<int>(handle_), &info) != 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool FileHandle::Seek(std::uint64_t offset) {
    if (handle_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    if (::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) {
        return NoteSystemError(), false;
    }
    return true;
}

bool FileHandle::SeekToEnd() {
    return handle_ >= 0 && ::lseek(static_cast<int>(handle_), 0, SEEK_END) >= 0;
}

bool FileHandle::Tell(std::uint64_t* position) const {
    if (handle_ < 0) return false;
    const off_t now = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    if (now < 0) return false;
    *position = static_cast<std::uint64_t>(now);
    return true;
}

bool FileHandle::Truncate(std::uint64_t size) {
    if (handle_ < 0 || size > static_cast<std::uint64_t>(INT64_MAX)) return false;
    int result;
    do {
        result = ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    return result == 0 || (NoteSystemError(), false);
}

bool RemoveFile(const char* name) {
    // Only a regular file: a writer that failed on a device must not take
    // the device node with it.
    struct stat info {};
    if (name == nullptr || ::lstat(name, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return ::unlink(name) == 0;
}

}  // namespace nodrix::platform
