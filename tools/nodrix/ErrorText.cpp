#include "ErrorText.h"

#include "ExtensionApi.h"
#include "NodrixSdk.h"

namespace nodrix_tool {

const char* ErrorText(int code) {
    if (Extension().errorText != nullptr && code != NODRIX_ERROR_NONE) {
        return Extension().errorText(code);
    }
    switch (code) {
        case NODRIX_ERROR_NONE:
            return "no error code was recorded";
        case NODRIX_ERROR_NO_CORE:
            return "no camera, or not allowed in the current acquisition mode";
        case NODRIX_ERROR_NOT_PRESENT:
            return "the camera is not present or could not be opened";
        case NODRIX_ERROR_THREAD:
            return "the worker thread could not be created";
        case NODRIX_ERROR_WINDOW:
            return "the preview window could not be created";
        case NODRIX_ERROR_MEMORY:
            return "image memory is missing or the buffer is too small";
        case NODRIX_ERROR_CAMERA_REQUEST:
            return "the camera did not accept or answer a request";
        case NODRIX_ERROR_CAPTURE_WINDOW:
            return "the capture window does not fit the sensor";
        case NODRIX_ERROR_FRAME:
            return "a frame could not be acquired";
        case NODRIX_ERROR_INVALID_ARGUMENT:
            return "invalid argument";
        case NODRIX_ERROR_NOT_SUPPORTED:
            return "not supported by this camera or library";
        case NODRIX_ERROR_TEXT:
            return "text conversion failed or a string does not fit";
        case NODRIX_ERROR_CAMERA_LOST:
            return "the camera was lost";
        case NODRIX_ERROR_MASK_FILE:
            return "the mask file could not be read";
        default:
            return "unknown error";
    }
}

}  // namespace nodrix_tool
