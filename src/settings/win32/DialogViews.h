#pragma once
// The modal dialogs, each run to its end on the caller's thread; each
// returns kDialogOk, kDialogCancel or kDialogNotShown.

#include <windows.h>

namespace nodrix::settings {
class CCameraDlg;
class CImageDlg;
class CAnalogDlg;
class LiveDialogs;
}  // namespace nodrix::settings

namespace nodrix::settings::win32 {

int RunCameraDlgView(HWND parent, CCameraDlg& model);
int RunImageDlgView(HWND parent, CImageDlg& model, LiveDialogs& live);
int RunAnalogDlgView(HWND parent, CAnalogDlg& model, LiveDialogs& live);

}  // namespace nodrix::settings::win32
