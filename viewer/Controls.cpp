#include "Controls.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "NodrixSdk.h"
#include "ParameterAccess.h"

namespace nodrix_viewer {
namespace {

using nodrix_tool::Kind;
using nodrix_tool::Parameter;
using nodrix_tool::Write;

void ReadRange(int handle, Control& c) {
    nodrix_tool::RangeOf(handle, *c.parameter, &c.low, &c.high);
    if (c.parameter->kind == Kind::kWait) c.high = 1000.0;  // a slider needs an end
}

void Read(int handle, Control& c) {
    const nodrix_tool::Reading r = nodrix_tool::Read(handle, *c.parameter);
    c.value = r.number;
    c.text = r.text;
    c.readable = r.ok;
}

}  // namespace

void Controls::Open(int handle) {
    handle_ = handle;
    controls_.clear();
    for (const Parameter* p = nodrix_tool::ParametersBegin(); p != nodrix_tool::ParametersEnd();
         ++p) {
        Control c;
        c.parameter = p;
        ReadRange(handle, c);
        controls_.push_back(c);
    }
    Refresh();
    while (Nodrix_GetLastError(handle) != 0) {
    }
}

void Controls::Refresh() {
    for (Control& c : controls_) Read(handle_, c);
}

void Controls::RefreshAutomatic() {
    for (Control& c : controls_) {
        const Parameter& p = *c.parameter;
        if (p.kind == Kind::kExposureMs || p.kind == Kind::kExposureS ||
            (p.kind == Kind::kFilter && p.code == NODRIX_FILTER_GLOBAL_GAIN)) {
            Read(handle_, c);
        }
    }
}

const Control* Controls::Find(const std::string& name) const {
    for (const Control& c : controls_) {
        if (name == c.parameter->info.name) return &c;
    }
    return nullptr;
}

bool Controls::Set(const std::string& name, double value, const std::string& text) {
    for (Control& c : controls_) {
        if (name != c.parameter->info.name) continue;
        const bool ok = Write(handle_, *c.parameter, value, text);
        Refresh();  // one change may move others (exposure forms, gains)
        return ok;
    }
    return false;
}

bool Controls::Save(const std::string& path) const {
    std::ofstream out(path);
    if (!out) return false;
    out << "# nodrix-viewer configuration: NAME=VALUE, the names of `nodrix set`\n";
    for (const Control& c : controls_) {
        const Parameter& p = *c.parameter;
        if (!c.readable || p.kind == Kind::kExposureS) continue;
        out << p.info.name << '=';
        if (p.kind == Kind::kWindow) {
            out << c.text << '\n';
        } else {
            char number[64];
            std::snprintf(number, sizeof number, "%.10g", c.value);
            out << number << '\n';
        }
    }
    return static_cast<bool>(out);
}

bool Controls::Load(const std::string& path, std::string* problems) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t equals = line.find('=');
        const std::string name = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        const Control* c = Find(name);
        bool ok = c != nullptr && !value.empty();
        if (ok) {
            char* end = nullptr;
            const double number = std::strtod(value.c_str(), &end);
            const bool isWindow = c->parameter->kind == Kind::kWindow;
            ok = (isWindow || *end == '\0') && Set(name, number, value);
        }
        if (!ok && problems != nullptr) {
            if (!problems->empty()) *problems += ", ";
            *problems += name;
        }
    }
    return true;
}

}  // namespace nodrix_viewer

namespace nodrix_tool {

// The table's lookup names the valid parameters in its message; the tool's
// definition lives with its command handling, which the viewer leaves out.
std::string ParameterNames() {
    std::string names;
    for (const Parameter* p = ParametersBegin(); p != ParametersEnd(); ++p) {
        if (!names.empty()) names += ", ";
        names += p->info.name;
    }
    return names;
}

}  // namespace nodrix_tool
