#include "ExtensionStream.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "Console.h"

namespace nodrix_tool {
namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut into slices this long, so that the progress line moves and
// Ctrl-C is seen while no frame comes (trigger mode).
constexpr int kSliceMs = 250;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The buffers the library allocated for this stream, forgotten again (and
// freed) when the stream is done with them.
class StreamBuffers {
public:
    explicit StreamBuffers(int handle) : handle_(handle) {}
    ~StreamBuffers() {
        NodrixEx_StreamStop(handle_);
        for (const int id : ids_) NodrixEx_StreamRevokeBuffer(handle_, id, nullptr, nullptr);
    }
    StreamBuffers(const StreamBuffers&) = delete;
    StreamBuffers& operator=(const StreamBuffers&) = delete;

    bool AnnounceAndQueue(int count, std::size_t bytes) {
        for (int i = 0; i < count; ++i) {
            int id = 0;
            if (!NodrixEx_StreamAnnounceBuffer(handle_, nullptr, bytes, nullptr, &id)) return false;
            ids_.push_back(id);
            if (!NodrixEx_StreamQueueBuffer(handle_, id)) return false;
        }
        return true;
    }

private:
    int handle_;
    std::vector<int> ids_;
};

}  // namespace

bool StreamFrames(int handle, const StreamRequest& request, const StreamProgress& progress,
                  StreamResult* result) {
    *result = StreamResult{};
    NodrixExStreamInfo info{};
    info.size = sizeof info;
    // No preview window: the stream is counted, not shown.
    Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0);
    StreamBuffers buffers(handle);
    if (!NodrixEx_StreamGetInfo(handle, &info) ||
        !buffers.AnnounceAndQueue(request.buffers, static_cast<std::size_t>(info.payloadBytes))) {
        result->error = Nodrix_GetLastError(handle);
        return false;
    }
    NodrixEx_ResetStreamStatistics(handle);
    if (!NodrixEx_StreamStart(handle, request.trigger ? NODRIXEX_STREAM_TRIGGER : 0)) {
        result->error = Nodrix_GetLastError(handle);
        return false;
    }
    const Clock::time_point start = Clock::now();
    Clock::time_point lastFrame = start;
    Clock::time_point nextProgress = start;
    double elapsed = 0.0;
    while (elapsed < request.seconds && !Interrupted()) {
        if (Clock::now() >= nextProgress) {
            progress(result->frames, elapsed);
            nextProgress += std::chrono::milliseconds(kSliceMs);
        }
        const int sliceMs = static_cast<int>(
            std::clamp((request.seconds - elapsed) * 1000.0, 1.0, double{kSliceMs}));
        NodrixExStreamBuffer buffer{};
        buffer.size = sizeof buffer;
        const int waited = NodrixEx_StreamWaitBuffer(handle, sliceMs, &buffer);
        elapsed = Since(start);
        if (waited == NODRIXEX_WAIT_BUFFER) {
            ++result->frames;
            lastFrame = Clock::now();
            NodrixEx_StreamQueueBuffer(handle, buffer.id);
            continue;
        }
        if (waited == NODRIXEX_WAIT_FAILED) {
            result->error = Nodrix_GetLastError(handle);
            break;
        }
        if (waited != NODRIXEX_WAIT_TIMEOUT) break;  // stopped
        if (request.timeout > 0 && Since(lastFrame) >= request.timeout) {
            result->timedOut = true;
            break;
        }
    }
    NodrixEx_StreamStop(handle);
    elapsed = Since(start);
    result->seconds = elapsed;
    progress(result->frames, elapsed);
    result->statistics.size = sizeof result->statistics;
    NodrixEx_GetStreamStatistics(handle, &result->statistics);
    result->rateFps = elapsed > 0 ? result->frames / elapsed : 0.0;
    return true;
}

}  // namespace nodrix_tool
