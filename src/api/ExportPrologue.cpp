#include "api/ExportPrologue.h"

#include <cstddef>

#include "platform/TextConversion.h"

// The public records as applications lay them out.
static_assert(sizeof(void*) != 4 || sizeof(FrameInfo) == 24, "six 32-bit values in the DLL");
static_assert(offsetof(FrameInfo, buffer) == 20 || sizeof(void*) != 4, "buffer address last");
static_assert(sizeof(NodrixCameraInfo) == NODRIX_CAMERA_INFO_FULL_SIZE, "camera information");
static_assert(offsetof(NodrixCameraInfo, exposureSecondsMin) == 40, "seconds at byte 40");
static_assert(offsetof(NodrixCameraInfo, exposureSecondsMax) == 48, "seconds at byte 48");

namespace nodrix::api {

bool NarrowName(CNodrix& connection, const NodrixWChar* name, char (&buffer)[kNarrowBufferBytes],
                const char** narrowed) {
    *narrowed = nullptr;
    if (name == nullptr) return true;
    if (!platform::Utf16ToAnsi(AsUtf16(name), buffer, sizeof buffer)) {
        connection.Errors().PushError(NODRIX_ERROR_TEXT);
        return false;
    }
    *narrowed = buffer;
    return true;
}

bool WidenText(CNodrix& connection, const char* text, NodrixWChar* out, int units) {
    if (out == nullptr || units <= 0 ||
        !platform::AnsiToUtf16(text, AsUtf16(out), static_cast<std::size_t>(units))) {
        connection.Errors().PushError(NODRIX_ERROR_TEXT);
        return false;
    }
    return true;
}

}  // namespace nodrix::api
