#include "ParameterAccess.h"

#include <cmath>
#include <cstdio>

#include "NodrixSdk.h"
#include "ParameterTable.h"

namespace nodrix_tool {

void RangeOf(int handle, const Parameter& p, double* low, double* high) {
    *low = p.low;
    *high = p.high;
    if (p.range == Range::kFixed) return;
    NodrixCameraInfo info = {};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (!Nodrix_GetCameraInfo(handle, &info)) return;
    if (p.range == Range::kGain) {
        *low = info.gainMin;
        *high = info.gainMax;
    } else {
        const double scale = p.kind == Kind::kExposureMs ? 1000.0 : 1.0;
        *low = info.exposureSecondsMin * scale;
        *high = info.exposureSecondsMax * scale;
    }
}

bool ParseWindow(const std::string& text, Window* window) {
    char tail = 0;
    window->x = window->y = 0;
    const int read = std::sscanf(text.c_str(), "%dx%d+%d+%d%c", &window->width, &window->height,
                                 &window->x, &window->y, &tail);
    return read == 4 || (read == 2 && text.find('+') == std::string::npos);
}

Reading Read(int handle, const Parameter& p) {
    Reading r;
    int ok = 1;
    switch (p.kind) {
        case Kind::kFilter:
            r.number = Nodrix_GetFilterValue(handle, p.code, &ok);
            break;
        case Kind::kExposureMs:
        case Kind::kExposureS:
            r.number = Nodrix_GetExposureTimeEx(handle, &ok);
            if (p.kind == Kind::kExposureMs) r.number *= 1000.0;
            break;
        case Kind::kMirrorH:
            r.number = Nodrix_GetMirrorH(handle);
            break;
        case Kind::kMirrorV:
            r.number = Nodrix_GetMirrorV(handle);
            break;
        case Kind::kAutoIris:
            r.number = Nodrix_GetAutoIris(handle, &ok);
            break;
        case Kind::kBits:
            r.number = Nodrix_GetColorMode(handle);
            ok = r.number > 0;
            break;
        case Kind::kWait:
            r.number = Nodrix_GetWaitTime(handle);
            ok = r.number >= 0;
            break;
        case Kind::kWindow: {
            int x = 0, y = 0;
            Nodrix_GetCaptureWindowEx(handle, nullptr, &x, nullptr, nullptr, &y, nullptr);
            char text[64];
            std::snprintf(text, sizeof text, "%dx%d+%d+%d", Nodrix_Width(handle),
                          Nodrix_Height(handle), x, y);
            r.isText = true;
            r.text = text;
            break;
        }
    }
    // Reading the mirror flags leaves nothing on the error stack to tell.
    r.ok = ok != 0;
    return r;
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
            Window w{};
            int totalH = 0, totalV = 0;
            Nodrix_GetCaptureWindowEx(handle, &totalH, nullptr, nullptr, &totalV, nullptr, nullptr);
            return ParseWindow(text, &w) && Nodrix_SetCaptureWindowEx(handle, totalH, w.x, w.width,
                                                                      totalV, w.y, w.height) != 0;
        }
    }
    return false;
}

}  // namespace nodrix_tool
