// Preview windows on Windows: real windows of a class without a procedure
// of its own, drawn with GDI from the images' memory device contexts.
#include "platform/PreviewSurface.h"

#include <windows.h>

#include <cstring>

namespace nodrix::platform::preview {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

}  // namespace

bool RegisterWindowClass(const char* name) {
    if (name == nullptr || name[0] == '\0') return false;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(0x7F00));  // arrow
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = name;
    wc.hIconSm = nullptr;
    return RegisterClassExA(&wc) != 0;
}

void UnregisterWindowClass(const char* name) {
    if (name == nullptr || name[0] == '\0') return;
    UnregisterClassA(name, GetModuleHandleA(nullptr));
}

WindowHandle CreateChildWindow(const char* className, WindowHandle parent, int x, int y, int width,
                               int height) {
    HWND window = CreateWindowExA(0, className, kChildCaption, kChildStyle, x, y, width, height,
                                  ToHwnd(parent),
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kChildControlId)),
                                  GetModuleHandleA(nullptr), nullptr);
    return FromHwnd(window);
}

WindowHandle CreateTopLevelWindow(const char* className, int clientWidth, int clientHeight) {
    RECT rect = {0, 0, clientWidth, clientHeight};
    if (!AdjustWindowRectEx(&rect, kTopLevelStyle, FALSE, 0)) return 0;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    HWND window = CreateWindowExA(0, className, kTopLevelCaption, kTopLevelStyle, x, y, width,
                                  height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return FromHwnd(window);
}

bool ShowNewWindow(WindowHandle window) {
    HWND hwnd = ToHwnd(window);
    SetFocus(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    return UpdateWindow(hwnd) != FALSE;
}

void DestroyWindow(WindowHandle window) {
    if (window != 0) ::DestroyWindow(ToHwnd(window));
}

void* AcquireDeviceContext(WindowHandle window) { return GetDC(ToHwnd(window)); }

void ReleaseDeviceContext(WindowHandle window, void* dc) {
    if (dc != nullptr) ReleaseDC(ToHwnd(window), static_cast<HDC>(dc));
}

bool IsVisible(WindowHandle window) { return IsWindowVisible(ToHwnd(window)) != FALSE; }

bool ClientSize(WindowHandle window, int* width, int* height) {
    RECT rect = {};
    if (!GetClientRect(ToHwnd(window), &rect)) return false;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

bool StretchFlipped(void* dc, const SourceImage& source, int width, int height) {
    if (dc == nullptr || source.memoryDc == nullptr) return false;
    // Source origin on the bottom row with a negative height: the bitmap's
    // first memory row lands at the top of the window.
    return StretchBlt(static_cast<HDC>(dc), 0, 0, width, height,
                      static_cast<HDC>(source.memoryDc), 0, source.height - 1, source.width,
                      -source.height, SRCCOPY) != FALSE;
}

bool CopyToWindow(void* dc, const SourceImage& source) {
    if (dc == nullptr || source.memoryDc == nullptr) return false;
    return BitBlt(static_cast<HDC>(dc), 0, 0, source.width, source.height,
                  static_cast<HDC>(source.memoryDc), 0, 0, SRCCOPY) != FALSE;
}

bool GetPlacement(WindowHandle window, WindowPlacement* placement) {
    HWND hwnd = ToHwnd(window);
    RECT rect = {};
    if (placement == nullptr || !GetWindowRect(hwnd, &rect)) return false;
    HWND parent = GetParent(hwnd);
    if (parent != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    placement->x = rect.left;
    placement->y = rect.top;
    placement->width = rect.right - rect.left;
    placement->height = rect.bottom - rect.top;
    return ClientSize(window, &placement->clientWidth, &placement->clientHeight);
}

bool ScreenSize(int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
    return *width > 0 && *height > 0;
}

namespace {

struct PreviewSearch {
    HWND parent = nullptr;
    HWND found = nullptr;
};

BOOL CALLBACK MatchPreviewWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PreviewSearch*>(param);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strncmp(name, "VideoRenderer_", 14) == 0 && GetParent(window) == search->parent) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

WindowHandle FindPreviewWindow(WindowHandle parent) {
    PreviewSearch search;
    search.parent = ToHwnd(parent);
    if (parent != 0) {
        EnumChildWindows(search.parent, MatchPreviewWindow, reinterpret_cast<LPARAM>(&search));
    } else {
        EnumWindows(MatchPreviewWindow, reinterpret_cast<LPARAM>(&search));
    }
    return FromHwnd(search.found);
}

bool ReadClientPixels(WindowHandle window, std::vector<std::uint32_t>* pixels, int* width,
                      int* height) {
    int w = 0;
    int h = 0;
    if (pixels == nullptr || !ClientSize(window, &w, &h) || w <= 0 || h <= 0) return false;
    HWND hwnd = ToHwnd(window);
    HDC windowDc = GetDC(hwnd);
    if (windowDc == nullptr) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    bool ok = section != nullptr && memoryDc != nullptr;
    if (ok) {
        HGDIOBJ previous = SelectObject(memoryDc, section);
        ok = BitBlt(memoryDc, 0, 0, w, h, windowDc, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        if (ok) {
            const auto* p = static_cast<const std::uint32_t*>(bits);
            pixels->assign(p, p + static_cast<std::size_t>(w) * h);
            for (std::uint32_t& v : *pixels) v &= 0x00FFFFFFu;
        }
        SelectObject(memoryDc, previous);
    }
    if (memoryDc != nullptr) DeleteDC(memoryDc);
    if (section != nullptr) DeleteObject(section);
    ReleaseDC(hwnd, windowDc);
    *width = w;
    *height = h;
    return ok;
}

}  // namespace nodrix::platform::preview
