#pragma once
// The second process of the shared-memory tests: what it does with a named
// block or mutex, and how a test runs it in another process (forked
// natively, platform_ipc_helper on Windows).
//   map <name> <size>   opens the block, checks the first process's marks
//                       (0x5A first, 0xA5 last), marks offset 100 with 0xAB
//   abandon <name>      takes the mutex and ends without releasing it
// Exit code 0 when every check held, a distinct code for each failed one.

#include <cstddef>
#include <string>

namespace nodrix::platform::test {

int RunSharedMemoryRole(const std::string& role, const std::string& name, std::size_t size);

// Runs the role in another process and returns its exit code.
int RunInOtherProcess(const std::string& role, const std::string& name, std::size_t size = 0);

// A name of this process alone; whatever the system keeps beside a block or
// mutex of that name is removed when the test ends.
class TestObjectName {
public:
    explicit TestObjectName(const char* what);
    ~TestObjectName();
    TestObjectName(const TestObjectName&) = delete;
    TestObjectName& operator=(const TestObjectName&) = delete;
    operator const std::string&() const { return name_; }

private:
    std::string name_;
};

}  // namespace nodrix::platform::test
