// The connection's error stack and its notification of the recipient window.
#include "connection/CNodrix.h"

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

int CNodrix::Reported(const ControlResult& control) {
    if (control.error != ControlResult::kNoError) PushError(control.error);
    return control.result;
}

}  // namespace nodrix
