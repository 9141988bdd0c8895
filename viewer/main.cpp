// nodrix-viewer: the camera's live picture, its controls, snapshots and
// recordings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "App.h"

namespace {

const char kUsage[] =
    "usage: nodrix-viewer [--device N] [--set NAME=VALUE]... [--folder DIR]\n"
    "                     [--record-seconds S] [--one-to-one] [--size WxH] [--probe FILE]\n"
    "\n"
    "  --device N          the Nth camera (1: the first)\n"
    "  --set NAME=VALUE    a parameter of `nodrix set`, applied after opening\n"
    "  --folder DIR        where snapshots and recordings go (default: .)\n"
    "  --record-seconds S  length of a recording (default 10)\n"
    "  --one-to-one        start at 1:1 instead of fitting the picture\n"
    "  --size WxH          window size (default 1400x900)\n"
    "  --probe FILE        write the window's state as JSON (for tests)\n"
    "\n"
    "Keys: S snapshot, R record, F fit, 1 one to one, wheel zoom, drag pan, Space pause,\n"
    "C crosshair, G grid, M mark clipping, A auto contrast, Ctrl+Q quit.\n"
    "NODRIX_EMULATION=1 shows the emulated camera. Nothing is stored in the camera\n"
    "unless \"Store the settings in the camera\" is ticked.\n";

}  // namespace

int main(int argc, char** argv) {
    nodrix_viewer::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--device" && hasValue) {
            options.device = std::atoi(argv[++i]) - 1;
        } else if (arg == "--set" && hasValue) {
            options.settings.emplace_back(argv[++i]);
        } else if (arg == "--folder" && hasValue) {
            options.folder = argv[++i];
        } else if (arg == "--record-seconds" && hasValue) {
            options.recordSeconds = std::atof(argv[++i]);
        } else if (arg == "--one-to-one") {
            options.oneToOne = true;
        } else if (arg == "--size" && hasValue &&
                   std::sscanf(argv[i + 1], "%dx%d", &options.width, &options.height) == 2) {
            ++i;
        } else if (arg == "--probe" && hasValue) {
            options.probe = argv[++i];
        } else {
            std::fprintf(stderr, "nodrix-viewer: unknown argument '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (options.device < 0 || options.recordSeconds <= 0.0 || options.width < 320 ||
        options.height < 240) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    nodrix_viewer::App app(options);
    return app.Run();
}
