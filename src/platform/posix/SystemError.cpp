#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace nodrix::platform {
namespace {

thread_local int noted = 0;

// strerror_r comes in two kinds; either gives the text.
[[maybe_unused]] const char* TextOf(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* TextOf(const char* result, const char*) {
    return result;
}

}  // namespace

void NoteSystemError() {
    noted = errno;
}

void NoteRuntimeError() {
    noted = errno;
}

std::string TakeNotedError() {
    const int code = noted;
    noted = 0;
    if (code == 0) return {};
    char buffer[256] = {};
    const char* text = TextOf(strerror_r(code, buffer, sizeof buffer), buffer);
    return text != nullptr ? std::string(text) : "error " + std::to_string(code);
}

}  // namespace nodrix::platform
