#pragma once
// Who shows the property dialogs. On Windows the library's own dialog
// resources run as modal dialogs on the caller's thread; natively there is
// no window system to show them, and an application or test may install a
// host of its own that drives the models.

#include "platform/WindowMessages.h"
#include "settings/DialogResults.h"

namespace nodrix::settings {

class CCameraDlg;
class CImageDlg;
class CAnalogDlg;
class LiveDialogs;

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Each runs its dialog to its end and returns kDialogOk, kDialogCancel
    // or kDialogNotShown. The image and analog dialogs attach themselves to
    // live while they are open.
    virtual int RunCameraDialog(platform::WindowHandle parent, CCameraDlg& dialog) = 0;
    virtual int RunImageDialog(platform::WindowHandle parent, CImageDlg& dialog,
                               LiveDialogs& live) = 0;
    virtual int RunAnalogDialog(platform::WindowHandle parent, CAnalogDlg& dialog,
                                LiveDialogs& live) = 0;
};

// The installed host, else the platform's own; null when there is none.
DialogHost* CurrentDialogHost();
// Replaces the platform's host until uninstalled with null.
void InstallDialogHost(DialogHost* host);
// The platform's host: the Win32 dialogs, natively none.
DialogHost* PlatformDialogHost();

}  // namespace nodrix::settings
