// nodrix: the command-line tool over the SDK's exported functions.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CommandTable.h"
#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "StillKind.h"

namespace {

using nodrix_tool::CommandSpec;
using nodrix_tool::kExitUsage;
using nodrix_tool::Options;

#ifndef NODRIX_TOOL_VERSION
#error "the build defines NODRIX_TOOL_VERSION (the SDK's version) for this file"
#endif

bool TakesValue(const std::string& name) {
    return name == "--out" || name == "--device" || name == "--mask" || name == "--bits" ||
           name == "--seconds" || name == "--quality" || name == "--exposure-ms" ||
           name == "--gain" || name == "--buffers" || name == "--timeout";
}

bool IsCommonOption(const std::string& name) {
    return name == "--device" || name == "--save" || name == "--no-emulation" || name == "--help" ||
           name == "-h" || name == "--version";
}

bool IsOption(const std::string& arg) {
    return arg.size() >= 2 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

// Where the command is: the first argument that is neither an option nor an
// option's value, so that options may come before it (`nodrix --device 1
// info`) as well as after it. argc when there is none.
int CommandIndex(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!IsOption(arg)) return i;
        if (TakesValue(arg)) ++i;
    }
    return argc;
}

bool ParseNumber(const std::string& name, const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        std::fprintf(stderr, "nodrix: %s needs a number, not '%s'\n", name.c_str(), text.c_str());
        return false;
    }
    return true;
}

bool Store(const std::string& name, const std::string& value, Options* options) {
    double number = 0.0;
    if (name == "--out") options->out = value;
    if (name == "--device") options->device = value;
    if (name == "--mask") options->mask = value;
    if (name == "--exposure-ms") options->args.push_back("exposure-ms=" + value);
    if (name == "--gain") options->args.push_back("gain=" + value);
    if (name != "--bits" && name != "--seconds" && name != "--quality" && name != "--buffers" &&
        name != "--timeout") {
        return true;
    }
    if (!ParseNumber(name, value, &number)) return false;
    if (name == "--bits") options->bits = static_cast<int>(number);
    if (name == "--seconds") options->seconds = number;
    if (name == "--timeout") options->timeout = number;
    if (name == "--buffers") {
        // Out of range (or a fraction) is refused by Validate.
        options->buffers = number >= 1 && number <= 4096 && number == static_cast<int>(number)
                               ? static_cast<int>(number)
                               : 0;
    }
    if (name == "--quality") {
        options->quality = static_cast<int>(number);
        options->qualityGiven = true;
    }
    return true;
}

// Reads the arguments around the command (at argv[at]); false after saying
// what is wrong.
bool ParseArguments(int argc, char** argv, int at, const CommandSpec& command, Options* options) {
    for (int i = 1; i < argc; ++i) {
        if (i == at) continue;
        const std::string arg = argv[i];
        if (!IsOption(arg)) {
            options->args.push_back(arg);
            continue;
        }
        if (!IsCommonOption(arg) && !nodrix_tool::CommandTakesOption(command, arg)) {
            std::fprintf(stderr, "nodrix: %s does not take %s (see nodrix %s --help)\n",
                         command.name, arg.c_str(), command.name);
            return false;
        }
        if (arg == "--help" || arg == "-h") options->help = true;
        if (arg == "--version") options->version = true;
        if (arg == "--json") options->json = true;
        if (arg == "--save") options->save = true;
        if (arg == "--no-emulation") options->noEmulation = true;
        if (arg == "--confirm-write") options->confirmWrite = true;
        if (arg == "--trigger") options->trigger = true;
        if (!TakesValue(arg)) continue;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "nodrix: %s needs a value\n", arg.c_str());
            return false;
        }
        if (!Store(arg, argv[++i], options)) return false;
    }
    return true;
}

bool Validate(const Options& options) {
    const auto refuse = [](const char* message) {
        std::fprintf(stderr, "nodrix: %s\n", message);
        return false;
    };
    const std::string& c = options.command;
    if ((c == "snap" || c == "record") && options.out.empty()) {
        return refuse(c == "snap" ? "snap needs --out FILE" : "record needs --out FILE.avi");
    }
    if (c == "snap" &&
        nodrix_tool::StillKindFor(options.out, options.quality) == nodrix_tool::kUnknownFile) {
        return refuse("snap writes .pgm, .png, .tif, .raw, .jpg (--quality 100, 70 or 20) or .bmp");
    }
    if (c == "snap" && options.qualityGiven &&
        !nodrix_tool::HasQuality(nodrix_tool::StillKindFor(options.out, options.quality))) {
        return refuse("--quality applies to JPEG files (.jpg, .jpeg) only");
    }
    if (c == "record") {
        const std::size_t dot = options.out.find_last_of('.');
        std::string ext = dot == std::string::npos ? "" : options.out.substr(dot);
        for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (ext != ".avi") return refuse("record writes AVI files only: --out FILE.avi");
    }
    if (options.bits != 0 && options.bits != 8 && options.bits != 16) {
        return refuse("--bits must be 8 or 16");
    }
    if (!(options.seconds > 0 && options.seconds < 86400.0 * 24)) {
        return refuse("--seconds must be positive (and below 24 days)");
    }
    if (options.buffers == 0) return refuse("--buffers must be a whole number, 1 to 4096");
    if (!(options.timeout >= 0 && options.timeout < 86400.0 * 24)) {
        return refuse("--timeout must not be negative (and below 24 days)");
    }
    return true;
}

void PrintVersion() {
    std::printf("nodrix %s (SDK %s, Nodrix_GetDllVersion %d)\n", NODRIX_TOOL_VERSION,
                NodrixEx_GetVersionText(), Nodrix_GetDllVersion());
}

}  // namespace

int main(int argc, char** argv) {
    const int at = CommandIndex(argc, argv);
    const std::string first = at < argc ? argv[at] : "";
    if (first.empty()) {
        // Options alone: the version, the overview, or what is wrong.
        Options options;
        static const CommandSpec kNone{"nodrix", nullptr, "", "", "", "", false};
        if (argc > 1 && !ParseArguments(argc, argv, at, kNone, &options)) return kExitUsage;
        if (options.version) {
            PrintVersion();
            return 0;
        }
        nodrix_tool::PrintOverview(options.help ? stdout : stderr);
        return options.help ? 0 : kExitUsage;
    }
    const CommandSpec* command = nodrix_tool::FindCommand(first);
    if (command == nullptr) {
        std::fprintf(stderr, "nodrix: unknown command '%s'; `nodrix help` lists them\n",
                     first.c_str());
        return kExitUsage;
    }
    Options options;
    options.command = first;
    if (!ParseArguments(argc, argv, at, *command, &options)) return kExitUsage;
    if (options.version) {
        PrintVersion();
        return 0;
    }
    if (first == "help") {
        const CommandSpec* topic =
            options.args.empty() ? nullptr : nodrix_tool::FindCommand(options.args[0]);
        if (!options.args.empty() && topic == nullptr) {
            std::fprintf(stderr, "nodrix: no command '%s'\n", options.args[0].c_str());
            return kExitUsage;
        }
        if (topic != nullptr) {
            nodrix_tool::PrintCommandHelp(*topic, stdout);
        } else {
            nodrix_tool::PrintOverview(stdout);
        }
        return 0;
    }
    if (options.help) {
        nodrix_tool::PrintCommandHelp(*command, stdout);
        return 0;
    }
    if (!Validate(options)) return kExitUsage;

    nodrix_tool::Session session;
    const int opened = session.Open(options, argc, argv);
    if (opened != nodrix_tool::Session::kOpened) return opened;
    const int status = command->run(session, options);
    // A command that failed half-way keeps nothing, --save or not.
    if (options.save && status == nodrix_tool::kExitOk) session.KeepChanges();
    return status;
}
