#pragma once
// The camera's parameters as element properties: one per parameter the
// nodrix tool's `set` knows, under the same name and with the same range.

#include <gst/gst.h>

#include <optional>
#include <string>
#include <vector>

namespace nodrix_tool {
struct Parameter;
}

namespace nodrix_gst {

// Installs a property for every parameter, with ids from firstId on.
void InstallCameraProperties(GObjectClass* klass, guint firstId);

// The parameter behind a property id, or nullptr.
const nodrix_tool::Parameter* ParameterOf(guint id, guint firstId);

// A value set on the element, kept until it reaches the camera.
struct Setting {
    double number = 0.0;
    std::string text;
};

Setting SettingFrom(const nodrix_tool::Parameter& p, const GValue* value);
void SettingTo(const nodrix_tool::Parameter& p, const Setting& setting, GValue* value);

// The range as a sentence ends it ("0 to 16383", "8 or 16"); handle 0 when
// no camera is open: then the camera's own ranges are not known yet.
std::string RangeText(int handle, const nodrix_tool::Parameter& p);

// Whether the value lies in the parameter's range (the camera's, for gain
// and exposure, when handle is open; a well-formed window).
bool InRange(int handle, const nodrix_tool::Parameter& p, const Setting& setting);

// Reads the camera's value; false when the SDK could not.
bool ReadSetting(int handle, const nodrix_tool::Parameter& p, Setting* setting);

// Writes a value; false with the SDK's error on the connection.
bool WriteSetting(int handle, const nodrix_tool::Parameter& p, const Setting& setting);

}  // namespace nodrix_gst
