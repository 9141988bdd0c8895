// Exports: the property dialogs, still images, the configuration file and
// the mask file.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_SetCameraDlg(int handle, NodrixHwnd parent) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetCameraDlg(api::ToWindow(parent)) : 0;
}

int NODRIX_CALL Nodrix_SetImageDlg(int handle, NodrixHwnd parent) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetImageDlg(api::ToWindow(parent)) : 0;
}

int NODRIX_CALL Nodrix_SetAnalogDlg(int handle, NodrixHwnd parent) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetAnalogDlg(api::ToWindow(parent)) : 0;
}

int NODRIX_CALL Nodrix_SaveImage(int handle, const char* fileName, int format) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SaveImage(fileName, format) : 0;
}

int NODRIX_CALL Nodrix_SaveImageW(int handle, const NodrixWChar* fileName, int format) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char buffer[api::kNarrowBufferBytes];
    const char* narrow = nullptr;
    if (!api::NarrowName(*c, fileName, buffer, &narrow)) return 0;
    return Nodrix_SaveImage(handle, narrow, format);
}

int NODRIX_CALL Nodrix_LoadConfigFileA(int handle, const char* fileName) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->LoadConfigFile(fileName) : 0;
}

int NODRIX_CALL Nodrix_LoadConfigFileW(int handle, const NodrixWChar* fileName) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char buffer[api::kNarrowBufferBytes];
    const char* narrow = nullptr;
    if (!api::NarrowName(*c, fileName, buffer, &narrow)) return 0;
    return Nodrix_LoadConfigFileA(handle, narrow);
}

int NODRIX_CALL Nodrix_LoadMaskFile(int handle, const char* fileName) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->LoadMaskFile(fileName) : 0;
}

int NODRIX_CALL Nodrix_LoadMaskFileW(int handle, const NodrixWChar* fileName) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char buffer[api::kNarrowBufferBytes];
    const char* narrow = nullptr;
    if (!api::NarrowName(*c, fileName, buffer, &narrow)) return 0;
    return Nodrix_LoadMaskFile(handle, narrow);
}

int NODRIX_CALL Nodrix_SaveMaskFile(int handle, const char* fileName) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SaveMaskFile(fileName) : 0;
}

int NODRIX_CALL Nodrix_SaveMaskFileW(int handle, const NodrixWChar* fileName) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char buffer[api::kNarrowBufferBytes];
    const char* narrow = nullptr;
    if (!api::NarrowName(*c, fileName, buffer, &narrow)) return 0;
    return Nodrix_SaveMaskFile(handle, narrow);
}

int NODRIX_CALL Nodrix_UpdateMaskData(int handle, int which) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->UpdateMaskData(which) : 0;
}

}  // extern "C"
