// nodrix record: an AVI file of the preview for a number of seconds.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <thread>

#include "Commands.h"
#include "ErrorText.h"
#include "NodrixSdk.h"

namespace nodrix_tool {
namespace {

std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The frame count and the microseconds per frame of a finished file; false
// while the file is still open (unreadable, or its sizes not yet patched).
bool ReadFinished(const std::string& file, std::uint32_t* frames, std::uint32_t* microSec) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[56] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    *microSec = Le32(header + 32);
    *frames = Le32(header + 48);
    return Le32(header + 4) != 0;
}

}  // namespace

int Record(Session& session, const Options& options) {
    const int handle = session.Handle();
    const int current = Nodrix_GetColorMode(handle);
    if (options.bits != 0 && current != options.bits && !Nodrix_SetColorMode(handle, options.bits)) {
        return Fail(session, options.bits == 16 ? "selecting 16-bit output" : "selecting 8-bit output");
    }
    if (options.exposureMs >= 0 && !Nodrix_SetExposureTimeEx(handle, options.exposureMs / 1000.0)) {
        return Fail(session, "setting the exposure");
    }
    const int durationMs = static_cast<int>(options.seconds * 1000.0);
    if (!Nodrix_Record(handle, options.out.c_str(), durationMs, 0)) {
        return Fail(session, "starting the recording");
    }
    std::printf("recording %s for %.1f s\n", options.out.c_str(), options.seconds);
    // The duration counts from the first frame; a camera that delivers none
    // for long is given up on, and the stop finishes the file as it stands.
    const auto limit = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(durationMs + 10000);
    std::uint32_t frames = 0;
    std::uint32_t microSec = 0;
    while (!ReadFinished(options.out, &frames, &microSec) &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Waits for the recording thread, which closes the file.
    Nodrix_StopPreview(handle);
    const int error = Nodrix_GetLastError(handle);
    if (!ReadFinished(options.out, &frames, &microSec)) {
        std::fprintf(stderr, "nodrix: %s was not completed\n", options.out.c_str());
        return 1;
    }
    std::printf("wrote %s: %u frames, %.2f frames per second\n", options.out.c_str(), frames,
                microSec != 0 ? 1e6 / microSec : 0.0);
    if (error != 0) {
        std::fprintf(stderr, "nodrix: the recording reported error %d (%s)\n", error,
                     ErrorText(error));
        return 1;
    }
    return frames != 0 ? 0 : 1;
}

}  // namespace nodrix_tool
