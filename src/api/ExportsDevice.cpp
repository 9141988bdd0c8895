// Exports: finding, naming and selecting cameras; the configuration memory.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_EnumDevice(int handle, char* names) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    const int count = c->EnumDevice(names);
    return count > 0 ? count : 0;
}

int NODRIX_CALL Nodrix_EnumDeviceW(int handle, NodrixWChar* names) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    if (names == nullptr) return c->PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    static_assert(NODRIX_ENUM_SLOT_CHARS * NODRIX_ENUM_SLOTS >= 1, "");
    char narrow[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS];
    const int count = c->EnumDevice(narrow);
    if (count < 0) return 0;
    for (int slot = 0; slot < NODRIX_ENUM_SLOTS; ++slot) {
        if (!api::WidenText(*c, narrow + slot * NODRIX_ENUM_SLOT_CHARS,
                            names + slot * NODRIX_ENUM_SLOT_CHARS, NODRIX_ENUM_SLOT_CHARS)) {
            return 0;
        }
    }
    return count;
}

int NODRIX_CALL Nodrix_SetDeviceNumber(int handle, int index) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetDeviceNumber(index) : 0;
}

int NODRIX_CALL Nodrix_GetDeviceName(int handle, int index, char* name, int size) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetDeviceName(index, name, size) : 0;
}

int NODRIX_CALL Nodrix_GetDeviceNameW(int handle, int index, NodrixWChar* name, int size) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char narrow[api::kNarrowBufferBytes];
    if (!c->GetDeviceName(index, narrow, sizeof narrow)) return 0;
    return api::WidenText(*c, narrow, name, size) ? 1 : 0;
}

int NODRIX_CALL Nodrix_GetCameraInfo(int handle, NodrixCameraInfo* info) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetCameraInfo(info) : 0;
}

int NODRIX_CALL Nodrix_ReadSerialNumberA(int handle, char* buffer, int size) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->ReadSerialNumber(buffer, size, nullptr) : 0;
}

int NODRIX_CALL Nodrix_ReadSerialNumberW(int handle, NodrixWChar* buffer, int size) {
    CNodrix* c = api::FindConnection(handle);
    if (c == nullptr) return 0;
    char narrow[api::kNarrowBufferBytes];
    bool written = false;
    if (!c->ReadSerialNumber(narrow, sizeof narrow, &written)) return 0;
    // An erased serial number leaves the caller's buffer as it was.
    if (!written) return 1;
    return api::WidenText(*c, narrow, buffer, size) ? 1 : 0;
}

int NODRIX_CALL Nodrix_ReadSromID(int handle, int address, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->ReadSromID(address, ok) : 0;
}

int NODRIX_CALL Nodrix_WriteSromID(int handle, int address, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->WriteSromID(address, value) : 0;
}

}  // extern "C"
