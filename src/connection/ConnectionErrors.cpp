#include "connection/ConnectionErrors.h"

#include "NodrixSdk.h"
#include "connection/CameraControls.h"

namespace nodrix {

int ConnectionErrors::PushError(int code) {
    stack_.Push(code);
    return 1;
}

int ConnectionErrors::PopError() {
    return stack_.Pop();
}

void ConnectionErrors::PostError(int code) {
    stack_.Post(code);
}

int ConnectionErrors::FileFailed(const char* reason) {
    stack_.FileFailed(reason);
    return 0;
}

int ConnectionErrors::GetLastSystemError(char* text, int size) {
    if (text == nullptr || size <= 0) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    if (!stack_.CopyLastFileFailure(text, size)) return PushError(NODRIX_ERROR_MEMORY), 0;
    return 1;
}

int ConnectionErrors::Reported(const ControlResult& control) {
    if (control.error != ControlResult::kNoError) PushError(control.error);
    return control.result;
}

}  // namespace nodrix
