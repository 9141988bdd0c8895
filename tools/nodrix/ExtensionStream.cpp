#include "ExtensionStream.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "Console.h"

namespace nodrix_tool {
namespace {

struct Counter {
    std::atomic<int> frames{0};
};

void NODRIX_CALL CountFrame(int, const NodrixExFrame*, void* user) {
    static_cast<Counter*>(user)->frames.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

bool StreamFrames(int handle, double seconds, const StreamProgress& progress,
                  StreamResult* result) {
    using Clock = std::chrono::steady_clock;
    *result = StreamResult{};
    Counter counter;
    NodrixEx_ResetStreamStatistics(handle);
    if (!NodrixEx_SetFrameCallback(handle, CountFrame, &counter)) {
        result->error = Nodrix_GetLastError(handle);
        return false;
    }
    // No preview window: the stream is counted, not shown.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);
    if (!Nodrix_StartPreview(handle)) {
        result->error = Nodrix_GetLastError(handle);
        NodrixEx_SetFrameCallback(handle, nullptr, nullptr);
        return false;
    }
    const Clock::time_point start = Clock::now();
    double elapsed = 0.0;
    while (elapsed < seconds && !Interrupted()) {
        progress(counter.frames.load(), elapsed);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        while (const int code = Nodrix_GetLastError(handle)) {
            if (code != NODRIX_ERROR_MEMORY && code != NODRIX_ERROR_NO_CORE) {
                result->error = code;
            }
        }
        if (result->error == NODRIX_ERROR_CAMERA_LOST) break;
    }
    Nodrix_StopPreview(handle);
    NodrixEx_SetFrameCallback(handle, nullptr, nullptr);
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    result->frames = counter.frames.load();
    result->seconds = elapsed;
    progress(result->frames, elapsed);
    result->statistics.size = sizeof result->statistics;
    NodrixEx_GetStreamStatistics(handle, &result->statistics);
    result->rateFps = elapsed > 0 ? result->frames / elapsed : 0.0;
    return true;
}

}  // namespace nodrix_tool
