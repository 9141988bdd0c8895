// The second process of the shared-memory tests: platform_ipc_helper,
// found beside the test's own executable.
#include <windows.h>

#include "platform/SharedMemoryRoles.h"

namespace nodrix::platform::test {

int RunInOtherProcess(const std::string& role, const std::string& name, std::size_t size) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string helper(path, length);
    helper = helper.substr(0, helper.find_last_of("\\/") + 1) + "platform_ipc_helper.exe";
    std::string commandLine =
        "\"" + helper + "\" " + role + " " + name + " " + std::to_string(size);
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
    return static_cast<int>(code);
}

// A Windows object goes with its last handle; nothing is left to remove.
TestObjectName::TestObjectName(const char* what)
    : name_(std::string("NodrixTest-") + what + "-" + std::to_string(GetCurrentProcessId())) {}

TestObjectName::~TestObjectName() = default;

}  // namespace nodrix::platform::test
