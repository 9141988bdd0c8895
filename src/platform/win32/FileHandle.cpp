#include "platform/FileHandle.h"

#include <windows.h>

#include "platform/SystemError.h"

namespace nodrix::platform {
namespace {

constexpr std::intptr_t kNone = -1;

HANDLE AsHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace

FileHandle::~FileHandle() {
    Close();
}

bool FileHandle::OpenForWriting(const char* name) {
    Close();
    if (name == nullptr || name[0] == '\0') return false;
    // Truncating first keeps an existing file's attributes and security;
    // only a missing file is created.
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return NoteSystemError(), false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool FileHandle::OpenForReading(const char* name) {
    Close();
    if (name == nullptr || name[0] == '\0') return false;
    HANDLE h =
        CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return NoteSystemError(), false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

void FileHandle::Close() {
    if (handle_ != kNone) CloseHandle(AsHandle(handle_));
    handle_ = kNone;
}

bool FileHandle::IsOpen() const {
    return handle_ != kNone;
}

bool FileHandle::Write(const void* data, std::uint32_t size) {
    if (handle_ == kNone) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, size, &written, nullptr)) {
            return NoteSystemError(), false;
        }
        if (written == 0) {
            // A write that takes nothing means the disk has no room left.
            SetLastError(ERROR_DISK_FULL);
            return NoteSystemError(), false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool FileHandle::Read(void* data, std::uint32_t size, std::uint32_t* got) {
    *got = 0;
    if (handle_ == kNone) return false;
    DWORD read = 0;
    if (!ReadFile(AsHandle(handle_), data, size, &read, nullptr)) return NoteSystemError(), false;
    *got = read;
    return true;
}

bool FileHandle::Size(std::uint64_t* size) const {
    if (handle_ == kNone) return false;
    DWORD high = 0;
    const DWORD low = GetFileSize(AsHandle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *size = (std::uint64_t{high} << 32) | low;
    return true;
}

namespace {

bool MovePointer(std::intptr_t handle, std::int64_t distance, DWORD method,
                 std::uint64_t* position) {
    if (handle == kNone) return false;
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER now;
    if (!SetFilePointerEx(AsHandle(handle), move, &now, method)) return false;
    if (position != nullptr) *position = static_cast<std::uint64_t>(now.QuadPart);
    return true;
}

}  // namespace

bool FileHandle::Seek(std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return MovePointer(handle_, static_cast<std::int64_t>(offset), FILE_BEGIN, nullptr);
}

bool FileHandle::SeekToEnd() {
    return MovePointer(handle_, 0, FILE_END, nullptr);
}

bool FileHandle::Tell(std::uint64_t* position) const {
    return MovePointer(handle_, 0, FILE_CURRENT, position);
}

bool FileHandle::Truncate(std::uint64_t size) {
    if (size > static_cast<std::uint64_t>(INT64_MAX) ||
        !MovePointer(handle_, static_cast<std::int64_t>(size), FILE_BEGIN, nullptr)) {
        return false;
    }
    return SetEndOfFile(AsHandle(handle_)) != 0 || (NoteSystemError(), false);
}

bool RemoveFile(const char* name) {
    return name != nullptr && DeleteFileA(name) != 0;
}

}  // namespace nodrix::platform
