#include <windows.h>

#include <string>

#include "ThreadName.h"

namespace nodrix_viewer {

void NameThisThread(const char* name) {
    // Windows 10 and later only: looked up, not imported.
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return;
    const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
    if (set == nullptr) return;
    const std::string narrow(name);
    const std::wstring wide(narrow.begin(), narrow.end());
    set(GetCurrentThread(), wide.c_str());
}

}  // namespace nodrix_viewer
