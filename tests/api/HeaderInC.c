/* The public header as a C program sees it. */
#include "NodrixSdk.h"

int NodrixHeaderCompiledAsC(void) {
    FrameInfo frame = {0, 1280, 1024, 8, 300, 0};
    NodrixCameraInfo info = {0};
    NodrixWChar name[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS];
    (void)frame;
    (void)name;
    info.size = (int32_t)sizeof info;
    return Nodrix_GetDllVersion() == NODRIX_DLL_VERSION && info.size == 56;
}
