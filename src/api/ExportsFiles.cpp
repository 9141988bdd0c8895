// Exports: the property dialogs, still images, the configuration file and
// the mask file.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_SetCameraDlg(int handle, NodrixHwnd parent) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Dialogs().SetCameraDlg(api::ToWindow(parent)); });
}

int NODRIX_CALL Nodrix_SetImageDlg(int handle, NodrixHwnd parent) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Dialogs().SetImageDlg(api::ToWindow(parent)); });
}

int NODRIX_CALL Nodrix_SetAnalogDlg(int handle, NodrixHwnd parent) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Dialogs().SetAnalogDlg(api::ToWindow(parent)); });
}

int NODRIX_CALL Nodrix_SaveImage(int handle, const char* fileName, int format) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SaveImage(fileName, format); });
}

int NODRIX_CALL Nodrix_SaveImageW(int handle, const NodrixWChar* fileName, int format) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char buffer[api::kNarrowBufferBytes];
        const char* narrow = nullptr;
        if (!api::NarrowName(c, fileName, buffer, &narrow)) return 0;
        return Nodrix_SaveImage(handle, narrow, format);
    });
}

int NODRIX_CALL Nodrix_LoadConfigFileA(int handle, const char* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.LoadConfigFile(fileName); });
}

int NODRIX_CALL Nodrix_LoadConfigFileW(int handle, const NodrixWChar* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char buffer[api::kNarrowBufferBytes];
        const char* narrow = nullptr;
        if (!api::NarrowName(c, fileName, buffer, &narrow)) return 0;
        return Nodrix_LoadConfigFileA(handle, narrow);
    });
}

int NODRIX_CALL Nodrix_LoadMaskFile(int handle, const char* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.LoadMaskFile(fileName); });
}

int NODRIX_CALL Nodrix_LoadMaskFileW(int handle, const NodrixWChar* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char buffer[api::kNarrowBufferBytes];
        const char* narrow = nullptr;
        if (!api::NarrowName(c, fileName, buffer, &narrow)) return 0;
        return Nodrix_LoadMaskFile(handle, narrow);
    });
}

int NODRIX_CALL Nodrix_SaveMaskFile(int handle, const char* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SaveMaskFile(fileName); });
}

int NODRIX_CALL Nodrix_SaveMaskFileW(int handle, const NodrixWChar* fileName) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char buffer[api::kNarrowBufferBytes];
        const char* narrow = nullptr;
        if (!api::NarrowName(c, fileName, buffer, &narrow)) return 0;
        return Nodrix_SaveMaskFile(handle, narrow);
    });
}

int NODRIX_CALL Nodrix_UpdateMaskData(int handle, int which) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.UpdateMaskData(which); });
}

}  // extern "C"
