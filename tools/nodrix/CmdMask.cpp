// nodrix mask take dark|white --out FILE [--mask FROM], nodrix mask load FILE
#include <cstdio>

#include "Commands.h"
#include "NodrixSdk.h"

namespace nodrix_tool {
namespace {

// Takes the plane from one frame in each output depth, so both the 8-bit
// and the 16-bit version of the plane come from the camera.
bool TakePlane(Session& session, int which) {
    const int handle = session.Handle();
    for (const int bits : {8, 16}) {
        if (!Nodrix_SetColorMode(handle, bits) || !Nodrix_SnapShot(handle, nullptr, 0, 1) ||
            !Nodrix_UpdateMaskData(handle, which)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int Mask(Session& session, const Options& options) {
    const std::vector<std::string>& args = options.args;
    const int handle = session.Handle();
    if (args.size() == 2 && args[0] == "load") {
        if (!Nodrix_LoadMaskFile(handle, args[1].c_str())) return Fail(session, "loading the mask");
        std::printf("%s is a valid mask file\n", args[1].c_str());
        return kExitOk;
    }
    if (args.size() != 2 || args[0] != "take" || (args[1] != "dark" && args[1] != "white")) {
        std::fprintf(stderr,
                     "nodrix: mask needs take dark|white --out FILE [--mask FROM], "
                     "or load FILE\n");
        return kExitUsage;
    }
    if (options.out.empty()) {
        std::fprintf(stderr, "nodrix: mask take needs --out FILE\n");
        return kExitUsage;
    }
    // The other planes come from --mask, or keep their neutral start.
    if (!options.mask.empty() && !Nodrix_LoadMaskFile(handle, options.mask.c_str())) {
        return Fail(session, "loading the mask");
    }
    if (!TakePlane(session, args[1] == "dark" ? 0 : 1)) {
        return Fail(session, "taking the mask plane");
    }
    if (!Nodrix_SaveMaskFile(handle, options.out.c_str())) {
        return Fail(session, "saving the mask");
    }
    std::printf("wrote %s with the %s plane of this camera\n", options.out.c_str(),
                args[1].c_str());
    return kExitOk;
}

}  // namespace nodrix_tool
