#include "api/ExportPrologue.h"

#include "platform/TextConversion.h"

namespace nodrix::api {

bool NarrowName(CNodrix& connection, const NodrixWChar* name, char (&buffer)[kNarrowBufferBytes],
                const char** narrowed) {
    *narrowed = nullptr;
    if (name == nullptr) return true;
    if (!platform::Utf16ToAnsi(AsUtf16(name), buffer, sizeof buffer)) {
        connection.PushError(NODRIX_ERROR_TEXT);
        return false;
    }
    *narrowed = buffer;
    return true;
}

bool WidenText(CNodrix& connection, const char* text, NodrixWChar* out, int units) {
    if (out == nullptr || units <= 0 ||
        !platform::AnsiToUtf16(text, AsUtf16(out), static_cast<std::size_t>(units))) {
        connection.PushError(NODRIX_ERROR_TEXT);
        return false;
    }
    return true;
}

}  // namespace nodrix::api
