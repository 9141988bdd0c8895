// Continuous acquisition. On Windows the library posts a message to a
// callback window for every frame, and a message loop takes them. Natively
// there is no window system: the program polls for the newest frame.
//
//   continuous [SECONDS]
#ifdef _WIN32
#include <windows.h>
#endif

#include <NodrixSdk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Bytes of one frame in the current output format: rows padded to 4 bytes.
int FrameBytes(int handle) {
    const int bytesPerPixel = Nodrix_GetColorMode(handle) / 8;
    const int stride = (Nodrix_Width(handle) * bytesPerPixel + 3) / 4 * 4;
    return stride * Nodrix_Height(handle);
}

#ifdef _WIN32

struct Stream {
    long frames = 0;
    long errors = 0;
    int lastRate10 = 0;
};

LRESULT CALLBACK CallbackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* stream = reinterpret_cast<Stream*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == NODRIX_WM_FRAME && stream) {
        if (wParam != 0) {
            // The frame is in our buffer; the record stays valid until
            // Nodrix_Release and is rewritten with every frame.
            const auto* info = reinterpret_cast<const FrameInfo*>(wParam);
            ++stream->frames;
            stream->lastRate10 = info->frameRate10;
        } else {
            ++stream->errors;  // lParam: NODRIX_ERROR_FRAME, _MEMORY or _CAMERA_LOST
            if (lParam == NODRIX_ERROR_CAMERA_LOST) PostQuitMessage(1);
        }
        return 0;
    }
    if (message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Run(int handle, int seconds) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CallbackWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NodrixContinuousExample";
    RegisterClassW(&windowClass);
    // A message-only window: it receives the frames and shows nothing.
    HWND window = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    Stream stream;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&stream));

    std::vector<unsigned char> buffer(FrameBytes(handle));
    if (!Nodrix_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()),
                                1)) {
        std::fprintf(stderr, "continuous: no preview (error %d)\n", Nodrix_GetLastError(handle));
        DestroyWindow(window);
        return 1;
    }
    SetTimer(window, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG message;
    int result = 0;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (message.message == WM_QUIT) result = static_cast<int>(message.wParam);
    // Stop before the buffer goes away: the worker writes into it.
    Nodrix_StopPreview(handle);
    DestroyWindow(window);
    std::printf("%ld frames in %d s (%.1f per second reported), %ld errors\n", stream.frames,
                seconds, stream.lastRate10 / 10.0, stream.errors);
    return result == 0 && stream.frames > 0 ? 0 : 1;
}

#else

int Run(int handle, int seconds) {
    using Clock = std::chrono::steady_clock;
    if (!Nodrix_StartPreview(handle)) {
        std::fprintf(stderr, "continuous: no preview (error %d)\n", Nodrix_GetLastError(handle));
        return 1;
    }
    std::vector<unsigned char> frame(FrameBytes(handle));
    std::vector<unsigned char> previous(frame.size());
    long frames = 0;
    int error = 0;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end && error != NODRIX_ERROR_CAMERA_LOST) {
        // Nodrix_GetImage copies the newest converted frame; a frame is new
        // when it differs from the one before.
        if (Nodrix_GetImage(handle, frame.data(), static_cast<int>(frame.size()), 1) &&
            frame != previous) {
            ++frames;
            frame.swap(previous);
        }
        // Until the first frame is converted, GetImage reports that there is
        // no image yet; those codes are no reason to stop.
        while (const int code = Nodrix_GetLastError(handle)) {
            if (code != NODRIX_ERROR_MEMORY && code != NODRIX_ERROR_NO_CORE) error = code;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Nodrix_StopPreview(handle);
    std::printf("%ld frames in %d s%s\n", frames, seconds,
                error ? " (the camera reported an error)" : "");
    return frames > 0 && error == 0 ? 0 : 1;
}

#endif

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int handle = Nodrix_Initialize(0);
    if (handle == 0 || !Nodrix_SetDeviceNumber(handle, 0)) {
        std::fprintf(stderr, "continuous: no camera\n");
        if (handle) Nodrix_Release(handle);
        return 1;
    }
    Nodrix_SetColorMode(handle, NODRIX_BITS_GREY8);
    // No preview window of the library's own: placement all zero.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);
    const int result = Run(handle, seconds);
    Nodrix_Release(handle);
    return result;
}
