// On Windows the tool runs itself again as a child process, finds the
// driver through its device interface class, and looks exports up in the
// SDK's DLL.
#include <windows.h>
// setupapi.h needs windows.h before it.
#include <process.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "ToolProcess.h"

namespace nodrix_tool {

namespace {

// _spawnv joins the arguments with spaces: each is quoted the way the C
// runtime splits a command line again (backslashes double before a quote).
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

}  // namespace

int RerunWithEmulation(int argc, char** argv) {
    if (!SetEnvironmentVariableA("NODRIX_EMULATION", "1")) return -1;
    char path[MAX_PATH];
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return -1;
    std::vector<std::string> quoted(argv, argv + argc);
    std::vector<const char*> arguments;
    for (std::string& argument : quoted) {
        argument = Quoted(argument);
        arguments.push_back(argument.c_str());
    }
    arguments.push_back(nullptr);
    const intptr_t status = _spawnv(_P_WAIT, path, arguments.data());
    return status < 0 ? -1 : static_cast<int>(status);
}

bool CameraDriverInstalled() {
    // The interface class under which the driver exposes every camera; a
    // class with no interface ever registered means no driver.
    static const GUID kCameraInterfaceClass = {
        0x328184C5u, 0x93E6u, 0x49B7u, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};
    HDEVINFO set =
        SetupDiGetClassDevsA(&kCameraInterfaceClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof data;
    const bool found =
        SetupDiEnumDeviceInterfaces(set, nullptr, &kCameraInterfaceClass, 0, &data) != FALSE;
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

}  // namespace nodrix_tool
