// nodrix record --out FILE.avi: the preview into an AVI file for a time, or
// until Ctrl-C, with a progress line and a summary. The frames are written
// in the grey format of the acquisition's depth (8-bit grey, or 16-bit
// samples), in a file of any length.
#include <chrono>
#include <cstdio>
#include <thread>

#include "Commands.h"
#include "Console.h"
#include "ErrorText.h"
#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "Progress.h"

namespace nodrix_tool {
namespace {

NodrixExRecordStatus Status(int handle) {
    NodrixExRecordStatus status = {};
    status.size = sizeof status;
    NodrixEx_GetRecordStatus(handle, &status);
    return status;
}

void ShowProgress(ProgressLine& line, const NodrixExRecordStatus& status, double elapsed,
                  double seconds) {
    const double rate = elapsed > 0 ? static_cast<double>(status.framesWritten) / elapsed : 0.0;
    const double left = seconds - elapsed;
    char text[160];
    std::snprintf(text, sizeof text,
                  "  %6llu frames  %8.1f MB  %5.1f frames/s  %5.1f s left  %llu dropped",
                  static_cast<unsigned long long>(status.framesWritten),
                  static_cast<double>(status.bytesWritten) / 1e6, rate, left > 0 ? left : 0.0,
                  static_cast<unsigned long long>(status.framesDropped));
    line.Show(text);
}

}  // namespace

int Record(Session& session, const Options& options) {
    const int handle = session.Handle();
    if (const int status = ApplyCaptureSettings(session, options)) return status;
    const int durationMs = static_cast<int>(options.seconds * 1000.0);
    const int bits = Nodrix_GetColorMode(handle);
    const int format = bits == 16  ? NODRIXEX_RECORD_GREY16
                       : bits == 8 ? NODRIXEX_RECORD_GREY8
                                   : NODRIXEX_RECORD_BGR24;
    if (!NodrixEx_SetRecordFormat(handle, format)) return Fail(session, "choosing the format");
    CatchInterrupt();
    if (!Nodrix_Record(handle, options.out.c_str(), durationMs, 0)) {
        const int code = Nodrix_GetLastError(handle);
        if (code == NODRIX_ERROR_FILE) {
            std::fprintf(stderr, "nodrix: could not write %s: %s\n", options.out.c_str(),
                         SystemReason(handle).c_str());
            return kExitFailed;
        }
        std::fprintf(stderr, "nodrix: starting the recording failed: error %d (%s)\n", code,
                     ErrorText(code));
        return kExitFailed;
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
    NodrixExRecordStatus status = Status(handle);
    while (status.recording != 0 && !Interrupted() && Clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        status = Status(handle);
        ShowProgress(line, status, std::chrono::duration<double>(Clock::now() - start).count(),
                     options.seconds);
    }
    // Waits for the recording thread, which finishes the file.
    Nodrix_StopPreview(handle);
    line.Finish();
    status = Status(handle);
    if (status.error == NODRIX_ERROR_FILE) {
        // What was written before the failure is a whole file, but the
        // recording is not what was asked for.
        std::fprintf(stderr, "nodrix: could not write %s: %s (%llu frames kept)\n",
                     options.out.c_str(), SystemReason(handle).c_str(),
                     static_cast<unsigned long long>(status.framesWritten));
        return kExitFailed;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("wrote %s: %llu frames, %.1f MB, %.2f frames per second, %llu dropped%s\n",
                options.out.c_str(), static_cast<unsigned long long>(status.framesWritten),
                static_cast<double>(status.bytesWritten) / 1e6,
                seconds > 0 ? static_cast<double>(status.framesWritten) / seconds : 0.0,
                static_cast<unsigned long long>(status.framesDropped),
                Interrupted() ? " (stopped by Ctrl-C)" : "");
    if (Interrupted()) return kExitInterrupted;
    const int error = Nodrix_GetLastError(handle);
    if (error != 0) {
        std::fprintf(stderr, "nodrix: the recording reported error %d (%s)\n", error,
                     ErrorText(error));
        return kExitFailed;
    }
    return status.framesWritten != 0 ? kExitOk : kExitFailed;
}

}  // namespace nodrix_tool
