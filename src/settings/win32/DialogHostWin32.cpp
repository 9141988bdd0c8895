// On Windows the dialogs are the library's own dialog resources.
#include <windows.h>

#include "settings/DialogHost.h"
#include "settings/win32/DialogViews.h"

namespace nodrix::settings {

namespace {

HWND ToHwnd(platform::WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32DialogHost : public DialogHost {
public:
    int RunCameraDialog(platform::WindowHandle parent, CCameraDlg& dialog) override {
        return win32::RunCameraDlgView(ToHwnd(parent), dialog);
    }
    int RunImageDialog(platform::WindowHandle parent, CImageDlg& dialog, LiveDialogs& live) override {
        return win32::RunImageDlgView(ToHwnd(parent), dialog, live);
    }
    int RunAnalogDialog(platform::WindowHandle parent, CAnalogDlg& dialog,
                        LiveDialogs& live) override {
        return win32::RunAnalogDlgView(ToHwnd(parent), dialog, live);
    }
};

}  // namespace

DialogHost* PlatformDialogHost() {
    static Win32DialogHost host;
    return &host;
}

}  // namespace nodrix::settings
