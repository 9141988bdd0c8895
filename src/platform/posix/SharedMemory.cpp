#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

#include "platform/posix/ShmName.h"

namespace nodrix::platform {
namespace {

int LockFile(int fd, int operation) {
    int result;
    do {
        result = flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Whether the object behind fd has been unlinked by a last user since it
// was opened: its lock then guards nothing that others can find, and the
// name must be opened again.
bool Unlinked(int fd) {
    struct stat info {};
    return fstat(fd, &info) != 0 || info.st_nlink == 0;
}

// Opens the users object of a block with the shared lock held, on the object
// that the name currently denotes; alone tells whether no
// other process was using it.
int OpenUsers(const std::string& usersName, bool* alone) {
    for (;;) {
        const int fd = shm_open(usersName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return -1;
        *alone = LockFile(fd, LOCK_EX | LOCK_NB) == 0;
        if (LockFile(fd, LOCK_SH) != 0) {
            close(fd);
            return -1;
        }
        if (!Unlinked(fd)) return fd;
        close(fd);  // a last user removed it meanwhile: take the new one
    }
}

}  // namespace

// A Windows file mapping disappears with the last handle to it, so a
// crashed process leaves nothing behind once every user has gone. POSIX
// shared memory persists until unlinked; to behave alike, every user holds
// a shared lock on a companion "users" object, and whoever closes last
// (gets the exclusive lock) unlinks the block; so does the first opener
// after users that were killed. Opening takes the shared lock first, so it
// cannot race with an unlink. The last user removes the users object too,
// with the exclusive lock held; an opener that finds it removed under its
// lock opens it again.
struct SharedMemory::Impl {
    std::string name;
    std::string usersName;
    int usersFd = -1;
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

SharedMemory::SharedMemory() : impl_(std::make_unique<Impl>()) {}

SharedMemory::~SharedMemory() {
    Close();
}

bool SharedMemory::OpenOrCreate(const std::string& name, std::size_t size, bool* existed) {
    Close();
    if (size == 0) return false;
    const std::string shmName = detail::ShmName(name);
    const std::string usersName = detail::ShmName(name, ".users");
    bool alone = false;
    const int usersFd = OpenUsers(usersName, &alone);
    if (usersFd < 0) return false;
    // Nobody else holds it: whatever block is left came from processes that
    // died, which a Windows mapping would not outlive either.
    if (alone) shm_unlink(shmName.c_str());
    bool created = true;
    int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0666);
    }
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 ||
        (static_cast<std::size_t>(info.st_size) < size &&
         ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        // A creator that has not sized the block yet leaves it short; the
        // sizing above is idempotent (new bytes read as zero).
        if (fd >= 0) close(fd);
        if (created) shm_unlink(shmName.c_str());
        close(usersFd);
        return false;
    }
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED) {
        close(usersFd);
        return false;
    }
    impl_->name = shmName;
    impl_->usersName = usersName;
    impl_->usersFd = usersFd;
    impl_->data = static_cast<std::uint8_t*>(mapped);
    impl_->size = size;
    if (existed) *existed = !created;
    return true;
}

void SharedMemory::Close() {
    if (impl_->data) munmap(impl_->data, impl_->size);
    if (impl_->usersFd >= 0) {
        if (LockFile(impl_->usersFd, LOCK_EX | LOCK_NB) == 0) {
            shm_unlink(impl_->name.c_str());
            shm_unlink(impl_->usersName.c_str());
        }
        close(impl_->usersFd);
    }
    impl_->data = nullptr;
    impl_->size = 0;
    impl_->usersFd = -1;
    impl_->name.clear();
    impl_->usersName.clear();
}

std::uint8_t* SharedMemory::Data() const {
    return impl_->data;
}

std::size_t SharedMemory::Size() const {
    return impl_->size;
}

// A Windows mutex is owned by a thread and re-entrant for it; the owner's
// death releases it. Here a file lock (released by the kernel when the
// process dies) excludes other processes, and a recursive mutex the other
// threads of this process, which share the file lock. A user that closes
// while nobody holds the lock removes the lock file; whoever then locks the
// removed file notices and locks the one the name denotes now, so that the
// file lives only while the mutex is in use.
struct NamedMutex::Impl {
    std::recursive_mutex local;
    int depth = 0;
    int fd = -1;
    std::string name;

    void CloseFile() {
        if (fd < 0) return;
        if (LockFile(fd, LOCK_EX | LOCK_NB) == 0 && !Unlinked(fd)) shm_unlink(name.c_str());
        close(fd);
        fd = -1;
    }
};

NamedMutex::NamedMutex() : impl_(std::make_unique<Impl>()) {}

NamedMutex::~NamedMutex() {
    impl_->CloseFile();
}

bool NamedMutex::Open(const std::string& name) {
    impl_->CloseFile();
    impl_->name = detail::ShmName(name, ".mutex");
    impl_->fd = shm_open(impl_->name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    return impl_->fd >= 0;
}

void NamedMutex::lock() {
    impl_->local.lock();
    if (impl_->depth++ != 0 || impl_->fd < 0) return;
    for (;;) {
        LockFile(impl_->fd, LOCK_EX);
        if (!Unlinked(impl_->fd)) return;
        const int fresh = shm_open(impl_->name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fresh < 0) return;  // keeps the lock it has: excludes this process at least
        close(impl_->fd);
        impl_->fd = fresh;
    }
}

void NamedMutex::unlock() {
    if (--impl_->depth == 0 && impl_->fd >= 0) LockFile(impl_->fd, LOCK_UN);
    impl_->local.unlock();
}

}  // namespace nodrix::platform
