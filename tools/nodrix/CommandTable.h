#pragma once
// Every command with its synopsis, purpose, accepted options and an
// example: the dispatch table and the source of `nodrix help`.

#include <cstdio>
#include <string>

#include "Commands.h"

namespace nodrix_tool {

struct CommandSpec {
    const char* name;
    CommandFunction run;
    const char* synopsis;  // after "nodrix NAME"
    const char* summary;
    const char* options;  // the options it takes besides the common ones, space separated
    const char* example;
    bool needsCamera;
};

// nullptr for an unknown name.
const CommandSpec* FindCommand(const std::string& name);

// Whether the command accepts the option (e.g. "--json").
bool CommandTakesOption(const CommandSpec& command, const std::string& option);

// `nodrix help`: every command with an example.
void PrintOverview(std::FILE* out);
// `nodrix help COMMAND` and `nodrix COMMAND --help`.
void PrintCommandHelp(const CommandSpec& command, std::FILE* out);

}  // namespace nodrix_tool
