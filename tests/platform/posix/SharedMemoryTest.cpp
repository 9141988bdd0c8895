#include "platform/SharedMemory.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>

#include "platform/posix/ShmName.h"

namespace nodrix::platform {
namespace {

constexpr std::size_t kSize = 8584;

// Names of this process alone; the lock companions that outlive every
// block are removed when the test ends.
class UniqueName {
public:
    explicit UniqueName(const char* what)
        : name_(std::string("NodrixTest-") + what + "-" + std::to_string(getpid())) {}
    ~UniqueName() {
        shm_unlink(("/" + name_ + ".users").c_str());
        shm_unlink(("/" + name_ + ".mutex").c_str());
    }
    operator const std::string&() const { return name_; }

private:
    std::string name_;
};

// Runs child in a forked process and returns its exit status.
template <typename Child>
int RunInChild(Child child) {
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SharedMemoryTest, SecondProcessSeesTheSameBlock) {
    const UniqueName name("map");
    SharedMemory memory;
    bool existed = true;
    ASSERT_TRUE(memory.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    ASSERT_EQ(memory.Size(), kSize);
    for (std::size_t i = 0; i < kSize; ++i) EXPECT_EQ(memory.Data()[i], 0) << i;
    memory.Data()[0] = 0x5A;
    memory.Data()[kSize - 1] = 0xA5;

    const int status = RunInChild([&] {
        SharedMemory other;
        bool otherExisted = false;
        if (!other.OpenOrCreate(name, kSize, &otherExisted)) return 1;
        if (!otherExisted) return 2;
        if (other.Data()[0] != 0x5A || other.Data()[kSize - 1] != 0xA5) return 3;
        other.Data()[100] = 0xAB;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(memory.Data()[100], 0xAB);
}

TEST(SharedMemoryTest, BlockVanishesWithItsLastUser) {
    const UniqueName name("last");
    bool existed = true;
    {
        SharedMemory first;
        ASSERT_TRUE(first.OpenOrCreate(name, kSize, &existed));
        SharedMemory second;
        ASSERT_TRUE(second.OpenOrCreate(name, kSize, &existed));
        EXPECT_TRUE(existed);
        first.Data()[7] = 1;
        first.Close();
        EXPECT_EQ(second.Data()[7], 1);  // still held by second
    }
    // A process that died holding the block leaves nothing behind either.
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
    ASSERT_TRUE(fresh.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh.Data()[7], 0);
}

// The helper objects go with their last user, like the block itself.
TEST(SharedMemoryTest, NothingIsLeftAfterTheLastUser) {
    const UniqueName name("leftover");
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

TEST(SharedMemoryTest, NamedMutexOfAKilledOwnerIsTakenOver) {
    const UniqueName name("mutex");
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

TEST(SharedMemoryTest, NamedMutexExcludesThreadsAndReenters) {
    NamedMutex mutex;
    ASSERT_TRUE(mutex.Open(UniqueName("threads")));
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            std::lock_guard<NamedMutex> guard(mutex);
            std::lock_guard<NamedMutex> again(mutex);
            ++counter;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 4000);
}

}  // namespace
}  // namespace nodrix::platform
