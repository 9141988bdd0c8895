// nodrix stream: a preview for a time, with frames, rate and, through the
// extension API, the frames lost by reason.
#include <cstdio>

#include "Commands.h"
#include "Console.h"
#include "ErrorText.h"
#include "ExtensionApi.h"
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
};

void PrintJson(const ExtensionStreamResult& r, bool haveStatistics, bool interrupted) {
    JsonWriter json;
    json.BeginObject()
        .Number("frames", r.stream.frames)
        .Number("seconds", r.stream.seconds)
        .Number("rate_fps", r.stream.rateFps)
        .Number("error", r.stream.error)
        .Bool("interrupted", interrupted);
    if (haveStatistics) {
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
    } else {
        json.Null("statistics");
    }
    json.EndObject().Print();
}

void PrintText(const ExtensionStreamResult& r, bool haveStatistics) {
    std::printf("%d frames received, %.1f frames per second\n", r.stream.frames, r.stream.rateFps);
    if (!haveStatistics) {
        std::printf("(this SDK library has no stream statistics)\n");
        return;
    }
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
    const bool haveStatistics = Extension().HasStreaming();
    ExtensionStreamResult result;
    const bool started =
        haveStatistics ? StreamWithExtension(session.Handle(), options.seconds, progress, &result)
                       : StreamFrames(session.Handle(), options.seconds, progress, &result.stream);
    line.Finish();
    if (!started) {
        std::fprintf(stderr, "nodrix: starting the preview failed: error %d (%s)\n",
                     result.stream.error, ErrorText(result.stream.error));
        return kExitFailed;
    }
    if (options.json) {
        PrintJson(result, haveStatistics, Interrupted());
    } else {
        PrintText(result, haveStatistics);
    }
    if (Interrupted()) return kExitInterrupted;
    if (result.stream.error != 0) {
        std::fprintf(stderr, "nodrix: the stream reported error %d (%s)\n", result.stream.error,
                     ErrorText(result.stream.error));
        return kExitFailed;
    }
    if (result.stream.frames == 0) {
        std::fprintf(stderr, "nodrix: no frame arrived\n");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace nodrix_tool
