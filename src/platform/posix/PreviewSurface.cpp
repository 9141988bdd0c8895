// Off-screen preview windows: a table of windows, each with a pixel surface
// (0x00RRGGBB, top row first) that the drawing calls write. The device
// context of a window is its table entry.
#include "platform/PreviewSurface.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace nodrix::platform::preview {
namespace {

// The screen and window frame an off-screen window is placed by.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kFrameBorder = 8;
constexpr int kCaptionHeight = 23;

struct OffscreenWindow {
    WindowHandle handle = 0;
    std::string className;
    WindowHandle parent = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    std::atomic<bool> visible{false};
    // The worker draws while the application may read the pixels back.
    std::mutex pixelsMutex;
    std::vector<std::uint32_t> surface;
};

struct WindowTable {
    std::mutex mutex;
    std::set<std::string> classes;
    std::map<WindowHandle, std::shared_ptr<OffscreenWindow>> windows;
    // Handles far from the small numbers applications use as windows.
    WindowHandle next = 0x70000000u;
};

WindowTable& Table() {
    static WindowTable table;
    return table;
}

std::shared_ptr<OffscreenWindow> Find(WindowHandle handle) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    auto it = table.windows.find(handle);
    return it == table.windows.end() ? nullptr : it->second;
}

WindowHandle Add(const std::string& className, std::shared_ptr<OffscreenWindow> window) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    if (table.classes.count(className) == 0) return 0;
    try {
        window->surface.assign(static_cast<std::size_t>(window->clientWidth) * window->clientHeight,
                               0u);  // black background
    } catch (const std::exception&) {
        return 0;  // no memory for a window of this size
    }
    window->handle = table.next++;
    window->className = className;
    table.windows[window->handle] = window;
    return window->handle;
}

std::uint32_t SourcePixel(const SourceImage& source, int row, int column) {
    const std::uint8_t* p = source.pixels + static_cast<std::ptrdiff_t>(row) * source.stride;
    if (source.bits == 8) {
        const std::uint8_t* q = source.colorTable + 4 * p[column];  // blue, green, red, 0
        return (std::uint32_t{q[2]} << 16) | (std::uint32_t{q[1]} << 8) | q[0];
    }
    const std::uint8_t* q = p + 3 * column;  // blue, green, red
    return (std::uint32_t{q[2]} << 16) | (std::uint32_t{q[1]} << 8) | q[0];
}

bool Drawable(const SourceImage& source) {
    if (source.pixels == nullptr || source.width <= 0 || source.height <= 0) return false;
    if (source.bits == 8) return source.colorTable != nullptr;
    return source.bits == 24;
}

}  // namespace

bool RegisterWindowClass(const char* name) {
    if (name == nullptr || name[0] == '\0') return false;
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    return table.classes.insert(name).second;
}

void UnregisterWindowClass(const char* name) {
    if (name == nullptr) return;
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    table.classes.erase(name);
}

WindowHandle CreateChildWindow(const char* className, WindowHandle parent, int x, int y, int width,
                               int height) {
    if (className == nullptr || parent == 0) return 0;
    auto window = std::make_shared<OffscreenWindow>();
    window->parent = parent;
    window->x = x;
    window->y = y;
    window->width = width < 0 ? 0 : width;
    window->height = height < 0 ? 0 : height;
    window->clientWidth = window->width;
    window->clientHeight = window->height;
    window->visible = true;
    return Add(className, window);
}

WindowHandle CreateTopLevelWindow(const char* className, int clientWidth, int clientHeight) {
    if (className == nullptr || clientWidth < 0 || clientHeight < 0) return 0;
    auto window = std::make_shared<OffscreenWindow>();
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    window->width = clientWidth + 2 * kFrameBorder;
    window->height = clientHeight + 2 * kFrameBorder + kCaptionHeight;
    window->x = (kScreenWidth - window->width) / 2;
    window->y = (kScreenHeight - window->height) / 2;
    if (window->x < 0) window->x = 0;
    if (window->y < 0) window->y = 0;
    window->visible = true;
    return Add(className, window);
}

bool ShowNewWindow(WindowHandle window) {
    auto found = Find(window);
    if (!found) return false;
    found->visible = true;
    return true;
}

void DestroyWindow(WindowHandle window) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    table.windows.erase(window);
}

void* AcquireDeviceContext(WindowHandle window) {
    auto found = Find(window);
    return found ? reinterpret_cast<void*>(found->handle) : nullptr;
}

void ReleaseDeviceContext(WindowHandle, void*) {}

bool IsVisible(WindowHandle window) {
    auto found = Find(window);
    return found && found->visible;
}

bool ClientSize(WindowHandle window, int* width, int* height) {
    auto found = Find(window);
    if (!found) return false;
    *width = found->clientWidth;
    *height = found->clientHeight;
    return true;
}

bool StretchFlipped(void* dc, const SourceImage& source, int width, int height) {
    auto window = Find(reinterpret_cast<WindowHandle>(dc));
    if (!window || !Drawable(source) || width <= 0 || height <= 0) return false;
    std::lock_guard<std::mutex> guard(window->pixelsMutex);
    const int w = std::min(width, window->clientWidth);
    const int h = std::min(height, window->clientHeight);
    for (int y = 0; y < h; ++y) {
        // Memory row 0 at the top.
        const int row = static_cast<int>(static_cast<long long>(y) * source.height / height);
        std::uint32_t* out = window->surface.data() + static_cast<std::size_t>(y) * window->clientWidth;
        for (int x = 0; x < w; ++x) {
            out[x] = SourcePixel(source, row, static_cast<int>(static_cast<long long>(x) *
                                                               source.width / width));
        }
    }
    return true;
}

bool CopyToWindow(void* dc, const SourceImage& source) {
    auto window = Find(reinterpret_cast<WindowHandle>(dc));
    if (!window || !Drawable(source)) return false;
    std::lock_guard<std::mutex> guard(window->pixelsMutex);
    const int w = std::min(source.width, window->clientWidth);
    const int h = std::min(source.height, window->clientHeight);
    for (int y = 0; y < h; ++y) {
        // GDI shows a bottom-up bitmap's last memory row at the top.
        const int row = source.height - 1 - y;
        std::uint32_t* out = window->surface.data() + static_cast<std::size_t>(y) * window->clientWidth;
        for (int x = 0; x < w; ++x) out[x] = SourcePixel(source, row, x);
    }
    return true;
}

bool GetPlacement(WindowHandle window, WindowPlacement* placement) {
    auto found = Find(window);
    if (!found || placement == nullptr) return false;
    placement->x = found->x;
    placement->y = found->y;
    placement->width = found->width;
    placement->height = found->height;
    placement->clientWidth = found->clientWidth;
    placement->clientHeight = found->clientHeight;
    return true;
}

bool ScreenSize(int* width, int* height) {
    *width = kScreenWidth;
    *height = kScreenHeight;
    return true;
}

WindowHandle FindPreviewWindow(WindowHandle parent) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    for (const auto& [handle, window] : table.windows) {
        if (window->parent == parent && window->className.rfind("VideoRenderer_", 0) == 0) {
            return handle;
        }
    }
    return 0;
}

bool ReadClientPixels(WindowHandle window, std::vector<std::uint32_t>* pixels, int* width,
                      int* height) {
    auto found = Find(window);
    if (!found || pixels == nullptr) return false;
    std::lock_guard<std::mutex> guard(found->pixelsMutex);
    *pixels = found->surface;
    *width = found->clientWidth;
    *height = found->clientHeight;
    return true;
}

}  // namespace nodrix::platform::preview
