// Exports of the stream of application buffers.
#include <cstddef>

#include "NodrixSdkEx.h"
#include "api/ExportPrologue.h"

// The records as applications lay them out, on every architecture.
static_assert(offsetof(NodrixExStreamInfo, payloadBytes) == 8, "payload size at byte 8");
static_assert(offsetof(NodrixExStreamBuffer, id) == 4, "identifier at byte 4");

using namespace nodrix;

extern "C" {

int NODRIX_CALL NodrixEx_StreamGetInfo(int handle, NodrixExStreamInfo* info) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Stream().StreamGetInfo(info); });
}

int NODRIX_CALL NodrixEx_StreamAnnounceBuffer(int handle, void* memory, size_t bytes, void* user,
                                              int* id) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Stream().StreamAnnounceBuffer(memory, bytes, user, id);
    });
}

int NODRIX_CALL NodrixEx_StreamRevokeBuffer(int handle, int id, void** memory, void** user) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Stream().StreamRevokeBuffer(id, memory, user);
    });
}

int NODRIX_CALL NodrixEx_StreamQueueBuffer(int handle, int id) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Stream().StreamQueueBuffer(id); });
}

int NODRIX_CALL NodrixEx_StreamStart(int handle, int flags) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Stream().StreamStart(flags); });
}

int NODRIX_CALL NodrixEx_StreamStop(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().Stream().StreamStop(); });
}

int NODRIX_CALL NodrixEx_StreamWaitBuffer(int handle, int timeoutMs, NodrixExStreamBuffer* buffer) {
    return api::Call(handle, static_cast<int>(NODRIXEX_WAIT_FAILED), [&](CNodrix& c) {
        return c.Acquiring().Stream().StreamWaitBuffer(timeoutMs, buffer);
    });
}

int NODRIX_CALL NodrixEx_StreamCancelWaits(int handle, int cancel) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Stream().StreamCancelWaits(cancel); });
}

}  // extern "C"
