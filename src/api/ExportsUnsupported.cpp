// Exports kept for compatibility that this camera does not support.
#include "api/ExportPrologue.h"

using namespace nodrix;

namespace {
// Notifies the recipient window without recording a code.
int PostNotSupported(int handle) {
    return api::Call(handle, 0, [](CNodrix& c) {
        c.Errors().PostError(NODRIX_ERROR_NOT_SUPPORTED);
        return 0;
    });
}

int RecordNotSupported(int handle, int result) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        c.Errors().PushError(NODRIX_ERROR_NOT_SUPPORTED);
        return result;
    });
}
}  // namespace

extern "C" {

// The DLL exports Nodrix_Fps under the names of the five functions that
// follow; natively each is its own symbol with the same behaviour.
int NODRIX_CALL Nodrix_Fps(int handle) {
    return PostNotSupported(handle);
}
int NODRIX_CALL Nodrix_GetHalfClock(int handle, int*) {
    return PostNotSupported(handle);
}
int NODRIX_CALL Nodrix_SetHalfClock(int handle, int) {
    return PostNotSupported(handle);
}
int NODRIX_CALL Nodrix_GetInternalCorrection(int handle, int*) {
    return PostNotSupported(handle);
}
int NODRIX_CALL Nodrix_SetInternalCorrection(int handle, int) {
    return PostNotSupported(handle);
}
int NODRIX_CALL Nodrix_SetCrossbar(int handle, int, int) {
    return PostNotSupported(handle);
}

// Exported under both names in the DLL.
int NODRIX_CALL Nodrix_SendText(int handle, const char*, int) {
    return RecordNotSupported(handle, 0);
}
int NODRIX_CALL Nodrix_ReceiveText(int handle, char*, int) {
    return RecordNotSupported(handle, 0);
}

int NODRIX_CALL Nodrix_SetConfigFilter(int handle, int, int) {
    return RecordNotSupported(handle, -1);
}
int NODRIX_CALL Nodrix_GetConfigFilter(int handle, int, int*) {
    return RecordNotSupported(handle, -1);
}

}  // extern "C"
