// Exports: preview, capture, snapshots, trigger mode and recording.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_Preview(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Preview() : 0;
}

int NODRIX_CALL Nodrix_CallBackPreview(int handle, NodrixHwnd window, void* buffer, int size,
                                       int rowOrder) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->CallBackPreview(api::ToWindow(window), buffer, size, rowOrder) : 0;
}

int NODRIX_CALL Nodrix_Capture(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Capture() : 0;
}

int NODRIX_CALL Nodrix_SnapShot(int handle, void* buffer, int size, int rowOrder) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SnapShot(buffer, size, rowOrder) : 0;
}

int NODRIX_CALL Nodrix_GetImage(int handle, void* buffer, int size, int rowOrder) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetImage(buffer, size, rowOrder) : 0;
}

int NODRIX_CALL Nodrix_Trigger(int handle, NodrixHwnd window, void* buffer, int size,
                               int rowOrder) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Trigger(api::ToWindow(window), buffer, size, rowOrder) : 0;
}

int NODRIX_CALL Nodrix_StartPreview(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->StartPreview() : 0;
}

int NODRIX_CALL Nodrix_StopPreview(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->StopPreview() : 0;
}

int NODRIX_CALL Nodrix_Record(int handle, const char* fileName, int durationMs, int showWindow) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Record(fileName, durationMs, showWindow) : 0;
}

int NODRIX_CALL Nodrix_RecordW(int handle, const NodrixWChar* fileName, int durationMs,
                               int showWindow) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char buffer[api::kNarrowBufferBytes];
    const char* narrow = nullptr;
    if (!api::NarrowName(*c, fileName, buffer, &narrow)) return 0;
    return Nodrix_Record(handle, narrow, durationMs, showWindow);
}

int NODRIX_CALL Nodrix_SetWaitTime(int handle, int milliseconds) {
    // A negative pause is refused before the connection is looked at.
    if (milliseconds < 0) return 0;
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetWaitTime(milliseconds) : 0;
}

int NODRIX_CALL Nodrix_GetWaitTime(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetWaitTime() : -1;
}

}  // extern "C"
