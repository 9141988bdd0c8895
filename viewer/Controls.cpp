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
    original_ = controls_;
    int ok = 0;
    originalTenths_ = Nodrix_GetFilterValue(handle, NODRIX_FILTER_EXPOSURE_TIME, &ok);
    originalSeconds_ = Nodrix_GetExposureTimeEx(handle, &ok);
    for (int i = 0; i < 4; ++i) {
        originalColourGains_[i] =
            Nodrix_GetFilterValue(handle, NODRIX_FILTER_COLOR_GAIN_RED + i, &ok);
    }
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

void Controls::Restore() {
    if (handle_ == 0) return;
    // The values as last read or set (reading a lost camera waits for it).
    // Only what changed is written back: a write is not always a no-op
    // (the exposure's two stored forms, the colour gains of the global gain).
    bool exposureChanged = false, gainChanged = false;
    for (std::size_t i = controls_.size(); i-- > 0;) {
        const Control& now = controls_[i];
        const Control& then = original_[i];
        const Kind kind = then.parameter->kind;
        if (!then.readable || (now.value == then.value && now.text == then.text)) continue;
        if (kind == Kind::kExposureMs || kind == Kind::kExposureS) {
            exposureChanged = true;
        } else if (kind == Kind::kFilter && then.parameter->code == NODRIX_FILTER_GLOBAL_GAIN) {
            gainChanged = true;
        } else {
            Write(handle_, *then.parameter, then.value, then.text);
        }
    }
    if (gainChanged) {
        // Setting the global gain sets the four colour gains as well.
        const Control* gain = nullptr;
        for (const Control& c : original_) {
            if (c.parameter->kind == Kind::kFilter &&
                c.parameter->code == NODRIX_FILTER_GLOBAL_GAIN) {
                gain = &c;
            }
        }
        if (gain != nullptr) {
            Nodrix_SetFilterValue(handle_, NODRIX_FILTER_GLOBAL_GAIN,
                                  static_cast<int>(gain->value));
        }
        for (int i = 0; i < 4; ++i) {
            Nodrix_SetFilterValue(handle_, NODRIX_FILTER_COLOR_GAIN_RED + i,
                                  originalColourGains_[i]);
        }
    }
    if (exposureChanged) {
        // Both stored forms, in the order that reproduces them where one does.
        const bool secondsLast =
            static_cast<long long>(originalSeconds_) * 10000 == originalTenths_ &&
            originalSeconds_ != originalTenths_ / 10000.0;
        if (secondsLast) {
            Nodrix_SetFilterValue(handle_, NODRIX_FILTER_EXPOSURE_TIME, originalTenths_);
            Nodrix_SetExposureTimeEx(handle_, originalSeconds_);
        } else {
            Nodrix_SetExposureTimeEx(handle_, originalSeconds_);
            Nodrix_SetFilterValue(handle_, NODRIX_FILTER_EXPOSURE_TIME, originalTenths_);
        }
    }
    while (Nodrix_GetLastError(handle_) != 0) {
    }
    controls_ = original_;
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
