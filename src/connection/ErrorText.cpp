#include "connection/ErrorText.h"

#include "NodrixSdk.h"

namespace nodrix {
namespace {

struct CodeText {
    int code;
    const char* text;
};

constexpr CodeText kTexts[] = {
    {NODRIX_ERROR_NONE, "no error"},
    {NODRIX_ERROR_NO_CORE, "no camera, or not allowed in the current acquisition mode"},
    {NODRIX_ERROR_NOT_PRESENT, "the camera is not present or not opened"},
    {NODRIX_ERROR_THREAD, "a worker thread or event could not be created"},
    {NODRIX_ERROR_WINDOW, "the preview window could not be created"},
    {NODRIX_ERROR_MEMORY, "image memory is missing, or the buffer is too small for the image"},
    {NODRIX_ERROR_CAMERA_REQUEST, "the camera refused or did not answer a request"},
    {NODRIX_ERROR_CAPTURE_WINDOW, "the capture window lies outside the sensor"},
    {NODRIX_ERROR_FRAME, "a frame could not be acquired"},
    {NODRIX_ERROR_INVALID_ARGUMENT, "invalid argument"},
    {NODRIX_ERROR_NOT_SUPPORTED, "not supported by this camera or library"},
    {NODRIX_ERROR_TEXT, "a text could not be converted or is too long"},
    {NODRIX_ERROR_CAMERA_LOST, "the camera was lost during acquisition"},
    {NODRIX_ERROR_MASK_FILE, "the mask file is unreadable or invalid"},
    {NODRIX_ERROR_FILE, "a file could not be read or written"},
};

}  // namespace

const char* ErrorText(int code) {
    for (const CodeText& entry : kTexts) {
        if (entry.code == code) return entry.text;
    }
    return "unknown error code";
}

}  // namespace nodrix
