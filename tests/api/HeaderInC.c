/* The public headers as a C program sees them. The same file is compiled as
 * C89, C11, C++98 and C++20 with every warning an error (api_header_*). */
#include "NodrixSdk.h"
#include "NodrixSdkEx.h"

int NodrixHeaderCompiledAsC(void);

static void NODRIX_CALL OnFrameInC(int handle, const NodrixExFrame* frame, void* user) {
    (void)handle;
    (void)frame;
    (void)user;
}

int NodrixHeaderCompiledAsC(void) {
    FrameInfo frame = {0, 1280, 1024, 8, 300, 0};
    NodrixCameraInfo info;
    NodrixExFrameMetadata metadata;
    NodrixExStreamStatistics statistics;
    NodrixExRecordStatus record;
    NodrixExFrameCallback callback = OnFrameInC;
    NodrixWChar name[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS];
    int (NODRIX_CALL *width)(int) = Nodrix_Width;
    (void)frame;
    (void)name;
    (void)width;
    (void)callback;
    metadata.size = (uint32_t)sizeof metadata;
    statistics.size = (uint32_t)sizeof statistics;
    record.size = (uint32_t)sizeof record;
    info.size = (int32_t)sizeof info;
    return Nodrix_GetDllVersion() == NODRIX_DLL_VERSION && info.size == 56 &&
           sizeof(NodrixWChar) == 2 && metadata.size == 56 && statistics.size == 104 &&
           record.size == 40 &&
           NodrixEx_GetApiVersion() == NODRIXEX_API_VERSION &&
           NodrixEx_ErrorText(NODRIX_ERROR_NONE) != 0 && NodrixEx_GetVersionText()[0] != 0;
}
