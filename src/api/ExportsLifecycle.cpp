// Exports: opening and releasing a connection, its errors and status.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_Initialize(NodrixHwnd recipient) {
    const std::int32_t handle = api::Guarded(0, [] { return SdkChain().Create(); });
    if (handle == 0) return 0;
    // A failed initialisation still returns the handle; the caller reads
    // why from the connection's error stack.
    api::Call(handle, 0, [&](CNodrix& c) { return c.Initialize(api::ToWindow(recipient)); });
    return handle;
}

int NODRIX_CALL Nodrix_Release(int handle) {
    return api::Guarded(0, [&] {
        // The release waits for the connection's worker, which cannot end
        // while it runs the frame callback that asks for the release.
        if (const auto c = api::FindConnection(handle);
            c != nullptr && c->Acquiring().Frames().InOwnFrameCallback()) {
            c->Errors().PushError(NODRIX_ERROR_NO_CORE);
            return 0;
        }
        return SdkChain().Release(handle);
    });
}

int NODRIX_CALL Nodrix_Close(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Close(); });
}

int NODRIX_CALL Nodrix_GetLastError(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Errors().PopError(); });
}

int NODRIX_CALL Nodrix_GetDllVersion(void) {
    return NODRIX_DLL_VERSION;
}

int NODRIX_CALL Nodrix_GetStatus(int handle, int) {
    return api::Call(handle, 0, [](CNodrix&) { return 0; });
}

}  // extern "C"
