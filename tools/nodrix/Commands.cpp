#include "Commands.h"

#include <cstdio>
#include <vector>

#include "ErrorText.h"
#include "NodrixSdk.h"
#include "Pgm.h"
#include "StillKind.h"
#include "ToolPlatform.h"

namespace nodrix_tool {

int List(Session& session, const Options&) {
    const int handle = session.Handle();
    std::vector<char> names(NODRIX_ENUM_SLOTS * NODRIX_ENUM_SLOT_CHARS);
    const int count = Nodrix_EnumDevice(handle, names.data());
    if (count < 0) return Fail(session, "listing the cameras");
    std::printf("%d camera%s found\n", count, count == 1 ? "" : "s");
    for (int i = 0; i < count; ++i) {
        std::printf("  %d: %s\n", i, names.data() + i * NODRIX_ENUM_SLOT_CHARS);
    }
    return 0;
}

int Info(Session& session, const Options&) {
    const int handle = session.Handle();
    char name[NODRIX_ENUM_SLOT_CHARS] = {};
    if (!Nodrix_GetDeviceName(handle, 0, name, sizeof name)) {
        return Fail(session, "reading the camera's name");
    }
    NodrixCameraInfo info = {};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (!Nodrix_GetCameraInfo(handle, &info)) return Fail(session, "reading the camera information");
    char serial[64] = {};
    if (!Nodrix_ReadSerialNumberA(handle, serial, sizeof serial)) {
        return Fail(session, "reading the serial number");
    }
    int ok = 0;
    const double temperature = Nodrix_GetTemperatureEx(handle, &ok);

    std::printf("camera          %s\n", name);
    std::printf("serial number   %s\n", serial[0] != '\0' ? serial : "(none stored)");
    std::printf("sensor          %d x %d pixels\n", info.maxWidth, info.maxHeight);
    if (ok) {
        std::printf("temperature     %.1f C\n", temperature);
    } else {
        const int code = Nodrix_GetLastError(handle);
        std::printf("temperature     unavailable (error %d: %s)\n", code, ErrorText(code));
    }
    std::printf("exposure        %.1f ms to %.1f ms (%d to %d tenths of a millisecond)\n",
                info.exposureMin / 10.0, info.exposureMax / 10.0, info.exposureMin,
                info.exposureMax);
    std::printf("exposure (s)    %g s to %g s\n", info.exposureSecondsMin,
                info.exposureSecondsMax);
    std::printf("gain            %d to %d\n", info.gainMin, info.gainMax);
    std::printf("colour gain     %d to %d\n", info.colorGainMin, info.colorGainMax);
    return 0;
}

int Snap(Session& session, const Options& options) {
    const int handle = session.Handle();
    // This camera's frames are grey: the configured grey format unless one
    // is asked for, 8 bits instead of a colour format.
    const int current = Nodrix_GetColorMode(handle);
    int bits = options.bits;
    if (bits == 0) bits = current == 16 ? 16 : 8;
    if (current != bits && !Nodrix_SetColorMode(handle, bits)) {
        return Fail(session, bits == 16 ? "selecting 16-bit output" : "selecting 8-bit output");
    }
    if (options.exposureMs >= 0 && !Nodrix_SetExposureTimeEx(handle, options.exposureMs / 1000.0)) {
        return Fail(session, "setting the exposure");
    }
    if (options.haveGain && !Nodrix_SetFilterValue(handle, NODRIX_FILTER_GLOBAL_GAIN, options.gain)) {
        return Fail(session, "setting the gain");
    }
    const int width = Nodrix_Width(handle);
    const int height = Nodrix_Height(handle);
    const int stride = (width * (bits / 8) + 3) & ~3;
    std::vector<unsigned char> frame(static_cast<std::size_t>(stride) * height);
    // Row order 1: the picture's top row first, as PGM wants it.
    if (!Nodrix_SnapShot(handle, frame.data(), static_cast<int>(frame.size()), 1)) {
        return Fail(session, "taking a snapshot");
    }
    const int kind = StillKindFor(options.out, options.quality);
    if (kind != kPgmFile) {
        // The SDK saves the frame it has just converted.
        if (!Nodrix_SaveImage(handle, options.out.c_str(), kind)) {
            const int code = Nodrix_GetLastError(handle);
            std::fprintf(stderr, "nodrix: could not write %s%s%s\n", options.out.c_str(),
                         code != 0 ? ": " : "", code != 0 ? ErrorText(code) : "");
            return 1;
        }
    } else if (!WritePgm(options.out, frame.data(), width, height, stride, bits)) {
        std::fprintf(stderr, "nodrix: could not write %s\n", options.out.c_str());
        return 1;
    }
    std::printf("wrote %s: %d x %d, %d bits per pixel\n", options.out.c_str(), width, height,
                bits);
    return 0;
}

int Stream(Session& session, const Options& options) {
    const int handle = session.Handle();
    const auto progress = [](int frames, double seconds) {
        std::printf("\r  %5.1f s  %6d frames", seconds, frames);
        std::fflush(stdout);
    };
    StreamResult result;
    if (!StreamFrames(handle, options.seconds, progress, &result)) {
        std::printf("\n");
        std::fprintf(stderr, "nodrix: starting the preview failed: error %d (%s)\n",
                     result.error, ErrorText(result.error));
        return 1;
    }
    std::printf("\n%d frames received, %.1f frames per second\n", result.frames, result.rateFps);
    if (result.error != 0) {
        std::fprintf(stderr, "nodrix: the stream reported error %d (%s)\n", result.error,
                     ErrorText(result.error));
        return 1;
    }
    if (result.frames == 0) {
        std::fprintf(stderr, "nodrix: no frame arrived\n");
        return 1;
    }
    return 0;
}

}  // namespace nodrix_tool
