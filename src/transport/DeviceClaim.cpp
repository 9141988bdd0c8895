#include "transport/DeviceClaim.h"

#include <set>

#include "platform/RecursiveLock.h"

namespace nodrix::transport {

namespace {

// The device paths claimed in this process, and the lock every claim and
// release holds. Never destroyed: connections may end during static
// destruction.
struct Claimed {
    platform::RecursiveLock lock;
    std::set<std::string> paths;
};

Claimed& ProcessClaims() {
    static Claimed* claimed = new Claimed();
    return *claimed;
}

}  // namespace

std::unique_ptr<DeviceClaim> DeviceClaim::Take(platform::DriverPort& port,
                                               const std::string& path) {
    Claimed& claimed = ProcessClaims();
    platform::LockGuard guard(claimed.lock);
    if (claimed.paths.count(path) != 0) return nullptr;
    std::unique_ptr<platform::DeviceLock> lock = port.LockDevice(path.c_str());
    if (!lock) return nullptr;
    claimed.paths.insert(path);
    return std::unique_ptr<DeviceClaim>(new DeviceClaim(path, std::move(lock)));
}

DeviceClaim::DeviceClaim(std::string path, std::unique_ptr<platform::DeviceLock> lock)
    : path_(std::move(path)), lock_(std::move(lock)) {}

DeviceClaim::~DeviceClaim() {
    Claimed& claimed = ProcessClaims();
    platform::LockGuard guard(claimed.lock);
    lock_.reset();
    claimed.paths.erase(path_);
}

}  // namespace nodrix::transport
