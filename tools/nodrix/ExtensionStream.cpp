#include "ExtensionStream.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "Console.h"
#include "ExtensionApi.h"

namespace nodrix_tool {
namespace {

struct Counter {
    std::atomic<int> frames{0};
};

void NODRIX_CALL CountFrame(int, const NodrixExFrame*, void* user) {
    static_cast<Counter*>(user)->frames.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

bool StreamWithExtension(int handle, double seconds, const StreamProgress& progress,
                         ExtensionStreamResult* result) {
    using Clock = std::chrono::steady_clock;
    const ExtensionApi& api = Extension();
    *result = ExtensionStreamResult{};
    Counter counter;
    api.resetStreamStatistics(handle);
    if (!api.setFrameCallback(handle, CountFrame, &counter)) {
        result->stream.error = Nodrix_GetLastError(handle);
        return false;
    }
    // No preview window: the stream is counted, not shown.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);
    if (!Nodrix_StartPreview(handle)) {
        result->stream.error = Nodrix_GetLastError(handle);
        api.setFrameCallback(handle, nullptr, nullptr);
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
                result->stream.error = code;
            }
        }
        if (result->stream.error == NODRIX_ERROR_CAMERA_LOST) break;
    }
    Nodrix_StopPreview(handle);
    api.setFrameCallback(handle, nullptr, nullptr);
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    result->stream.frames = counter.frames.load();
    result->stream.seconds = elapsed;
    progress(result->stream.frames, elapsed);
    result->statistics.size = sizeof result->statistics;
    api.getStreamStatistics(handle, &result->statistics);
    result->stream.rateFps = elapsed > 0 ? result->stream.frames / elapsed : 0.0;
    return true;
}

}  // namespace nodrix_tool
