// nodrix dialog camera|image|analog: the SDK's property dialogs (Windows).
#include <cstdio>

#include "Commands.h"
#include "NodrixSdk.h"

namespace nodrix_tool {

int Dialog(Session& session, const Options& options) {
    const std::string which = options.args.size() == 1 ? options.args[0] : "";
    if (which != "camera" && which != "image" && which != "analog") {
        std::fprintf(stderr, "nodrix: dialog needs camera, image or analog\n");
        return kExitUsage;
    }
#ifdef _WIN32
    const int handle = session.Handle();
    const int shown = which == "camera"  ? Nodrix_SetCameraDlg(handle, nullptr)
                      : which == "image" ? Nodrix_SetImageDlg(handle, nullptr)
                                         : Nodrix_SetAnalogDlg(handle, nullptr);
    if (!shown) return Fail(session, "showing the dialog");
    // What the user confirmed in the dialog is theirs to keep.
    session.KeepChanges();
    return kExitOk;
#else
    (void)session;
    std::fprintf(stderr, "nodrix: the property dialogs exist on Windows only\n");
    return kExitFailed;
#endif
}

}  // namespace nodrix_tool
