// Natively the library keeps its posted messages to itself, so the stream
// runs a preview without a callback window and takes each new frame with
// Nodrix_GetImage.
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "Console.h"
#include "NodrixSdk.h"
#include "PreviewStream.h"

namespace nodrix_tool {

bool StreamFrames(int handle, double seconds, const StreamProgress& progress,
                  StreamResult* result) {
    using Clock = std::chrono::steady_clock;
    *result = StreamResult{};
    // No preview window: the stream is counted, not shown.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);
    if (!Nodrix_StartPreview(handle)) {
        result->error = Nodrix_GetLastError(handle);
        return false;
    }
    const int bits = Nodrix_GetColorMode(handle);
    const int stride = (Nodrix_Width(handle) * (bits / 8) + 3) & ~3;
    const std::size_t size = static_cast<std::size_t>(stride) * Nodrix_Height(handle);
    std::vector<unsigned char> frame(size);
    std::vector<unsigned char> previous(size);
    bool havePrevious = false;

    const Clock::time_point start = Clock::now();
    Clock::time_point nextProgress = start;
    Clock::time_point firstFrame{};
    Clock::time_point lastFrame{};
    for (;;) {
        const Clock::time_point now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - start).count();
        if (elapsed >= seconds || Interrupted()) break;
        if (now >= nextProgress) {
            progress(result->frames, elapsed);
            nextProgress = now + std::chrono::milliseconds(250);
        }
        // A frame counts when its pixels differ from the one before.
        if (Nodrix_GetImage(handle, frame.data(), static_cast<int>(size), 1) &&
            (!havePrevious || std::memcmp(frame.data(), previous.data(), size) != 0)) {
            if (result->frames == 0) firstFrame = Clock::now();
            lastFrame = Clock::now();
            ++result->frames;
            frame.swap(previous);
            havePrevious = true;
        }
        while (const int code = Nodrix_GetLastError(handle)) {
            // Nothing converted yet is no reason to stop.
            if (code != NODRIX_ERROR_MEMORY && code != NODRIX_ERROR_NO_CORE) result->error = code;
        }
        if (result->error == NODRIX_ERROR_CAMERA_LOST) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Nodrix_StopPreview(handle);
    result->seconds = std::chrono::duration<double>(Clock::now() - start).count();
    progress(result->frames, result->seconds);
    if (result->frames > 1) {
        const double span = std::chrono::duration<double>(lastFrame - firstFrame).count();
        if (span > 0) result->rateFps = (result->frames - 1) / span;
    }
    return true;
}

}  // namespace nodrix_tool
