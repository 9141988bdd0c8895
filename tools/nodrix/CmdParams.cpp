// nodrix get NAME... and nodrix set NAME=VALUE...
#include <cstdio>

#include "Commands.h"
#include "Json.h"
#include "Parameters.h"

namespace nodrix_tool {

int Get(Session& session, const Options& options) {
    std::vector<std::string> names = options.args;
    if (names.empty()) {
        for (const ParameterInfo& p : ParameterList()) names.emplace_back(p.name);
    }
    std::vector<Reading> readings(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!ReadParameter(session, names[i], &readings[i])) return kExitUsage;
    }
    if (options.json) {
        JsonWriter json;
        json.BeginObject();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Reading& r = readings[i];
            if (!r.ok) {
                json.Null(names[i].c_str());
            } else if (r.isText) {
                json.String(names[i].c_str(), r.text);
            } else {
                json.Number(names[i].c_str(), r.number);
            }
        }
        json.EndObject().Print();
    } else if (names.size() == 1) {
        std::printf("%s\n", FormatReading(readings[0]).c_str());
    } else {
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::printf("%s=%s\n", names[i].c_str(), FormatReading(readings[i]).c_str());
        }
    }
    for (const Reading& r : readings) {
        if (!r.ok) return kExitFailed;
    }
    return kExitOk;
}

int Set(Session& session, const Options& options) {
    if (options.args.empty()) {
        std::fprintf(stderr, "nodrix: set needs NAME=VALUE...\n");
        return kExitUsage;
    }
    for (const std::string& assignment : options.args) {
        if (const int status = AssignParameter(session, assignment)) return status;
    }
    for (const std::string& assignment : options.args) {
        const std::string name = assignment.substr(0, assignment.find('='));
        Reading r;
        ReadParameter(session, name, &r);
        std::printf("%s=%s\n", name.c_str(), FormatReading(r).c_str());
    }
    if (!options.save) {
        std::fprintf(stderr, "nodrix: for this run only; --save keeps the values\n");
    }
    return kExitOk;
}

}  // namespace nodrix_tool
