#pragma once
// The extension API's functions, when the SDK library exports them: the
// tool runs with libraries that have them and with ones that do not.

#include "NodrixSdkEx.h"

namespace nodrix_tool {

struct ExtensionApi {
    decltype(&NodrixEx_GetStreamStatistics) getStreamStatistics = nullptr;
    decltype(&NodrixEx_ResetStreamStatistics) resetStreamStatistics = nullptr;
    decltype(&NodrixEx_SetFrameCallback) setFrameCallback = nullptr;
    decltype(&NodrixEx_ErrorText) errorText = nullptr;

    bool HasStreaming() const {
        return getStreamStatistics && resetStreamStatistics && setFrameCallback;
    }
};

// Looked up once.
const ExtensionApi& Extension();

}  // namespace nodrix_tool
