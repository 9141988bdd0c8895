#include <windows.h>

#include "preview/TestWindows.h"

namespace nodrix::test {
namespace {

const char kParentClass[] = "NodrixTestParent";

void RegisterParentClass() {
    static const ATOM atom = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kParentClass;
        return RegisterClassA(&wc);
    }();
    (void)atom;
}

}  // namespace

platform::WindowHandle MakeParentWindow(int clientWidth, int clientHeight) {
    RegisterParentClass();
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExA(0, kParentClass, "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpWindowMessages();
    return reinterpret_cast<platform::WindowHandle>(window);
}

void DestroyParentWindow(platform::WindowHandle window) {
    if (window != 0) DestroyWindow(reinterpret_cast<HWND>(window));
}

void PumpWindowMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace nodrix::test
