#include "CommandTable.h"

#include "NodrixSdk.h"
#include "Parameters.h"

namespace nodrix_tool {
namespace {

int NoCommand(Session&, const Options&) {
    return kExitOk;
}

const CommandSpec kCommands[] = {
    {"list", List, "[--json]", "the cameras found, with index, name and serial number", "--json",
     "nodrix list --json", true},
    {"info", Info, "[--json]",
     "identity, serial number, temperature, and every parameter with its value and range", "--json",
     "nodrix info --device 0", true},
    {"get", Get, "[NAME...] [--json]", "parameter values (all without a NAME)", "--json",
     "nodrix get exposure-ms gain", true},
    {"set", Set, "NAME=VALUE... [--save]",
     "sets parameters, checked against the camera's ranges; kept only with --save", "",
     "nodrix set exposure-ms=20 gain=8 --save", true},
    {"regs", Regs, "fpga|sensor ADDRESS|FIRST..LAST|ADDRESS=VALUE... [--json]",
     "reads and writes FPGA or sensor registers (decimal or 0x hexadecimal)", "--json",
     "nodrix regs fpga 16..17 --json", true},
    {"eeprom", Eeprom, "read [ADDRESS|FIRST..LAST] | write ADDRESS=VALUE... --confirm-write",
     "reads the configuration EEPROM (0 to 0xFFF; default the first 256 bytes); writing needs "
     "--confirm-write",
     "--confirm-write", "nodrix eeprom read 0..0x3F", true},
    {"snap", Snap, "--out FILE [NAME=VALUE...] [--bits 8|16] [--quality 100|70|20] [--mask FILE]",
     "one frame into .pgm, .png, .tif, .raw (16 bits kept), .jpg or .bmp (8 bits) by extension",
     "--out --bits --quality --mask --exposure-ms --gain",
     "nodrix snap --out frame.png exposure-ms=10", true},
    {"stream", Stream,
     "[--seconds N] [--buffers N] [--trigger] [--timeout S] [NAME=VALUE...] [--bits 8|16] "
     "[--mask FILE] [--json]",
     "the stream for N seconds (default 3) or until Ctrl-C, every frame in order into queued "
     "buffers: frames, rate and frames lost by reason",
     "--seconds --buffers --trigger --timeout --json --bits --mask --exposure-ms --gain",
     "nodrix stream --seconds 5 --json", true},
    {"record", Record, "--out FILE.avi [--seconds N] [NAME=VALUE...] [--bits 8|16] [--mask FILE]",
     "an AVI file of the preview for N seconds (default 3); Ctrl-C stops and keeps the file; "
     "status 3 when the file-size limit ended it",
     "--out --seconds --bits --mask --exposure-ms --gain",
     "nodrix record --out run.avi --seconds 10", true},
    {"mask", Mask, "take dark|white --out FILE [--mask FROM] | load FILE",
     "takes a dark or white plane of the flat-field mask into a mask file, or checks one",
     "--out --mask", "nodrix mask take dark --out cam.mask", true},
    {"config", Config, "load FILE", "reads a configuration file of value pairs", "",
     "nodrix config load camera.cfg", true},
    {"dialog", Dialog, "camera|image|analog",
     "the SDK's property dialog (Windows); what is confirmed there is kept", "",
     "nodrix dialog analog", true},
    {"help", NoCommand, "[COMMAND]", "this overview, or one command's details", "",
     "nodrix help snap", false},
};

struct OptionHelp {
    const char* name;
    const char* value;
    const char* text;
};

// Every option a command may take, in the order help lists them.
const OptionHelp kOptionHelp[] = {
    {"--out", "FILE", "the file to write"},
    {"--seconds", "N", "how long, in seconds (default 3)"},
    {"--buffers", "N", "buffers queued to the stream, 1 to 4096 (default 16)"},
    {"--trigger", "", "a frame per trigger (trigger input or the FPGA's timer)"},
    {"--timeout", "S", "give up when no frame came for S seconds (default: wait)"},
    {"--bits", "8|16", "output bits per pixel (default: as set; snap: 8 for .jpg and .bmp)"},
    {"--quality", "100|70|20", "JPEG quality (JPEG files only; default 100)"},
    {"--mask", "FILE", "a flat-field mask file to load first"},
    {"--exposure-ms", "MS", "short for exposure-ms=MS"},
    {"--gain", "G", "short for gain=G"},
    {"--json", "", "JSON output"},
    {"--confirm-write", "", "needed to write the EEPROM"},
};

const char kCommonOptions[] =
    "  --device N|NAME|SERIAL  the camera (as `nodrix list` shows it; default 0)\n"
    "  --save                  keep changed values in the SDK's stored settings\n"
    "  --no-emulation          the real driver only (also NODRIX_EMULATION=0)\n"
    "  --help                  the command's details\n"
    "  --version               the tool's and the SDK's version\n"
    "Options go before or after the command.\n";

}  // namespace

const CommandSpec* FindCommand(const std::string& name) {
    for (const CommandSpec& c : kCommands) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

bool CommandTakesOption(const CommandSpec& command, const std::string& option) {
    const std::string list = std::string(" ") + command.options + " ";
    return list.find(" " + option + " ") != std::string::npos;
}

void PrintOverview(std::FILE* out) {
    std::fprintf(out, "usage: nodrix COMMAND [ARGUMENTS] [OPTIONS]\n\ncommands:\n");
    for (const CommandSpec& c : kCommands) {
        std::fprintf(out, "  %-8s %s\n           e.g. %s\n", c.name, c.summary, c.example);
    }
    std::fprintf(out, "\ncommon options:\n%s", kCommonOptions);
    std::fprintf(out,
                 "\nparameters: %s\n"
                 "\nWithout --save the tool changes nothing that outlives it. The emulated camera\n"
                 "is used when NODRIX_EMULATION asks for it or when no camera driver exists.\n"
                 "Exit status: 0 done, 1 failed, 2 wrong usage, 3 recording stopped at the\n"
                 "file-size limit, 130 stopped by Ctrl-C.\n",
                 ParameterNames().c_str());
}

void PrintCommandHelp(const CommandSpec& command, std::FILE* out) {
    std::fprintf(out, "usage: nodrix %s %s\n\n%s\n\nexample: %s\n", command.name, command.synopsis,
                 command.summary, command.example);
    if (command.options[0] != '\0') {
        std::fprintf(out, "\noptions:\n");
        for (const OptionHelp& o : kOptionHelp) {
            if (!CommandTakesOption(command, o.name)) continue;
            const std::string both = std::string(o.name) + " " + o.value;
            std::fprintf(out, "  %-23s %s\n", both.c_str(), o.text);
        }
    }
    std::fprintf(out, "\ncommon options:\n%s", kCommonOptions);
    if (CommandTakesOption(command, "--exposure-ms")) {
        std::fprintf(out,
                     "\nNAME=VALUE sets a parameter for this run (--exposure-ms MS and --gain G "
                     "are short forms);\nthe parameters are: %s\n",
                     ParameterNames().c_str());
    }
    if (std::string(command.name) == "get" || std::string(command.name) == "set") {
        std::fprintf(out, "\nparameters:\n");
        for (const ParameterInfo& p : ParameterList()) {
            std::fprintf(out, "  %-15s %s%s\n", p.name, p.meaning,
                         p.stored ? "" : " (never stored)");
        }
    }
}

}  // namespace nodrix_tool
