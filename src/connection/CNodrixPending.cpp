// Connection operations whose camera side (acquisition, preview window,
// conversion pipeline, dialogs, files) is not built in yet: each reports
// error 1 as it does without a camera.
#include "connection/CNodrix.h"

namespace nodrix {

int CNodrix::NoCamera() {
    PushError(NODRIX_ERROR_NO_CORE);
    return 0;
}

int CNodrix::Record(const char* fileName, int, int) {
    if (fileName == nullptr || fileName[0] == '\0') {
        return PushError(NODRIX_ERROR_INVALID_ARGUMENT), 0;
    }
    return NoCamera();
}


int CNodrix::SetCameraDlg(platform::WindowHandle) { return NoCamera(); }
int CNodrix::SetImageDlg(platform::WindowHandle) { return NoCamera(); }
int CNodrix::SetAnalogDlg(platform::WindowHandle) { return NoCamera(); }
int CNodrix::SaveImage(const char*, int) { return NoCamera(); }
int CNodrix::LoadMaskFile(const char*) { return NoCamera(); }
int CNodrix::SaveMaskFile(const char*) { return NoCamera(); }
int CNodrix::UpdateMaskData(int) { return NoCamera(); }

}  // namespace nodrix
