// What snap, stream and record share: NAME=VALUE settings for the run, the
// output bits, and a mask file.
#include <cstdio>

#include "Commands.h"
#include "NodrixSdk.h"
#include "Parameters.h"

namespace nodrix_tool {

int ApplyCaptureSettings(Session& session, const Options& options) {
    for (const std::string& assignment : options.args) {
        if (const int status = AssignParameter(session, assignment)) return status;
    }
    if (options.bits != 0 && !Nodrix_SetColorMode(session.Handle(), options.bits)) {
        return Fail(session, "selecting the output bits");
    }
    if (!options.mask.empty()) {
        if (!Nodrix_LoadMaskFile(session.Handle(), options.mask.c_str())) {
            return Fail(session, ("loading the mask " + options.mask).c_str());
        }
        Nodrix_SetMaskFilter(session.Handle(), 1);
    }
    return kExitOk;
}

}  // namespace nodrix_tool
