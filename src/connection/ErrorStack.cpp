// The connection's error stack and its notification of the recipient window.
#include <cstring>

#include "connection/CNodrix.h"
#include "platform/SystemError.h"

namespace nodrix {

int CNodrix::PushError(int code) {
    {
        platform::LockGuard guard(errorLock_);
        for (int i = kErrorStackDepth - 1; i > 0; --i) errors_[i] = errors_[i - 1];
        errors_[0] = code;
    }
    PostError(code);
    return 1;
}

int CNodrix::PopError() {
    platform::LockGuard guard(errorLock_);
    const int code = errors_[0];
    for (int i = 0; i < kErrorStackDepth - 1; ++i) errors_[i] = errors_[i + 1];
    errors_[kErrorStackDepth - 1] = 0;
    return code;
}

void CNodrix::PostError(int code) {
    if (recipient_ != 0) platform::PostWindowMessage(recipient_, NODRIX_WM_ERROR, 0, code);
}

int CNodrix::FileFailed(const char* reason) {
    std::string text = platform::TakeNotedError();
    if (text.empty()) text = reason != nullptr ? reason : "the file could not be read or written";
    {
        platform::LockGuard guard(errorLock_);
        lastFileError_.swap(text);
    }
    PushError(NODRIX_ERROR_FILE);
    return 0;
}

int CNodrix::GetLastSystemError(char* text, int size) {
    if (text == nullptr || size <= 0) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    platform::LockGuard guard(errorLock_);
    if (lastFileError_.size() >= static_cast<std::size_t>(size)) {
        return PushError(NODRIX_ERROR_MEMORY), 0;
    }
    std::memcpy(text, lastFileError_.c_str(), lastFileError_.size() + 1);
    return 1;
}

int CNodrix::Reported(const ControlResult& control) {
    if (control.error != ControlResult::kNoError) PushError(control.error);
    return control.result;
}

}  // namespace nodrix
