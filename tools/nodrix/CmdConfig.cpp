// nodrix config load FILE: reads a configuration file into the connection.
#include <cstdio>

#include "Commands.h"
#include "NodrixSdk.h"

namespace nodrix_tool {

int Config(Session& session, const Options& options) {
    if (options.args.size() != 2 || options.args[0] != "load") {
        std::fprintf(stderr, "nodrix: config needs load FILE\n");
        return kExitUsage;
    }
    const std::string& file = options.args[1];
    if (!Nodrix_LoadConfigFileA(session.Handle(), file.c_str())) {
        std::fprintf(stderr, "nodrix: could not read the configuration file %s\n", file.c_str());
        return kExitFailed;
    }
    std::printf("read %s\n", file.c_str());
    return kExitOk;
}

}  // namespace nodrix_tool
