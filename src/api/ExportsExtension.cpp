// Exports of the extension interface: its version, error texts, frame
// metadata, stream statistics and the frame callback.
#include <cstddef>

#include "NodrixSdkEx.h"
#include "api/ExportPrologue.h"
#include "connection/ErrorText.h"

// The records as applications lay them out, on every architecture.
static_assert(sizeof(NodrixExFrameMetadata) == 56, "frame metadata record");
static_assert(offsetof(NodrixExFrameMetadata, timestampUs) == 8, "time stamp at byte 8");
static_assert(offsetof(NodrixExFrameMetadata, lostBefore) == 48, "lost count at byte 48");
static_assert(sizeof(NodrixExStreamStatistics) == 104, "stream statistics record");
static_assert(offsetof(NodrixExStreamStatistics, notRecorded) == 88, "added at the end");
static_assert(offsetof(NodrixExStreamStatistics, lostNoBuffer) == 96, "added at the end");
static_assert(sizeof(NodrixExRecordStatus) == 40, "recording status record");
static_assert(offsetof(NodrixExRecordStatus, framesWritten) == 8, "counts from byte 8");
static_assert(offsetof(NodrixExRecordStatus, error) == 32, "error at byte 32");
static_assert(offsetof(NodrixExStreamStatistics, framesReceived) == 8, "counters from byte 8");
static_assert(offsetof(NodrixExStreamStatistics, receivedRate) == 72, "rates from byte 72");

using namespace nodrix;

extern "C" {

int NODRIX_CALL NodrixEx_GetApiVersion(void) {
    return NODRIXEX_API_VERSION;
}

const char* NODRIX_CALL NodrixEx_ErrorText(int code) {
    return ErrorText(code);
}

int NODRIX_CALL NodrixEx_GetFrameMetadata(int handle, NodrixExFrameMetadata* metadata) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Frames().GetFrameMetadata(metadata); });
}

int NODRIX_CALL NodrixEx_GetStreamStatistics(int handle, NodrixExStreamStatistics* statistics) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Frames().GetStreamStatistics(statistics);
    });
}

int NODRIX_CALL NodrixEx_ResetStreamStatistics(int handle) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Acquiring().Frames().ResetStreamStatistics(); });
}

int NODRIX_CALL NodrixEx_SetFrameCallback(int handle, NodrixExFrameCallback callback, void* user) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Acquiring().Frames().SetFrameCallback(handle, callback, user);
    });
}

int NODRIX_CALL NodrixEx_GetLastSystemError(int handle, char* text, int size) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Errors().GetLastSystemError(text, size); });
}

int NODRIX_CALL NodrixEx_SetRecordFormat(int handle, int format) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().SetRecordFormat(format); });
}

int NODRIX_CALL NodrixEx_GetRecordStatus(int handle, NodrixExRecordStatus* status) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Acquiring().GetRecordStatus(status); });
}

int NODRIX_CALL NodrixEx_SetSaveOnRelease(int handle, int save) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetSaveOnRelease(save); });
}

}  // extern "C"
