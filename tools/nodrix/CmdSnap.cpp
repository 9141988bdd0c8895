// nodrix snap --out FILE: one frame, written as the file's extension says.
#include <cstdio>
#include <vector>

#include "Commands.h"
#include "ErrorText.h"
#include "NodrixSdk.h"
#include "Pgm.h"
#include "StillKind.h"

namespace nodrix_tool {
namespace {

// Without --bits: 8 bits for JPEG (which holds no more) and BMP (whose 16-bit
// form viewers do not show as grey); the others keep a 16-bit frame.
bool EightBitOnly(int kind) {
    return kind == NODRIX_IMAGE_BMP || kind == NODRIX_IMAGE_JPEG_100 ||
           kind == NODRIX_IMAGE_JPEG_70 || kind == NODRIX_IMAGE_JPEG_20;
}

}  // namespace

int Snap(Session& session, const Options& options) {
    const int handle = session.Handle();
    const int kind = StillKindFor(options.out, options.quality);
    if (const int status = ApplyCaptureSettings(session, options)) return status;
    int bits = options.bits;
    if (bits == 0) bits = !EightBitOnly(kind) && Nodrix_GetColorMode(handle) == 16 ? 16 : 8;
    if (Nodrix_GetColorMode(handle) != bits && !Nodrix_SetColorMode(handle, bits)) {
        return Fail(session, "selecting the output bits");
    }
    const int width = Nodrix_Width(handle);
    const int height = Nodrix_Height(handle);
    const int stride = (width * (bits / 8) + 3) & ~3;
    std::vector<unsigned char> frame(static_cast<std::size_t>(stride) * height);
    // Row order 1: the picture's top row first, as PGM wants it.
    if (!Nodrix_SnapShot(handle, frame.data(), static_cast<int>(frame.size()), 1)) {
        return Fail(session, "taking a snapshot");
    }
    if (kind != kPgmFile) {
        // The SDK saves the frame it has just converted.
        if (!Nodrix_SaveImage(handle, options.out.c_str(), kind)) {
            const int code = Nodrix_GetLastError(handle);
            const std::string reason =
                code == NODRIX_ERROR_FILE ? SystemReason(handle) : ErrorText(code);
            std::fprintf(stderr, "nodrix: could not write %s: %s\n", options.out.c_str(),
                         reason.c_str());
            return kExitFailed;
        }
    } else if (!WritePgm(options.out, frame.data(), width, height, stride, bits)) {
        std::fprintf(stderr, "nodrix: could not write %s\n", options.out.c_str());
        return kExitFailed;
    }
    // What the file holds: a JPEG keeps the top 8 bits of a 16-bit frame.
    const int fileBits = FileBits(kind, bits);
    std::printf("wrote %s: %d x %d, %d bits per pixel, %s", options.out.c_str(), width, height,
                fileBits, KindName(kind));
    if (fileBits != bits) std::printf(" (the top %d bits of the %d-bit frame)", fileBits, bits);
    std::printf("\n");
    return kExitOk;
}

}  // namespace nodrix_tool
