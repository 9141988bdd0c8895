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

int NODRIX_CALL Nodrix_Release(int handle) { return SdkChain().Release(handle); }

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
