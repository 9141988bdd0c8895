#include "ExtensionApi.h"

#include "ToolProcess.h"

namespace nodrix_tool {
namespace {

template <typename Function>
void Resolve(Function* function, const char* name) {
    *function = reinterpret_cast<Function>(SdkFunction(name));
}

}  // namespace

const ExtensionApi& Extension() {
    static const ExtensionApi api = [] {
        ExtensionApi found;
        Resolve(&found.getStreamStatistics, "NodrixEx_GetStreamStatistics");
        Resolve(&found.resetStreamStatistics, "NodrixEx_ResetStreamStatistics");
        Resolve(&found.setFrameCallback, "NodrixEx_SetFrameCallback");
        Resolve(&found.errorText, "NodrixEx_ErrorText");
        return found;
    }();
    return api;
}

}  // namespace nodrix_tool
