#include "Parameters.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Commands.h"
#include "NodrixSdk.h"
#include "ParameterTable.h"
#include "Session.h"

namespace nodrix_tool {
namespace {

std::string RangeText(const Parameter& p, double low, double high) {
    char text[64];
    if (p.kind == Kind::kBits) return "8 or 16";
    if (high >= kNoLimit) {
        std::snprintf(text, sizeof text, "%g or more", low);
    } else {
        std::snprintf(text, sizeof text, "%g to %g", low, high);
    }
    return text;
}

// Puts the exposure back in both stored forms. Setting the integer
// exposure reads the seconds back as tenths / 10000; setting the seconds
// makes the integer exposure their whole seconds times 10000. The order
// that reproduces the stored pair is taken; a pair neither order makes
// (the camera's first defaults) gets the same exposure, stored anew.
void RestoreExposure(int handle, int tenths, double seconds) {
    const bool secondsLast =
        static_cast<long long>(seconds) * 10000 == tenths && seconds != tenths / 10000.0;
    if (secondsLast) {
        Nodrix_SetFilterValue(handle, NODRIX_FILTER_EXPOSURE_TIME, tenths);
        Nodrix_SetExposureTimeEx(handle, seconds);
    } else {
        Nodrix_SetExposureTimeEx(handle, seconds);
        Nodrix_SetFilterValue(handle, NODRIX_FILTER_EXPOSURE_TIME, tenths);
    }
    while (Nodrix_GetLastError(handle) != 0) {
    }
}

// Setting the global gain sets the four colour gains as well.
void RestoreGains(int handle, int gain, const int (&colour)[4]) {
    Nodrix_SetFilterValue(handle, NODRIX_FILTER_GLOBAL_GAIN, gain);
    for (int i = 0; i < 4; ++i) {
        Nodrix_SetFilterValue(handle, NODRIX_FILTER_COLOR_GAIN_RED + i, colour[i]);
    }
    while (Nodrix_GetLastError(handle) != 0) {
    }
}

void RememberPrevious(Session& session, const Parameter& p) {
    const int handle = session.Handle();
    if (p.kind == Kind::kExposureMs || p.kind == Kind::kExposureS) {
        int ok = 0;
        const int tenths = Nodrix_GetFilterValue(handle, NODRIX_FILTER_EXPOSURE_TIME, &ok);
        const double seconds = Nodrix_GetExposureTimeEx(handle, &ok);
        session.OnRestore([handle, tenths, seconds] { RestoreExposure(handle, tenths, seconds); });
        return;
    }
    if (p.kind == Kind::kFilter && p.code == NODRIX_FILTER_GLOBAL_GAIN) {
        int ok = 0;
        const int gain = Nodrix_GetFilterValue(handle, NODRIX_FILTER_GLOBAL_GAIN, &ok);
        int colour[4] = {};
        for (int i = 0; i < 4; ++i) {
            colour[i] = Nodrix_GetFilterValue(handle, NODRIX_FILTER_COLOR_GAIN_RED + i, &ok);
        }
        session.OnRestore([handle, gain, colour] { RestoreGains(handle, gain, colour); });
        return;
    }
    const Reading before = Read(handle, p);
    if (!before.ok) return;
    const Parameter* parameter = &p;
    session.OnRestore([handle, parameter, before] {
        Write(handle, *parameter, before.number, before.text);
        while (Nodrix_GetLastError(handle) != 0) {
        }
    });
}

}  // namespace

const std::vector<ParameterInfo>& ParameterList() {
    static const std::vector<ParameterInfo> list = [] {
        std::vector<ParameterInfo> result;
        for (const Parameter* p = ParametersBegin(); p != ParametersEnd(); ++p) {
            result.push_back(p->info);
        }
        return result;
    }();
    return list;
}

std::string ParameterNames() {
    std::string names;
    for (const Parameter* p = ParametersBegin(); p != ParametersEnd(); ++p) {
        if (!names.empty()) names += ", ";
        names += p->info.name;
    }
    return names;
}

bool ReadParameter(Session& session, const std::string& name, Reading* reading) {
    const Parameter* p = FindParameter(name);
    if (p == nullptr) return false;
    *reading = Read(session.Handle(), *p);
    return true;
}

std::string ParameterRangeText(Session& session, const std::string& name) {
    double low = 0.0, high = 0.0;
    const Parameter* p = FindParameter(name);
    if (p == nullptr || !ParameterRange(session, name, &low, &high)) return "";
    return RangeText(*p, low, high);
}

bool ParameterRange(Session& session, const std::string& name, double* low, double* high) {
    for (const Parameter* p = ParametersBegin(); p != ParametersEnd(); ++p) {
        if (name != p->info.name) continue;
        if (p->kind == Kind::kWindow) return false;
        RangeOf(session.Handle(), *p, low, high);
        return true;
    }
    return false;
}

// Whether the window suits this camera, which reads whole rows of its
// sensor; false after saying why and what would.
bool WindowFits(int handle, const std::string& text, const Window& w) {
    int width = 0, height = 0;
    Nodrix_GetCaptureWindowEx(handle, &width, nullptr, nullptr, &height, nullptr, nullptr);
    char why[96];
    if (w.width != width || w.x != 0) {
        std::snprintf(why, sizeof why, "the camera reads whole rows: the width must stay %d at x 0",
                      width);
    } else if (w.height < 1 || w.y < 0 || w.y + w.height > height) {
        std::snprintf(why, sizeof why, "the rows must lie on the sensor's %d", height);
    } else {
        return true;
    }
    std::fprintf(stderr,
                 "nodrix: window=%s: %s;\n  valid windows are %dxHEIGHT+0+Y with HEIGHT 1 to %d "
                 "and Y 0 to %d - HEIGHT (e.g. %dx%d+0+%d)\n",
                 text.c_str(), why, width, height, height, width, height / 2, height / 4);
    return false;
}

int AssignParameter(Session& session, const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        std::fprintf(stderr, "nodrix: '%s' is not NAME=VALUE\n", assignment.c_str());
        return kExitUsage;
    }
    const std::string name = assignment.substr(0, equals);
    const std::string text = assignment.substr(equals + 1);
    const Parameter* p = FindParameter(name);
    if (p == nullptr) return kExitUsage;
    const int handle = session.Handle();
    double value = 0.0;
    if (p->kind == Kind::kWindow) {
        Window w{};
        if (!ParseWindow(text, &w)) {
            std::fprintf(stderr,
                         "nodrix: window=%s is not WIDTHxHEIGHT[+X+Y] (e.g. 1280x512+0+256)\n",
                         text.c_str());
            return kExitUsage;
        }
        if (!WindowFits(handle, text, w)) return kExitUsage;
    } else {
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        const bool exposure = p->kind == Kind::kExposureMs || p->kind == Kind::kExposureS;
        const bool integral = exposure || value == std::floor(value);
        double low = 0.0, high = 0.0;
        RangeOf(handle, *p, &low, &high);
        const std::string range = RangeText(*p, low, high);
        if (text.empty() || *end != '\0' || !std::isfinite(value) || !integral) {
            std::fprintf(stderr, "nodrix: %s=%s is not %s (%s)\n", name.c_str(), text.c_str(),
                         exposure ? "a number" : "a whole number", range.c_str());
            return kExitUsage;
        }
        const bool bitsOk = p->kind != Kind::kBits || value == 8 || value == 16;
        if (value < low || value > high || !bitsOk) {
            std::fprintf(stderr, "nodrix: %s=%s is out of range: %s\n", name.c_str(), text.c_str(),
                         range.c_str());
            return kExitUsage;
        }
    }
    RememberPrevious(session, *p);
    if (!Write(handle, *p, value, text)) {
        const std::string what = "setting " + name;
        return Fail(session, what.c_str());
    }
    return kExitOk;
}

std::string FormatReading(const Reading& reading) {
    if (!reading.ok) return "unavailable";
    if (reading.isText) return reading.text;
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", reading.number);
    return text;
}

}  // namespace nodrix_tool
