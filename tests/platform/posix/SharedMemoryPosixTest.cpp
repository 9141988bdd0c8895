// What only the POSIX objects behind a block can get wrong: a process
// killed while holding a block or its mutex, and the companion objects
// left in /dev/shm.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/SharedMemory.h"
#include "platform/SharedMemoryRoles.h"
#include "platform/posix/ShmName.h"

namespace nodrix::platform {
namespace {

using test::TestObjectName;

constexpr std::size_t kSize = 8584;

// Runs child in a forked process and returns its exit status.
template <typename Child>
int RunInChild(Child child) {
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SharedMemoryPosixTest, BlockOfAKilledLastUserVanishes) {
    const TestObjectName name("killed");
    EXPECT_EQ(RunInChild([&] {
                  SharedMemory crashed;
                  bool childExisted = true;
                  if (!crashed.OpenOrCreate(name, kSize, &childExisted) || childExisted) return 1;
                  crashed.Data()[7] = 9;
                  kill(getpid(), SIGKILL);
                  return 2;
              }),
              -1);
    SharedMemory fresh;
    bool existed = true;
    ASSERT_TRUE(fresh.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh.Data()[7], 0);
}

// The helper objects go with their last user, like the block itself.
TEST(SharedMemoryPosixTest, NothingIsLeftAfterTheLastUser) {
    const TestObjectName name("leftover");
    const std::string base = detail::ShmName(name);
    const auto exists = [](const std::string& object) {
        const int fd = shm_open(object.c_str(), O_RDONLY, 0);
        if (fd >= 0) close(fd);
        return fd >= 0;
    };
    {
        SharedMemory first;
        SharedMemory second;
        NamedMutex lockA;
        NamedMutex lockB;
        bool existed = false;
        ASSERT_TRUE(first.OpenOrCreate(name, kSize, &existed));
        ASSERT_TRUE(second.OpenOrCreate(name, kSize, &existed));
        ASSERT_TRUE(lockA.Open(name));
        ASSERT_TRUE(lockB.Open(name));
        first.Close();
        { std::lock_guard<NamedMutex> guard(lockA); }
        EXPECT_TRUE(exists(base + ".users"));
    }
    for (const char* suffix : {"", ".users", ".mutex"}) {
        EXPECT_FALSE(exists(base + suffix)) << suffix;
    }
}

TEST(SharedMemoryPosixTest, NamedMutexOfAKilledOwnerIsTakenOver) {
    const TestObjectName name("mutex");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        NamedMutex held;
        if (!held.Open(name)) _exit(1);
        held.lock();
        const char byte = 1;
        (void)!write(ready[1], &byte, 1);
        for (;;) pause();
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    NamedMutex mutex;
    ASSERT_TRUE(mutex.Open(name));
    { std::lock_guard<NamedMutex> guard(mutex); }
    close(ready[0]);
    close(ready[1]);
}

}  // namespace
}  // namespace nodrix::platform
