#include "platform/DeviceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace nodrix::platform {

namespace {

class FileLock final : public DeviceLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override {
        if (fd_ >= 0) close(fd_);  // closing the file releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

// /tmp/nodrix-camera.<namespace>.<path>.lock, every character of the path
// outside [A-Za-z0-9.-] as '_': one file per camera, machine-wide.
std::string LockFileName(const char* path) {
    std::string name = "/tmp/nodrix-camera.";
    const auto append = [&](const char* text) {
        for (; *text != '\0'; ++text) {
            const auto c = static_cast<unsigned char>(*text);
            name += std::isalnum(c) || c == '.' || c == '-' ? static_cast<char>(c) : '_';
        }
    };
    if (const char* scope = std::getenv("NODRIX_OBJECT_NAMESPACE"); scope && *scope) {
        append(scope);
        name += '.';
    }
    append(path);
    return name + ".lock";
}

}  // namespace

std::unique_ptr<DeviceLock> LockDeviceAcrossProcesses(const char* path) {
    if (path == nullptr) return std::make_unique<DeviceLock>();
    const std::string name = LockFileName(path);
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return std::make_unique<DeviceLock>();
    // Readable and writable by the other users of the seat, whatever the
    // creator's umask.
    fchmod(fd, 0666);
    // flock belongs to the open file: a second open of the same file, in
    // this process or another, is refused until the first is closed, and a
    // process that dies releases it.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) return nullptr;
        return std::make_unique<DeviceLock>();
    }
    return std::make_unique<FileLock>(fd);
}

}  // namespace nodrix::platform
