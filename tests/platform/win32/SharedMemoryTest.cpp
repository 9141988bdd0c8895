#include "platform/SharedMemory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>

namespace nodrix::platform {
namespace {

constexpr std::size_t kSize = 8584;

std::string UniqueName(const char* what) {
    return std::string("NodrixTest-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// Runs the helper beside this executable and returns its exit code.
DWORD RunHelper(const std::string& arguments) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string helper(path, length);
    helper = helper.substr(0, helper.find_last_of("\\/") + 1) + "platform_ipc_helper.exe";
    std::string commandLine = "\"" + helper + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return 0xFFFF;
    }
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0xFFFE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(SharedMemoryTest, SecondProcessSeesTheSameBlock) {
    const std::string name = UniqueName("map");
    SharedMemory memory;
    bool existed = true;
    ASSERT_TRUE(memory.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    for (std::size_t i = 0; i < kSize; ++i) ASSERT_EQ(memory.Data()[i], 0) << i;
    memory.Data()[0] = 0x5A;
    memory.Data()[kSize - 1] = 0xA5;
    EXPECT_EQ(RunHelper("map " + name + " " + std::to_string(kSize)), 0u);
    EXPECT_EQ(memory.Data()[100], 0xAB);
}

TEST(SharedMemoryTest, BlockVanishesWithItsLastUser) {
    const std::string name = UniqueName("last");
    bool existed = true;
    {
        SharedMemory first;
        ASSERT_TRUE(first.OpenOrCreate(name, kSize, &existed));
        SharedMemory second;
        ASSERT_TRUE(second.OpenOrCreate(name, kSize, &existed));
        EXPECT_TRUE(existed);
        first.Data()[7] = 1;
        first.Close();
        EXPECT_EQ(second.Data()[7], 1);
    }
    SharedMemory fresh;
    ASSERT_TRUE(fresh.OpenOrCreate(name, kSize, &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh.Data()[7], 0);
}

TEST(SharedMemoryTest, NamedMutexAbandonedByAnExitedProcessIsTakenOver) {
    const std::string name = UniqueName("mutex");
    NamedMutex mutex;
    ASSERT_TRUE(mutex.Open(name));
    ASSERT_EQ(RunHelper("abandon " + name), 0u);
    { std::lock_guard<NamedMutex> guard(mutex); }
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
