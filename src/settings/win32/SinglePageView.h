#pragma once
// The dialog procedure of a property page of which at most one of its kind
// is open in the process: the procedure finds its view through one pointer
// per kind and hands it the page's initialisation, trackbar moves and
// commands (View::Initialise, View::Scrolled and View::Command).

#include <windows.h>

#include "settings/win32/DialogWin32.h"

namespace nodrix::settings::win32 {

template <typename View>
class SinglePageView {
public:
    SinglePageView() { current_ = static_cast<View*>(this); }
    ~SinglePageView() { current_ = nullptr; }
    SinglePageView(const SinglePageView&) = delete;
    SinglePageView& operator=(const SinglePageView&) = delete;

    HWND window = nullptr;

    static INT_PTR CALLBACK Proc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        View* view = current_;
        if (view == nullptr) return FALSE;
        switch (message) {
            case WM_INITDIALOG: view->window = page; view->Initialise(); return TRUE;
            case WM_HSCROLL: view->Scrolled(ScrolledTrackbar(lParam)); return TRUE;
            case WM_COMMAND: view->Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
            default: return FALSE;
        }
    }

private:
    static inline View* current_ = nullptr;
};

}  // namespace nodrix::settings::win32
