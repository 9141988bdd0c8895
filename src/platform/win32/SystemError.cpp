#include "platform/SystemError.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

namespace nodrix::platform {
namespace {

// One failure at a time: a Windows error code, or a C runtime errno value.
struct Noted {
    DWORD system = 0;
    int runtime = 0;
};
thread_local Noted noted;

std::string SystemText(DWORD code) {
    char buffer[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  buffer, sizeof buffer, nullptr);
    if (length == 0) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, buffer, sizeof buffer, nullptr);
    }
    std::string text(buffer, length);
    // Messages end in a period and a line break; the callers add their own.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "system error " + std::to_string(code) : text;
}

}  // namespace

void NoteSystemError() {
    noted = {GetLastError(), 0};
}

void NoteRuntimeError() {
    noted = {0, errno};
}

std::string TakeNotedError() {
    const Noted taken = noted;
    noted = {};
    if (taken.system != 0) return SystemText(taken.system);
    if (taken.runtime != 0) {
        const char* text = std::strerror(taken.runtime);
        return text != nullptr ? std::string(text) : "error " + std::to_string(taken.runtime);
    }
    return {};
}

}  // namespace nodrix::platform
