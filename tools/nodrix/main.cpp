// nodrix: the command-line tool over the SDK's exported functions.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "StillKind.h"
#include "NodrixSdk.h"

namespace {

void Usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: nodrix COMMAND [OPTIONS]\n"
                 "\n"
                 "commands:\n"
                 "  list                      the cameras found\n"
                 "  info                      camera information, serial number, temperature,\n"
                 "                            exposure and gain ranges\n"
                 "  snap --out FILE           one frame, written as the file's extension says:\n"
                 "                            .pgm (binary PGM), .bmp, .png, .tif, .jpg or .raw\n"
                 "       [--bits 8|16] [--exposure-ms MS] [--gain VALUE] [--quality 100|70|20]\n"
                 "                            (default: the grey format of the settings;\n"
                 "                            JPEG quality 100)\n"
                 "  stream [--seconds N]      a preview for N seconds (default 3): frames\n"
                 "                            received and the measured frame rate\n"
                 "  record --out FILE.avi     an AVI file of the preview for N seconds\n"
                 "       [--seconds N] [--bits 8|16] [--exposure-ms MS]\n"
                 "                            (default 3 s, the grey format of the settings)\n"
                 "  help                      this text\n"
                 "\n"
                 "With no camera attached the tool uses the emulated camera\n"
                 "(NODRIX_EMULATION=1); set NODRIX_EMULATION to choose its cameras.\n"
                 "SDK version %d.\n",
                 Nodrix_GetDllVersion());
}

// Reads "--name value" pairs; false on an unknown option or a missing value.
bool ParseOptions(int argc, char** argv, nodrix_tool::Options* options) {
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "nodrix: option %s needs a value\n", name.c_str());
            return false;
        }
        const char* value = argv[++i];
        char* end = nullptr;
        if (name == "--out") {
            options->out = value;
            continue;
        }
        const double number = std::strtod(value, &end);
        if (end == value || *end != '\0') {
            std::fprintf(stderr, "nodrix: %s is not a number: %s\n", name.c_str(), value);
            return false;
        }
        if (name == "--bits") {
            options->bits = static_cast<int>(number);
        } else if (name == "--exposure-ms") {
            options->exposureMs = number;
        } else if (name == "--gain") {
            options->gain = static_cast<int>(number);
            options->haveGain = true;
        } else if (name == "--quality") {
            options->quality = static_cast<int>(number);
        } else if (name == "--seconds") {
            options->seconds = number;
        } else {
            std::fprintf(stderr, "nodrix: unknown option %s\n", name.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
        std::strcmp(argv[1], "-h") == 0) {
        Usage(stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    nodrix_tool::Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;

    nodrix_tool::Command run = nullptr;
    if (command == "list") run = nodrix_tool::List;
    if (command == "info") run = nodrix_tool::Info;
    if (command == "snap") run = nodrix_tool::Snap;
    if (command == "stream") run = nodrix_tool::Stream;
    if (command == "record") run = nodrix_tool::Record;
    if (run == nullptr) {
        std::fprintf(stderr, "nodrix: unknown command '%s'\n\n", command.c_str());
        Usage(stderr);
        return 2;
    }
    if (command == "snap" && options.out.empty()) {
        std::fprintf(stderr, "nodrix: snap needs --out FILE\n");
        return 2;
    }
    if (command == "snap" && nodrix_tool::StillKindFor(options.out, options.quality) ==
                                 nodrix_tool::kUnknownFile) {
        std::fprintf(stderr,
                     "nodrix: snap writes .pgm, .bmp, .png, .tif, .jpg (quality 100, 70 or 20) "
                     "or .raw files\n");
        return 2;
    }
    if (command == "record" && options.out.empty()) {
        std::fprintf(stderr, "nodrix: record needs --out FILE.avi\n");
        return 2;
    }
    if (options.bits != 0 && options.bits != 8 && options.bits != 16) {
        std::fprintf(stderr, "nodrix: --bits must be 8 or 16\n");
        return 2;
    }
    if (options.seconds <= 0) {
        std::fprintf(stderr, "nodrix: --seconds must be positive\n");
        return 2;
    }

    nodrix_tool::Session session;
    const int opened = session.Open(argc, argv);
    if (opened != nodrix_tool::Session::kOpened) return opened;
    return run(session, options);
}
