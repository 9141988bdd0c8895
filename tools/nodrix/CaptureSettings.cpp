// What snap, stream and record share: NAME=VALUE settings for the run, the
// output bits, and a mask file.
#include <cstdio>

#include "Commands.h"
#include "NodrixSdk.h"
#include "Parameters.h"

namespace nodrix_tool {

bool ApplyCaptureSettings(Session& session, const Options& options) {
    for (const std::string& assignment : options.args) {
        if (AssignParameter(session, assignment) != kExitOk) return false;
    }
    if (options.bits != 0 && !Nodrix_SetColorMode(session.Handle(), options.bits)) {
        Fail(session, "selecting the output bits");
        return false;
    }
    if (!options.mask.empty()) {
        if (!Nodrix_LoadMaskFile(session.Handle(), options.mask.c_str())) {
            Fail(session, ("loading the mask " + options.mask).c_str());
            return false;
        }
        Nodrix_SetMaskFilter(session.Handle(), 1);
    }
    return true;
}

}  // namespace nodrix_tool
