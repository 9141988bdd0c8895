// nodrix info: identity, serial number, temperature, ranges and every
// current value.
#include <cstdio>

#include "Commands.h"
#include "ErrorText.h"
#include "Json.h"
#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "Parameters.h"

namespace nodrix_tool {

int Info(Session& session, const Options& options) {
    const int handle = session.Handle();
    char name[NODRIX_ENUM_SLOT_CHARS] = {};
    if (!Nodrix_GetDeviceName(handle, session.Device(), name, sizeof name)) {
        return Fail(session, "reading the camera's name");
    }
    NodrixCameraInfo info = {};
    info.size = NODRIX_CAMERA_INFO_FULL_SIZE;
    if (!Nodrix_GetCameraInfo(handle, &info))
        return Fail(session, "reading the camera information");
    char serial[64] = {};
    if (!Nodrix_ReadSerialNumberA(handle, serial, sizeof serial)) {
        return Fail(session, "reading the serial number");
    }
    int ok = 0;
    const double temperature = Nodrix_GetTemperatureEx(handle, &ok);
    const int temperatureError = ok ? 0 : Nodrix_GetLastError(handle);

    if (options.json) {
        JsonWriter json;
        json.BeginObject()
            .String("camera", name)
            .Number("device", session.Device())
            .String("serial", serial)
            .Bool("emulated", session.Emulated())
            .String("sdk_version", NodrixEx_GetVersionText())
            .Number("dll_version", Nodrix_GetDllVersion())
            .Number("sensor_width", info.maxWidth)
            .Number("sensor_height", info.maxHeight);
        if (ok) {
            json.Number("temperature_c", temperature);
        } else {
            json.Null("temperature_c");
        }
        json.BeginObject("parameters");
        for (const ParameterInfo& p : ParameterList()) {
            Reading r;
            ReadParameter(session, p.name, &r);
            json.BeginObject(p.name);
            if (!r.ok) {
                json.Null("value");
            } else if (r.isText) {
                json.String("value", r.text);
            } else {
                json.Number("value", r.number);
            }
            double low = 0, high = 0;
            if (ParameterRange(session, p.name, &low, &high)) {
                json.Number("min", low).Number("max", high);
            }
            json.Bool("stored", p.stored).EndObject();
        }
        json.EndObject().EndObject().Print();
        return kExitOk;
    }
    std::printf("camera          %s (device %d)\n", name, session.Device());
    std::printf("serial number   %s\n", serial[0] != '\0' ? serial : "(none stored)");
    std::printf("sensor          %d x %d pixels\n", info.maxWidth, info.maxHeight);
    if (ok) {
        std::printf("temperature     %.1f C\n", temperature);
    } else {
        std::printf("temperature     unavailable (%s)\n", ErrorText(temperatureError));
    }
    std::printf("SDK version     %s (Nodrix_GetDllVersion %d)\n\n", NodrixEx_GetVersionText(),
                Nodrix_GetDllVersion());
    std::printf("%-16s %-14s %s\n", "parameter", "value", "range");
    for (const ParameterInfo& p : ParameterList()) {
        Reading r;
        ReadParameter(session, p.name, &r);
        std::printf("%-16s %-14s %s\n", p.name, FormatReading(r).c_str(),
                    ParameterRangeText(session, p.name).c_str());
    }
    // Reads that failed leave their codes behind; they are reported above.
    while (Nodrix_GetLastError(handle) != 0) {
    }
    return kExitOk;
}

}  // namespace nodrix_tool
