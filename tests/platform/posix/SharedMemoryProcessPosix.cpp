// The second process of the shared-memory tests, forked.
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SharedMemoryRoles.h"

namespace nodrix::platform::test {

int RunInOtherProcess(const std::string& role, const std::string& name, std::size_t size) {
    const pid_t pid = fork();
    if (pid == 0) _exit(RunSharedMemoryRole(role, name, size));
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TestObjectName::TestObjectName(const char* what)
    : name_(std::string("NodrixTest-") + what + "-" + std::to_string(getpid())) {}

// The lock companions outlive a test that failed half-way.
TestObjectName::~TestObjectName() {
    shm_unlink(("/" + name_ + ".users").c_str());
    shm_unlink(("/" + name_ + ".mutex").c_str());
}

}  // namespace nodrix::platform::test
