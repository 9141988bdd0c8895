#include <windows.h>

#include <string>

#include "Spawn.h"

namespace nodrix_viewer {

bool SpawnViewer(int device) {
    char program[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, program, MAX_PATH) == 0) return false;
    std::string command = std::string("\"") + program + "\" --device " + std::to_string(device + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace nodrix_viewer
