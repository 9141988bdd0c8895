// Exports: preview, capture, snapshots, trigger mode and recording.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_Preview(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().Preview(); });
}

int NODRIX_CALL Nodrix_CallBackPreview(int handle, NodrixHwnd window, void* buffer, int size,
                                       int rowOrder) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().CallBackPreview(api::ToWindow(window), buffer, size, rowOrder);
    });
}

int NODRIX_CALL Nodrix_Capture(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().Capture(); });
}

int NODRIX_CALL Nodrix_SnapShot(int handle, void* buffer, int size, int rowOrder) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().SnapShot(buffer, size, rowOrder); });
}

int NODRIX_CALL Nodrix_GetImage(int handle, void* buffer, int size, int rowOrder) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().GetImage(buffer, size, rowOrder); });
}

int NODRIX_CALL Nodrix_Trigger(int handle, NodrixHwnd window, void* buffer, int size,
                               int rowOrder) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Trigger(api::ToWindow(window), buffer, size, rowOrder);
    });
}

int NODRIX_CALL Nodrix_StartPreview(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().StartPreview(); });
}

int NODRIX_CALL Nodrix_StopPreview(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().StopPreview(); });
}

int NODRIX_CALL Nodrix_Record(int handle, const char* fileName, int durationMs, int showWindow) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Record(fileName, durationMs, showWindow);
    });
}

int NODRIX_CALL Nodrix_RecordW(int handle, const NodrixWChar* fileName, int durationMs,
                               int showWindow) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char buffer[api::kNarrowBufferBytes];
        const char* narrow = nullptr;
        if (!api::NarrowName(c, fileName, buffer, &narrow)) return 0;
        return Nodrix_Record(handle, narrow, durationMs, showWindow);
    });
}

int NODRIX_CALL Nodrix_SetWaitTime(int handle, int milliseconds) {
    // A negative pause is refused before the connection is looked at.
    if (milliseconds < 0) return 0;
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetWaitTime(milliseconds); });
}

int NODRIX_CALL Nodrix_GetWaitTime(int handle) {
    return api::Call(handle, -1, [&](CNodrix& c) { return c.GetWaitTime(); });
}

}  // extern "C"
