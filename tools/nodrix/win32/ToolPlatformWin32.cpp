// The tool on Windows: console control events, the driver's interface
// class, and a stream without the extension API as a callback preview to a
// message-only window whose queue the tool pumps (one message per frame,
// with the frame rate that the SDK measured in its FrameInfo record).
#include <windows.h>
// setupapi.h needs windows.h before it.
#include <io.h>
#include <process.h>
#include <setupapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "NodrixSdk.h"
#include "ToolPlatform.h"

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

namespace {
volatile LONG g_interrupted = 0;
BOOL WINAPI OnConsoleEvent(DWORD) {
    InterlockedExchange(&g_interrupted, 1);
    return TRUE;
}
}  // namespace

void CatchInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted() {
    return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0;
}

bool StdoutIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

void* SdkFunction(const char* name) {
    HMODULE sdk = GetModuleHandleA("NodrixSdk_T520_USB3.dll");
    return sdk != nullptr ? reinterpret_cast<void*>(GetProcAddress(sdk, name)) : nullptr;
}

bool StreamFrames(int handle, double seconds, const StreamProgress& progress,
                  StreamResult* result) {
    *result = StreamResult{};
    HWND window = CreateWindowExA(0, "STATIC", "nodrix stream", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        result->error = NODRIX_ERROR_WINDOW;
        return false;
    }
    Nodrix_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    const int bits = Nodrix_GetColorMode(handle);
    const int stride = (Nodrix_Width(handle) * (bits / 8) + 3) & ~3;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(stride) * Nodrix_Height(handle));
    if (!Nodrix_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()),
                                1)) {
        result->error = Nodrix_GetLastError(handle);
        DestroyWindow(window);
        return false;
    }
    const DWORD start = GetTickCount();
    DWORD nextProgress = start;
    const DWORD length = static_cast<DWORD>(seconds * 1000.0);
    int rate10 = 0;
    bool lost = false;
    while (!lost && !Interrupted() && GetTickCount() - start < length) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == NODRIX_WM_FRAME) {
                if (msg.wParam != 0) {
                    ++result->frames;
                    rate10 = reinterpret_cast<const FrameInfo*>(msg.wParam)->frameRate10;
                } else if (msg.lParam == NODRIX_ERROR_CAMERA_LOST) {
                    result->error = NODRIX_ERROR_CAMERA_LOST;
                    lost = true;
                } else {
                    result->error = static_cast<int>(msg.lParam);
                }
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() >= nextProgress) {
            progress(result->frames, (GetTickCount() - start) / 1000.0);
            nextProgress = GetTickCount() + 250;
        }
    }
    Nodrix_StopPreview(handle);
    progress(result->frames, (GetTickCount() - start) / 1000.0);
    DestroyWindow(window);
    // The SDK's own measurement covers whole seconds; a stream shorter
    // than that falls back to the count.
    const double elapsed = (GetTickCount() - start) / 1000.0;
    result->seconds = elapsed;
    result->rateFps = rate10 > 0 ? rate10 / 10.0 : (elapsed > 0 ? result->frames / elapsed : 0);
    return true;
}

}  // namespace nodrix_tool
