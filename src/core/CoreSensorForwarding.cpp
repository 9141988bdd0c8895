// The core's operations that forward to the sensor driver. Each returns the
// driver's result, or the neutral value while no driver is open, so that the
// connection can ask for capabilities before a camera is open.

#include "core/CNodrixU3T2Base.h"
#include "sensors/CSensorBase.h"

namespace nodrix {

namespace {

// A getter's value, or 0 when the driver reports failure; ok tells which.
int ValueOf(CSensorBase* sensor, int (CSensorBase::*getter)(int*), int* ok) {
    int value = 0;
    const bool read = sensor != nullptr && (sensor->*getter)(&value) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0;
}

double SecondsOf(CSensorBase* sensor, double (CSensorBase::*getter)(double*), int* ok) {
    double value = 0.0;
    const bool read = sensor != nullptr && (sensor->*getter)(&value) != 0.0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0.0;
}

}  // namespace

int CNodrixU3T2Base::SetMirrorH(int flag) { return sensor_ ? sensor_->SetMirrorH(flag) : 0; }

int CNodrixU3T2Base::SetMirrorV(int flag) { return sensor_ ? sensor_->SetMirrorV(flag) : 0; }

int CNodrixU3T2Base::SetGain(int code) { return sensor_ ? sensor_->SetGain(code) : 0; }

int CNodrixU3T2Base::SetExposureLines(int lines) { return sensor_ ? sensor_->SetExposureLines(lines) : 0; }

int CNodrixU3T2Base::SetChannelGain(int channel, int value) { return sensor_ ? sensor_->SetChannelGain(channel, value) : 0; }

int CNodrixU3T2Base::SetChannelOffset(int channel, int value) { return sensor_ ? sensor_->SetChannelOffset(channel, value) : 0; }

int CNodrixU3T2Base::SetRedGain(int value) { return sensor_ ? sensor_->SetRedGain(value) : 0; }

int CNodrixU3T2Base::SetGreen1Gain(int value) { return sensor_ ? sensor_->SetGreen1Gain(value) : 0; }

int CNodrixU3T2Base::SetGreen2Gain(int value) { return sensor_ ? sensor_->SetGreen2Gain(value) : 0; }

int CNodrixU3T2Base::SetBlueGain(int value) { return sensor_ ? sensor_->SetBlueGain(value) : 0; }

int CNodrixU3T2Base::SetBlackLevel(int value) { return sensor_ ? sensor_->SetBlackLevel(value) : 0; }

int CNodrixU3T2Base::WriteRegister(int address, int value) { return sensor_ ? sensor_->WriteRegister(address, value) : 0; }

int CNodrixU3T2Base::ModelCommand(int code, void* data) { return sensor_ ? sensor_->ModelCommand(code, data) : 0; }

int CNodrixU3T2Base::SetGainMode(int flag) { return sensor_ ? sensor_->SetGainMode(flag) : 0; }

int CNodrixU3T2Base::SetModelOption(int value) { return sensor_ ? sensor_->SetModelOption(value) : 0; }

int CNodrixU3T2Base::SetPeltier(int flag) { return sensor_ ? sensor_->SetPeltier(flag) : 0; }

int CNodrixU3T2Base::SetAuxSwitch(int flag) { return sensor_ ? sensor_->SetAuxSwitch(flag) : 0; }

int CNodrixU3T2Base::SetAuxMode(int flag) { return sensor_ ? sensor_->SetAuxMode(flag) : 0; }

int CNodrixU3T2Base::SetCoolingSetpoint(int degrees) { return sensor_ ? sensor_->SetCoolingSetpoint(degrees) : 0; }

int CNodrixU3T2Base::HasVersionInfo(int a, int b) { return sensor_ ? sensor_->HasVersionInfo(a, b) : 0; }

int CNodrixU3T2Base::GetVersionInfo(int* a, int* b, int* c, int* d) { return sensor_ ? sensor_->GetVersionInfo(a, b, c, d) : 0; }

int CNodrixU3T2Base::SetReadoutOption(int value) { return sensor_ ? sensor_->SetReadoutOption(value) : 0; }

int CNodrixU3T2Base::SetShortExposure(int flag) { return sensor_ ? sensor_->SetShortExposure(flag) : 0; }

int CNodrixU3T2Base::SetGainStep(int index) { return sensor_ ? sensor_->SetGainStep(index) : 0; }

int CNodrixU3T2Base::GetGainStepLabel(int index, char* label) { return sensor_ ? sensor_->GetGainStepLabel(index, label) : 0; }

int CNodrixU3T2Base::SetOutputSelect(int value) { return sensor_ ? sensor_->SetOutputSelect(value) : 0; }

int CNodrixU3T2Base::GetDescription(SensorDescription* buffer) { return sensor_ ? sensor_->GetDescription(buffer) : 0; }

int CNodrixU3T2Base::GetMirrorVDefault() { return sensor_ ? sensor_->GetMirrorVDefault() : 0; }

int CNodrixU3T2Base::GetMirrorHDefault() { return sensor_ ? sensor_->GetMirrorHDefault() : 0; }

int CNodrixU3T2Base::HasMirrorV() { return sensor_ ? sensor_->HasMirrorV() : 0; }

int CNodrixU3T2Base::HasMirrorH() { return sensor_ ? sensor_->HasMirrorH() : 0; }

int CNodrixU3T2Base::HasExposureSeconds() { return sensor_ ? sensor_->HasExposureSeconds() : 0; }

int CNodrixU3T2Base::HasBlackLevel() { return sensor_ ? sensor_->HasBlackLevel() : 0; }

int CNodrixU3T2Base::HasGainMode() { return sensor_ ? sensor_->HasGainMode() : 0; }

int CNodrixU3T2Base::GetGainMode() { return sensor_ ? sensor_->GetGainMode() : -1; }

int CNodrixU3T2Base::HasExtendedFirmware() { return sensor_ ? sensor_->HasExtendedFirmware() : 0; }

int CNodrixU3T2Base::HasPeltier() { return sensor_ ? sensor_->HasPeltier() : 0; }

int CNodrixU3T2Base::GetPeltier() { return sensor_ ? sensor_->GetPeltier() : 0; }

int CNodrixU3T2Base::HasTemperature() { return sensor_ ? sensor_->HasTemperature() : 0; }

int CNodrixU3T2Base::HasAuxSwitch() { return sensor_ ? sensor_->HasAuxSwitch() : 0; }

int CNodrixU3T2Base::HasAuxMode() { return sensor_ ? sensor_->HasAuxMode() : 0; }

int CNodrixU3T2Base::HasCoolingSetpoint() { return sensor_ ? sensor_->HasCoolingSetpoint() : 0; }

int CNodrixU3T2Base::ApplyReadoutOption() { return sensor_ ? sensor_->ApplyReadoutOption() : 0; }

int CNodrixU3T2Base::HasReadoutOption() { return sensor_ ? sensor_->HasReadoutOption() : 0; }

int CNodrixU3T2Base::HasShortExposure() { return sensor_ ? sensor_->HasShortExposure() : 0; }

int CNodrixU3T2Base::HasGainStep() { return sensor_ ? sensor_->HasGainStep() : 0; }

int CNodrixU3T2Base::HasOutputSelect() { return sensor_ ? sensor_->HasOutputSelect() : 0; }

int CNodrixU3T2Base::GetOutputSelect() { return sensor_ ? sensor_->GetOutputSelect() : -1; }

int CNodrixU3T2Base::Supports8BitOutput() { return sensor_ ? sensor_->Supports8BitOutput() : 1; }

int CNodrixU3T2Base::Supports16BitOutput() { return sensor_ ? sensor_->Supports16BitOutput() : 1; }

int CNodrixU3T2Base::SupportsColorOutput() { return sensor_ ? sensor_->SupportsColorOutput() : 1; }

int CNodrixU3T2Base::HasFirmwareFeature() { return sensor_ ? sensor_->HasFirmwareFeature() : 1; }

int CNodrixU3T2Base::EnableFirmwareFeature() { return sensor_ ? sensor_->EnableFirmwareFeature() : 1; }

int CNodrixU3T2Base::GetClockRate(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetClockRate, ok); }

int CNodrixU3T2Base::GetMirrorH(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetMirrorH, ok); }

int CNodrixU3T2Base::GetMirrorV(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetMirrorV, ok); }

int CNodrixU3T2Base::GetTriggerMode(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetTriggerMode, ok); }

int CNodrixU3T2Base::GetGain(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGain, ok); }

int CNodrixU3T2Base::GetGainMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainMin, ok); }

int CNodrixU3T2Base::GetGainMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainMax, ok); }

int CNodrixU3T2Base::GetGainDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainDefault, ok); }

int CNodrixU3T2Base::GetExposureTenths(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureTenths, ok); }

int CNodrixU3T2Base::GetExposureTenthsMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureTenthsMin, ok); }

int CNodrixU3T2Base::GetExposureTenthsMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureTenthsMax, ok); }

int CNodrixU3T2Base::GetExposureTenthsDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureTenthsDefault, ok); }

int CNodrixU3T2Base::GetExposureLines(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureLines, ok); }

int CNodrixU3T2Base::GetExposureLinesMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureLinesMin, ok); }

int CNodrixU3T2Base::GetExposureLinesMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureLinesMax, ok); }

int CNodrixU3T2Base::GetExposureLinesDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetExposureLinesDefault, ok); }

int CNodrixU3T2Base::GetChannelGainMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelGainMin, ok); }

int CNodrixU3T2Base::GetChannelGainMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelGainMax, ok); }

int CNodrixU3T2Base::GetChannelGainDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelGainDefault, ok); }

int CNodrixU3T2Base::GetChannelOffsetMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelOffsetMin, ok); }

int CNodrixU3T2Base::GetChannelOffsetMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelOffsetMax, ok); }

int CNodrixU3T2Base::GetChannelOffsetDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetChannelOffsetDefault, ok); }

int CNodrixU3T2Base::GetRedGain(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetRedGain, ok); }

int CNodrixU3T2Base::GetGreen1Gain(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGreen1Gain, ok); }

int CNodrixU3T2Base::GetGreen2Gain(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGreen2Gain, ok); }

int CNodrixU3T2Base::GetBlueGain(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetBlueGain, ok); }

int CNodrixU3T2Base::GetColorGainMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetColorGainMin, ok); }

int CNodrixU3T2Base::GetColorGainMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetColorGainMax, ok); }

int CNodrixU3T2Base::GetColorGainDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetColorGainDefault, ok); }

int CNodrixU3T2Base::GetBlackLevel(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetBlackLevel, ok); }

int CNodrixU3T2Base::GetBlackLevelMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetBlackLevelMin, ok); }

int CNodrixU3T2Base::GetBlackLevelMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetBlackLevelMax, ok); }

int CNodrixU3T2Base::GetBlackLevelDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetBlackLevelDefault, ok); }

int CNodrixU3T2Base::GetModelOption(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetModelOption, ok); }

int CNodrixU3T2Base::GetAuxSwitch(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetAuxSwitch, ok); }

int CNodrixU3T2Base::GetAuxMode(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetAuxMode, ok); }

int CNodrixU3T2Base::GetCoolingTemperature(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetCoolingTemperature, ok); }

int CNodrixU3T2Base::GetShortExposure(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetShortExposure, ok); }

int CNodrixU3T2Base::GetGainStepMin(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainStepMin, ok); }

int CNodrixU3T2Base::GetGainStepMax(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainStepMax, ok); }

int CNodrixU3T2Base::GetGainStepDefault(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainStepDefault, ok); }

int CNodrixU3T2Base::GetGainStep(int* ok) { return ValueOf(sensor_.get(), &CSensorBase::GetGainStep, ok); }

int CNodrixU3T2Base::GetChannelGain(int channel, int* ok) {
    int value = 0;
    const bool read = sensor_ && sensor_->GetChannelGain(channel, &value) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0;
}

int CNodrixU3T2Base::GetChannelOffset(int channel, int* ok) {
    int value = 0;
    const bool read = sensor_ && sensor_->GetChannelOffset(channel, &value) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0;
}

int CNodrixU3T2Base::ReadRegister(int address, int* ok) {
    int value = 0;
    const bool read = sensor_ && sensor_->ReadRegister(address, &value) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0;
}

double CNodrixU3T2Base::GetExposureSeconds(int* ok) {
    double value = 0.0;
    const bool read = sensor_ && sensor_->GetExposureSeconds(&value) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? value : 0.0;
}

double CNodrixU3T2Base::GetExposureSecondsMin(int* ok) {
    return SecondsOf(sensor_.get(), &CSensorBase::GetExposureSecondsMin, ok);
}

double CNodrixU3T2Base::GetExposureSecondsMax(int* ok) {
    return SecondsOf(sensor_.get(), &CSensorBase::GetExposureSecondsMax, ok);
}

double CNodrixU3T2Base::GetExposureSecondsDefault(int* ok) {
    return SecondsOf(sensor_.get(), &CSensorBase::GetExposureSecondsDefault, ok);
}

double CNodrixU3T2Base::GetTemperature(int* ok) {
    double degrees = 0.0;
    const bool read = sensor_ && sensor_->GetTemperature(&degrees) != 0;
    if (ok) {
        *ok = read ? 1 : 0;
    }
    return read ? degrees : 0.0;
}

void CNodrixU3T2Base::Restart() {
    if (sensor_) {
        sensor_->Restart();
    }
}

void CNodrixU3T2Base::AuxiliaryRestart() {
    if (sensor_) {
        sensor_->AuxiliaryRestart();
    }
}

// The description fields the connection asks for by name; 0 without a driver.
int CNodrixU3T2Base::CanChangeWidth() {
    return sensor_ ? sensor_->Description().horizontalWindowing : 0;
}

int CNodrixU3T2Base::CanChangeHeight() {
    return sensor_ ? sensor_->Description().verticalWindowing : 0;
}

int CNodrixU3T2Base::GetMaxWidth() { return sensor_ ? sensor_->Description().maxWidth : 0; }

int CNodrixU3T2Base::GetMaxHeight() { return sensor_ ? sensor_->Description().maxHeight : 0; }

int CNodrixU3T2Base::GetDefaultWidth() {
    return sensor_ ? sensor_->Description().defaultWidth : 0;
}

int CNodrixU3T2Base::GetDefaultHeight() {
    return sensor_ ? sensor_->Description().defaultHeight : 0;
}

int CNodrixU3T2Base::GetDefaultX() { return sensor_ ? sensor_->Description().defaultX : 0; }

int CNodrixU3T2Base::GetDefaultY() { return sensor_ ? sensor_->Description().defaultY : 0; }

}  // namespace nodrix
