#include "Controls.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "NodrixSdk.h"

namespace nodrix_viewer {
namespace {

using nodrix_tool::Kind;
using nodrix_tool::Parameter;
using nodrix_tool::Range;

void ReadRange(int handle, Control& c) {
    const Parameter& p = *c.parameter;
    c.low = p.low;
    c.high = p.high;
    if (p.kind == Kind::kWait) c.high = 1000.0;  // a slider needs an end
    if (p.range == Range::kFixed) return;
    NodrixCameraInfo info = {};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (!Nodrix_GetCameraInfo(handle, &info)) return;
    if (p.range == Range::kGain) {
        c.low = info.gainMin;
        c.high = info.gainMax;
    } else {
        const double scale = p.kind == Kind::kExposureMs ? 1000.0 : 1.0;
        c.low = info.exposureSecondsMin * scale;
        c.high = info.exposureSecondsMax * scale;
    }
}

void Read(int handle, Control& c) {
    const Parameter& p = *c.parameter;
    int ok = 1;
    switch (p.kind) {
        case Kind::kFilter:
            c.value = Nodrix_GetFilterValue(handle, p.code, &ok);
            break;
        case Kind::kExposureMs:
        case Kind::kExposureS:
            c.value = Nodrix_GetExposureTimeEx(handle, &ok);
            if (p.kind == Kind::kExposureMs) c.value *= 1000.0;
            break;
        case Kind::kMirrorH:
            c.value = Nodrix_GetMirrorH(handle);
            break;
        case Kind::kMirrorV:
            c.value = Nodrix_GetMirrorV(handle);
            break;
        case Kind::kAutoIris:
            c.value = Nodrix_GetAutoIris(handle, &ok);
            break;
        case Kind::kBits:
            c.value = Nodrix_GetColorMode(handle);
            ok = c.value > 0;
            break;
        case Kind::kWait:
            c.value = Nodrix_GetWaitTime(handle);
            ok = c.value >= 0;
            break;
        case Kind::kWindow: {
            int x = 0, y = 0;
            Nodrix_GetCaptureWindowEx(handle, nullptr, &x, nullptr, nullptr, &y, nullptr);
            char text[64];
            std::snprintf(text, sizeof text, "%dx%d+%d+%d", Nodrix_Width(handle),
                          Nodrix_Height(handle), x, y);
            c.text = text;
            break;
        }
    }
    c.readable = ok != 0;
    // A failed read leaves its code; reading is no error worth showing.
    if (!ok) Nodrix_GetLastError(handle);
}

bool Write(int handle, const Parameter& p, double value, const std::string& text) {
    const int whole = static_cast<int>(std::lround(value));
    switch (p.kind) {
        case Kind::kFilter:
            return Nodrix_SetFilterValue(handle, p.code, whole) != 0;
        case Kind::kExposureMs:
        case Kind::kExposureS: {
            const double seconds = p.kind == Kind::kExposureMs ? value / 1000.0 : value;
            // Whole tenths of a millisecond go through the integer exposure,
            // which keeps both stored forms of the exposure consistent.
            const double tenths = seconds * 10000.0;
            if (std::fabs(tenths - std::round(tenths)) < 1e-6 && tenths >= 1.0) {
                return Nodrix_SetFilterValue(handle, NODRIX_FILTER_EXPOSURE_TIME,
                                             static_cast<int>(std::lround(tenths))) != 0;
            }
            return Nodrix_SetExposureTimeEx(handle, seconds) != 0;
        }
        case Kind::kMirrorH:
            return Nodrix_SetMirrorH(handle, whole) != 0;
        case Kind::kMirrorV:
            return Nodrix_SetMirrorV(handle, whole) != 0;
        case Kind::kAutoIris:
            return Nodrix_SetAutoIris(handle, whole) != 0;
        case Kind::kBits:
            return Nodrix_SetColorMode(handle, whole) != 0;
        case Kind::kWait:
            return Nodrix_SetWaitTime(handle, whole) != 0;
        case Kind::kWindow: {
            int width = 0, height = 0, x = 0, y = 0, totalH = 0, totalV = 0;
            char tail = 0;
            const int read =
                std::sscanf(text.c_str(), "%dx%d+%d+%d%c", &width, &height, &x, &y, &tail);
            if (read != 4 && read != 2) return false;
            Nodrix_GetCaptureWindowEx(handle, &totalH, nullptr, nullptr, &totalV, nullptr, nullptr);
            return Nodrix_SetCaptureWindowEx(handle, totalH, x, width, totalV, y, height) != 0;
        }
    }
    return false;
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
