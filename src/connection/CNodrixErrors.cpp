// The connection's error operations, kept by its error stack.
#include "connection/CNodrix.h"

namespace nodrix {

int CNodrix::PushError(int code) {
    errors_.Push(code);
    return 1;
}

int CNodrix::PopError() {
    return errors_.Pop();
}

void CNodrix::PostError(int code) {
    errors_.Post(code);
}

int CNodrix::FileFailed(const char* reason) {
    errors_.FileFailed(reason);
    return 0;
}

int CNodrix::GetLastSystemError(char* text, int size) {
    if (text == nullptr || size <= 0) return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    if (!errors_.CopyLastFileFailure(text, size)) return PushError(NODRIX_ERROR_MEMORY), 0;
    return 1;
}

int CNodrix::Reported(const ControlResult& control) {
    if (control.error != ControlResult::kNoError) PushError(control.error);
    return control.result;
}

}  // namespace nodrix
