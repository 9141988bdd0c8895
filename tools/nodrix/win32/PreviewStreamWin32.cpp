// On Windows the stream is a callback preview to a message-only window whose
// queue the tool pumps: one message per frame, with the frame rate that the
// SDK measured in its FrameInfo record.
#include <windows.h>

#include <vector>

#include "Console.h"
#include "NodrixSdk.h"
#include "PreviewStream.h"

namespace nodrix_tool {

bool StreamFrames(int handle, double seconds, const StreamProgress& progress,
                  StreamResult* result) {
    *result = StreamResult{};
    HWND window = CreateWindowExA(0, "STATIC", "nodrix stream", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        result->error = NODRIX_ERROR_WINDOW;
        return false;
    }
    Nodrix_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    const int bits = Nodrix_GetColorMode(handle);
    const int stride = (Nodrix_Width(handle) * (bits / 8) + 3) & ~3;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(stride) * Nodrix_Height(handle));
    if (!Nodrix_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()),
                                1)) {
        result->error = Nodrix_GetLastError(handle);
        DestroyWindow(window);
        return false;
    }
    const DWORD start = GetTickCount();
    DWORD nextProgress = start;
    const DWORD length = static_cast<DWORD>(seconds * 1000.0);
    int rate10 = 0;
    bool lost = false;
    while (!lost && !Interrupted() && GetTickCount() - start < length) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == NODRIX_WM_FRAME) {
                if (msg.wParam != 0) {
                    ++result->frames;
                    rate10 = reinterpret_cast<const FrameInfo*>(msg.wParam)->frameRate10;
                } else if (msg.lParam == NODRIX_ERROR_CAMERA_LOST) {
                    result->error = NODRIX_ERROR_CAMERA_LOST;
                    lost = true;
                } else {
                    result->error = static_cast<int>(msg.lParam);
                }
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() >= nextProgress) {
            progress(result->frames, (GetTickCount() - start) / 1000.0);
            nextProgress = GetTickCount() + 250;
        }
    }
    Nodrix_StopPreview(handle);
    progress(result->frames, (GetTickCount() - start) / 1000.0);
    DestroyWindow(window);
    // The SDK's own measurement covers whole seconds; a stream shorter
    // than that falls back to the count.
    const double elapsed = (GetTickCount() - start) / 1000.0;
    result->seconds = elapsed;
    result->rateFps = rate10 > 0 ? rate10 / 10.0 : (elapsed > 0 ? result->frames / elapsed : 0);
    return true;
}

}  // namespace nodrix_tool
