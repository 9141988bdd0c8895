// nodrix config load FILE: reads a configuration file into the connection.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Commands.h"
#include "ErrorText.h"
#include "NodrixSdk.h"

namespace nodrix_tool {

int Config(Session& session, const Options& options) {
    if (options.args.size() != 2 || options.args[0] != "load") {
        std::fprintf(stderr, "nodrix: config needs load FILE\n");
        return kExitUsage;
    }
    const std::string& file = options.args[1];
    // The SDK takes any file as pairs and drops a remainder; a file that is
    // not whole 8-byte pairs is not a configuration file the user meant.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && (size == 0 || size % 8 != 0)) {
        std::fprintf(stderr,
                     "nodrix: %s is not a configuration file: %ju bytes are no whole number of "
                     "8-byte value pairs\n",
                     file.c_str(), size);
        return kExitFailed;
    }
    if (!Nodrix_LoadConfigFileA(session.Handle(), file.c_str())) {
        std::fprintf(stderr, "nodrix: could not read the configuration file %s: %s\n", file.c_str(),
                     SystemReason(session.Handle()).c_str());
        return kExitFailed;
    }
    std::printf("read %s: %ju value pairs\n", file.c_str(), size / 8);
    return kExitOk;
}

}  // namespace nodrix_tool
