#pragma once
// The modal frame the image and analog dialogs share: a tab control with
// owner-drawn labels over their pages, OK, Cancel and Default, and the live
// updates the conversion posts. A frame of each kind is open at most once in
// the process, so the dialog procedure finds its view through one pointer
// per kind.
//
// View supplies Initialise(), Command(int id), Detach() (stop hearing of
// live updates) and LiveUpdate(WPARAM, LPARAM); it may supply
// Notify(const NMHDR&) returning whether it handled the notification.

#include <windows.h>

#include <commctrl.h>

#include "settings/DialogIds.h"
#include "settings/DialogResults.h"
#include "settings/win32/DialogWin32.h"

namespace nodrix::settings::win32 {

template <typename View>
class TabbedDialogFrame {
public:
    TabbedDialogFrame() : brush_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {
        current_ = static_cast<View*>(this);
    }
    ~TabbedDialogFrame() {
        current_ = nullptr;
        DeleteObject(brush_);
    }
    TabbedDialogFrame(const TabbedDialogFrame&) = delete;
    TabbedDialogFrame& operator=(const TabbedDialogFrame&) = delete;

protected:
    // OK, Cancel, or kDialogNotShown when the dialog could not be shown.
    int RunModal(HWND parent, LPCWSTR resource) {
        const INT_PTR result = DialogBoxParamW(DialogModule(), resource, parent, Proc, 0);
        return result == kDialogOk || result == kDialogCancel ? static_cast<int>(result)
                                                              : kDialogNotShown;
    }
    void End(int result) {
        static_cast<View*>(this)->Detach();
        EndDialog(window_, result);
    }
    bool Notify(const NMHDR&) { return false; }

    HWND window_ = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        View* view = current_;
        if (view == nullptr) return FALSE;
        switch (message) {
            case WM_INITDIALOG: view->window_ = window; view->Initialise(); return TRUE;
            case WM_COMMAND:
                if (HIWORD(wParam) == BN_CLICKED) view->Command(LOWORD(wParam));
                return TRUE;
            case WM_NOTIFY: return view->Notify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
            case WM_DRAWITEM:
                if (wParam == IDC_TAB) {
                    DrawTab(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), view->brush_);
                    return TRUE;
                }
                return FALSE;
            case WM_DESTROY: view->Detach(); return FALSE;
            default:
                if (message == kLiveUpdateMessage) {
                    view->LiveUpdate(wParam, lParam);
                    return TRUE;
                }
                return FALSE;
        }
    }

    static inline View* current_ = nullptr;
    HBRUSH brush_ = nullptr;
};

}  // namespace nodrix::settings::win32
