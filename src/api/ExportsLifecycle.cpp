// Exports: opening and releasing a connection, its errors and status.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_Initialize(NodrixHwnd recipient) {
    const std::int32_t handle = SdkChain().Create();
    if (handle == 0) return 0;
    // A failed initialisation still returns the handle; the caller reads
    // why from the connection's error stack.
    if (CNodrix* connection = api::FindConnection(handle)) {
        connection->Initialize(api::ToWindow(recipient));
    }
    return handle;
}

int NODRIX_CALL Nodrix_Release(int handle) {
    // The release waits for the connection's worker, which cannot end while
    // it runs the frame callback that asks for the release.
    if (CNodrix* c = api::FindConnection(handle); c != nullptr && c->InOwnFrameCallback()) {
        c->PushError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return SdkChain().Release(handle);
}

int NODRIX_CALL Nodrix_Close(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Close() : 0;
}

int NODRIX_CALL Nodrix_GetLastError(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->PopError() : 0;
}

int NODRIX_CALL Nodrix_GetDllVersion(void) { return NODRIX_DLL_VERSION; }

int NODRIX_CALL Nodrix_GetStatus(int handle, int) {
    (void)api::FindConnection(handle);
    return 0;
}

}  // extern "C"
