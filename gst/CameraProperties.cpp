#include "CameraProperties.h"

#include <cmath>
#include <cstdio>

#include "ParameterAccess.h"
#include "ParameterTable.h"

namespace nodrix_gst {

using nodrix_tool::Kind;
using nodrix_tool::Parameter;
using nodrix_tool::Range;

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool IsText(const Parameter& p) {
    return p.kind == Kind::kWindow;
}

bool IsReal(const Parameter& p) {
    return p.kind == Kind::kExposureMs || p.kind == Kind::kExposureS;
}

std::string Blurb(const Parameter& p) {
    std::string blurb = p.info.meaning;
    if (IsText(p)) return blurb + ", e.g. 1280x512+0+256; the height is the caps' choice";
    if (p.kind == Kind::kBits) return blurb + "; the negotiated format decides";
    blurb += "; " + RangeText(0, p);
    blurb += ". Unset: the camera's stored setting";
    return blurb;
}

}  // namespace

void InstallCameraProperties(GObjectClass* klass, guint firstId) {
    guint id = firstId;
    for (const Parameter* p = nodrix_tool::ParametersBegin(); p != nodrix_tool::ParametersEnd();
         ++p, ++id) {
        const std::string blurb = Blurb(*p);
        // The range is checked by the element against the camera's own and
        // refused with a message that states it; the GObject range is open.
        const auto flags = GParamFlags(G_PARAM_READWRITE | GST_PARAM_MUTABLE_PLAYING);
        GParamSpec* spec;
        if (IsText(*p)) {
            spec = g_param_spec_string(p->info.name, p->info.name, blurb.c_str(), nullptr,
                                       GParamFlags(G_PARAM_READWRITE | GST_PARAM_MUTABLE_READY));
        } else if (IsReal(*p)) {
            spec = g_param_spec_double(p->info.name, p->info.name, blurb.c_str(), 0.0, G_MAXDOUBLE,
                                       0.0, flags);
        } else {
            spec = g_param_spec_int(p->info.name, p->info.name, blurb.c_str(), G_MININT, G_MAXINT,
                                    0, flags);
        }
        g_object_class_install_property(klass, id, spec);
    }
}

const Parameter* ParameterOf(guint id, guint firstId) {
    if (id < firstId) return nullptr;
    const Parameter* p = nodrix_tool::ParametersBegin() + (id - firstId);
    return p < nodrix_tool::ParametersEnd() ? p : nullptr;
}

Setting SettingFrom(const Parameter& p, const GValue* value) {
    Setting s;
    if (IsText(p)) {
        const char* text = g_value_get_string(value);
        s.text = text != nullptr ? text : "";
    } else if (IsReal(p)) {
        s.number = g_value_get_double(value);
    } else {
        s.number = g_value_get_int(value);
    }
    return s;
}

void SettingTo(const Parameter& p, const Setting& setting, GValue* value) {
    if (IsText(p)) {
        g_value_set_string(value, setting.text.c_str());
    } else if (IsReal(p)) {
        g_value_set_double(value, setting.number);
    } else {
        g_value_set_int(value, static_cast<int>(std::lround(setting.number)));
    }
}

std::string RangeText(int handle, const Parameter& p) {
    if (p.kind == Kind::kBits) return "8 or 16";
    if (IsText(p)) return "WIDTHxHEIGHT+X+Y inside the 1280 x 1024 sensor";
    if (p.range != Range::kFixed && handle == 0) {
        return std::string("the camera's range") + (IsReal(p) ? " (nodrix info shows it)" : "");
    }
    double low = 0, high = 0;
    nodrix_tool::RangeOf(handle, p, &low, &high);
    if (high >= nodrix_tool::kNoLimit) return Number(low) + " or more";
    return Number(low) + " to " + Number(high);
}

bool InRange(int handle, const Parameter& p, const Setting& setting) {
    if (IsText(p)) {
        nodrix_tool::Window w{};
        return nodrix_tool::ParseWindow(setting.text, &w);
    }
    if (p.kind == Kind::kBits) return setting.number == 8 || setting.number == 16;
    if (p.range != Range::kFixed && handle == 0) return true;  // checked once open
    double low = 0, high = 0;
    nodrix_tool::RangeOf(handle, p, &low, &high);
    return setting.number >= low && setting.number <= high;
}

bool ReadSetting(int handle, const Parameter& p, Setting* setting) {
    const nodrix_tool::Reading r = nodrix_tool::Read(handle, p);
    if (!r.ok) return false;
    setting->number = r.number;
    setting->text = r.text;
    return true;
}

bool WriteSetting(int handle, const Parameter& p, const Setting& setting) {
    return nodrix_tool::Write(handle, p, setting.number, setting.text);
}

}  // namespace nodrix_gst

namespace nodrix_tool {
// The table names the valid names when asked for an unknown one; element
// properties are looked up by GObject, which never asks.
std::string ParameterNames() {
    std::string names;
    for (const Parameter* p = ParametersBegin(); p != ParametersEnd(); ++p) {
        names += names.empty() ? "" : ", ";
        names += p->info.name;
    }
    return names;
}
}  // namespace nodrix_tool
