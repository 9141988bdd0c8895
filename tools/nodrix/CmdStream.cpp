// nodrix stream: the stream for a time, with frames, rate and the frames
// lost by reason.
#include <cstdio>

#include "Commands.h"
#include "Console.h"
#include "ErrorText.h"
#include "ExtensionStream.h"
#include "Json.h"
#include "Progress.h"

namespace nodrix_tool {
namespace {

struct LossReason {
    const char* key;
    std::uint64_t NodrixExStreamStatistics::*field;
};

constexpr LossReason kLossReasons[] = {
    {"lost_header", &NodrixExStreamStatistics::lostHeader},
    {"lost_payload", &NodrixExStreamStatistics::lostPayload},
    {"lost_gap", &NodrixExStreamStatistics::lostGap},
    {"lost_overwritten", &NodrixExStreamStatistics::lostOverwritten},
    {"lost_buffer_too_small", &NodrixExStreamStatistics::lostBufferTooSmall},
    {"lost_no_buffer", &NodrixExStreamStatistics::lostNoBuffer},
};

void PrintJson(const StreamResult& r, bool interrupted) {
    JsonWriter json;
    json.BeginObject()
        .Number("frames", r.frames)
        .Number("seconds", r.seconds)
        .Number("rate_fps", r.rateFps)
        .Number("error", r.error)
        .Bool("interrupted", interrupted)
        .Bool("timed_out", r.timedOut);
    const NodrixExStreamStatistics& s = r.statistics;
    json.BeginObject("statistics")
        .Number("received", static_cast<double>(s.framesReceived))
        .Number("delivered", static_cast<double>(s.framesDelivered));
    for (const LossReason& reason : kLossReasons) {
        json.Number(reason.key, static_cast<double>(s.*(reason.field)));
    }
    json.Number("recoveries", static_cast<double>(s.recoveries))
        .Number("received_rate", s.receivedRate)
        .Number("delivered_rate", s.deliveredRate)
        .EndObject();
    json.EndObject().Print();
}

void PrintText(const StreamResult& r) {
    std::printf("%d frames received, %.1f frames per second\n", r.frames, r.rateFps);
    const NodrixExStreamStatistics& s = r.statistics;
    std::printf("camera sent %llu, delivered %llu, recoveries %llu\n",
                static_cast<unsigned long long>(s.framesReceived),
                static_cast<unsigned long long>(s.framesDelivered),
                static_cast<unsigned long long>(s.recoveries));
    std::printf("lost:");
    for (const LossReason& reason : kLossReasons) {
        std::printf(" %s %llu", reason.key + 5, static_cast<unsigned long long>(s.*(reason.field)));
    }
    std::printf("\n");
}

}  // namespace

int Stream(Session& session, const Options& options) {
    if (const int status = ApplyCaptureSettings(session, options)) return status;
    CatchInterrupt();
    ProgressLine line;
    const auto progress = [&line, &options](int frames, double seconds) {
        if (options.json) return;
        char text[96];
        std::snprintf(text, sizeof text, "  %5.1f s  %6d frames", seconds, frames);
        line.Show(text);
    };
    StreamRequest request;
    request.seconds = options.seconds;
    request.buffers = options.buffers;
    request.trigger = options.trigger;
    request.timeout = options.timeout;
    StreamResult result;
    const bool started = StreamFrames(session.Handle(), request, progress, &result);
    line.Finish();
    if (!started) {
        std::fprintf(stderr, "nodrix: starting the stream failed: error %d (%s)\n", result.error,
                     ErrorText(result.error));
        return kExitFailed;
    }
    if (options.json) {
        PrintJson(result, Interrupted());
    } else {
        PrintText(result);
    }
    if (Interrupted()) return kExitInterrupted;
    if (result.error != 0) {
        std::fprintf(stderr, "nodrix: the stream reported error %d (%s)\n", result.error,
                     ErrorText(result.error));
        return kExitFailed;
    }
    if (result.timedOut) {
        std::fprintf(stderr, "nodrix: no frame within %g s\n", options.timeout);
        return kExitFailed;
    }
    if (result.frames == 0) {
        std::fprintf(stderr, "nodrix: no frame arrived\n");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace nodrix_tool
