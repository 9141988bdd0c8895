// Exports: finding, naming and selecting cameras; the configuration memory.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_EnumDevice(int handle, char* names) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        const int count = c.EnumDevice(names);
        return count > 0 ? count : 0;
    });
}

int NODRIX_CALL Nodrix_EnumDeviceW(int handle, NodrixWChar* names) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        if (names == nullptr) return c.Errors().PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
        static_assert(NODRIX_ENUM_SLOT_CHARS * NODRIX_ENUM_SLOTS >= 1, "");
        char narrow[NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS];
        const int count = c.EnumDevice(narrow);
        if (count < 0) return 0;
        for (int slot = 0; slot < NODRIX_ENUM_SLOTS; ++slot) {
            if (!api::WidenText(c, narrow + slot * NODRIX_ENUM_SLOT_CHARS,
                                names + slot * NODRIX_ENUM_SLOT_CHARS, NODRIX_ENUM_SLOT_CHARS)) {
                return 0;
            }
        }
        return count;
    });
}

int NODRIX_CALL Nodrix_SetDeviceNumber(int handle, int index) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetDeviceNumber(index); });
}

int NODRIX_CALL Nodrix_GetDeviceName(int handle, int index, char* name, int size) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.GetDeviceName(index, name, size); });
}

int NODRIX_CALL Nodrix_GetDeviceNameW(int handle, int index, NodrixWChar* name, int size) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char narrow[api::kNarrowBufferBytes];
        if (!c.GetDeviceName(index, narrow, sizeof narrow)) return 0;
        return api::WidenText(c, narrow, name, size) ? 1 : 0;
    });
}

int NODRIX_CALL Nodrix_GetCameraInfo(int handle, NodrixCameraInfo* info) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.GetCameraInfo(info); });
}

int NODRIX_CALL Nodrix_ReadSerialNumberA(int handle, char* buffer, int size) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.ReadSerialNumber(buffer, size, nullptr); });
}

int NODRIX_CALL Nodrix_ReadSerialNumberW(int handle, NodrixWChar* buffer, int size) {
    return api::Call(handle, 0, [&](CNodrix& c) -> int {
        char narrow[api::kNarrowBufferBytes];
        bool written = false;
        if (!c.ReadSerialNumber(narrow, sizeof narrow, &written)) return 0;
        // An erased serial number leaves the caller's buffer as it was.
        if (!written) return 1;
        return api::WidenText(c, narrow, buffer, size) ? 1 : 0;
    });
}

int NODRIX_CALL Nodrix_ReadSromID(int handle, int address, int* ok) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Registers().ReadSromID(address, ok); });
}

int NODRIX_CALL Nodrix_WriteSromID(int handle, int address, int value) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Registers().WriteSromID(address, value); });
}

}  // extern "C"
