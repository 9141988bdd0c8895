#include "connection/ErrorStack.h"

#include <cstring>

#include "NodrixSdk.h"
#include "platform/SystemError.h"

namespace nodrix {

namespace {

// The stack the thread keeps quiet, if any.
thread_local const ErrorStack* tQuietStack = nullptr;

}  // namespace

ErrorStack::Quiet::Quiet(const ErrorStack& stack) : previous_(tQuietStack) {
    tQuietStack = &stack;
}

ErrorStack::Quiet::~Quiet() {
    tQuietStack = previous_;
}

void ErrorStack::Push(int code) {
    if (tQuietStack == this) return;
    {
        platform::LockGuard guard(lock_);
        for (int i = kErrorStackDepth - 1; i > 0; --i) codes_[i] = codes_[i - 1];
        codes_[0] = code;
    }
    Post(code);
}

int ErrorStack::Pop() {
    platform::LockGuard guard(lock_);
    const int code = codes_[0];
    for (int i = 0; i < kErrorStackDepth - 1; ++i) codes_[i] = codes_[i + 1];
    codes_[kErrorStackDepth - 1] = 0;
    return code;
}

void ErrorStack::Post(int code) const {
    if (recipient_ != 0) platform::PostWindowMessage(recipient_, NODRIX_WM_ERROR, 0, code);
}

void ErrorStack::FileFailed(const char* reason) {
    std::string text = platform::TakeNotedError();
    if (text.empty()) text = reason != nullptr ? reason : "the file could not be read or written";
    {
        platform::LockGuard guard(lock_);
        lastFileFailure_.swap(text);
    }
    Push(NODRIX_ERROR_FILE);
}

bool ErrorStack::CopyLastFileFailure(char* text, int size) const {
    platform::LockGuard guard(lock_);
    if (lastFileFailure_.size() >= static_cast<std::size_t>(size)) return false;
    std::memcpy(text, lastFileFailure_.c_str(), lastFileFailure_.size() + 1);
    return true;
}

}  // namespace nodrix
