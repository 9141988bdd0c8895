// nodrix record --out FILE.avi: the preview into an AVI file for a time, or
// until Ctrl-C, with a progress line and a summary.
#include <chrono>
#include <cstdio>
#include <thread>

#include "AviProgress.h"
#include "Commands.h"
#include "Console.h"
#include "ErrorText.h"
#include "NodrixSdk.h"
#include "Progress.h"

namespace nodrix_tool {
namespace {

void ShowProgress(ProgressLine& line, const AviState& state, double elapsed, double seconds) {
    const double megabytes = state.bytes / 1e6;
    const double rate = elapsed > 0 ? state.frames / elapsed : 0.0;
    double left = seconds - elapsed;
    // The file-size limit may come first.
    if (elapsed > 0 && state.bytes > 0) {
        const double untilFull = (kAviSizeLimit - state.bytes) / (state.bytes / elapsed);
        if (untilFull < left) left = untilFull;
    }
    char text[128];
    std::snprintf(text, sizeof text, "  %6u frames  %8.1f MB  %5.1f frames/s  %5.1f s left",
                  state.frames, megabytes, rate, left > 0 ? left : 0.0);
    line.Show(text);
}

}  // namespace

int Record(Session& session, const Options& options) {
    const int handle = session.Handle();
    if (const int status = ApplyCaptureSettings(session, options)) return status;
    const int durationMs = static_cast<int>(options.seconds * 1000.0);
    CatchInterrupt();
    if (!Nodrix_Record(handle, options.out.c_str(), durationMs, 0)) {
        return Fail(session, "starting the recording");
    }
    std::printf("recording %s for %.1f s (Ctrl-C stops and keeps the file)\n", options.out.c_str(),
                options.seconds);
    std::fflush(stdout);
    // The duration counts from the first frame; a camera that delivers none
    // for long is given up on, and the stop finishes the file as it stands.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point limit = start + std::chrono::milliseconds(durationMs + 10000);
    ProgressLine line;
    AviState state = ReadAviState(options.out);
    while (!state.finished && !Interrupted() && Clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        state = ReadAviState(options.out);
        ShowProgress(line, state, std::chrono::duration<double>(Clock::now() - start).count(),
                     options.seconds);
    }
    // Waits for the recording thread, which finishes the file.
    Nodrix_StopPreview(handle);
    line.Finish();
    const int error = Nodrix_GetLastError(handle);
    state = ReadAviState(options.out);
    if (!state.finished) {
        std::fprintf(stderr, "nodrix: %s was not completed\n", options.out.c_str());
        return kExitFailed;
    }
    std::printf("wrote %s: %u frames, %.1f MB, %.2f frames per second%s\n", options.out.c_str(),
                state.frames, state.bytes / 1e6,
                state.microSecPerFrame != 0 ? 1e6 / state.microSecPerFrame : 0.0,
                Interrupted() ? " (stopped by Ctrl-C)" : "");
    if (Interrupted()) return kExitInterrupted;
    if (error != 0) {
        std::fprintf(stderr, "nodrix: the recording reported error %d (%s)\n", error,
                     ErrorText(error));
        return kExitFailed;
    }
    if (EndedAtSizeLimit(state)) {
        std::fprintf(stderr, "nodrix: the recording stopped at the AVI file-size limit (%.1f GB)\n",
                     kAviSizeLimit / 1e9);
        return kExitSizeLimit;
    }
    return state.frames != 0 ? kExitOk : kExitFailed;
}

}  // namespace nodrix_tool
