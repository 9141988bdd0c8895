#pragma once
// The abstract image-sensor driver. The camera core owns one driver per open
// device and reaches the sensor only through the virtual operations below; a
// driver reaches the hardware only through the transport's CControllerBase.
//
// The base gives every operation a trivial behaviour (mostly "return 0",
// which callers read as "not supported"), so that a driver overrides only what
// its sensor has. Results are nonzero for success unless noted; out-arguments are caller-owned pointers.

#include <cstdint>

#include "sensors/SensorDescription.h"

namespace nodrix {

class CControllerBase;

class CSensorBase {
public:
    // Construction touches no hardware: the description is zeroed, the
    // operating mode is 15, firmware version and controller are unset.
    CSensorBase();
    CSensorBase(CControllerBase* controller, std::uint8_t busAddress);
    CSensorBase(const CSensorBase&) = delete;
    CSensorBase& operator=(const CSensorBase&) = delete;

    virtual ~CSensorBase();
    virtual int SetModelCode(int code);
    virtual void SetOperatingMode(int value);
    virtual int GetOperatingMode();

    // Initialisation.
    virtual int WaitReady() { return 0; }
    virtual int ApplyDefaults() { return 0; }
    virtual int Recover() { return 0; }
    virtual int RequestReset() { return 0; }

    // Readout window.
    virtual int SetWindow(int /*x*/, int /*width*/, int /*y*/, int /*height*/, int /*mode*/) {
        return 0;
    }
    virtual int GetWindow(int* /*x*/, int* /*width*/, int* /*y*/, int* /*height*/, int* /*mode*/) {
        return 0;
    }

    // 1 = externally triggered, 0 = free running.
    virtual int SetTriggerMode(int /*mode*/) { return 0; }
    virtual int GetTriggerMode(int* /*mode*/) { return 0; }

    virtual int SetReadoutOption(int /*value*/) { return 0; }
    virtual int ApplyReadoutOption() { return 0; }
    virtual int HasReadoutOption() { return 0; }

    // Nonzero: 16-bit samples on the link, else 8-bit.
    virtual int SetSampleWidth(int /*flag*/) { return 0; }

    virtual int SetExposureLines(int /*lines*/) { return 0; }
    virtual int GetExposureLines(int* /*lines*/) { return 0; }

    virtual int SetGain(int /*code*/) { return 0; }
    virtual int GetGain(int* /*code*/) { return 0; }

    // Per-colour sensor gains.
    virtual int SetRedGain(int /*value*/) { return 0; }
    virtual int GetRedGain(int* /*value*/) { return 0; }
    virtual int SetGreen1Gain(int /*value*/) { return 0; }
    virtual int GetGreen1Gain(int* /*value*/) { return 0; }
    virtual int SetGreen2Gain(int /*value*/) { return 0; }
    virtual int GetGreen2Gain(int* /*value*/) { return 0; }
    virtual int SetBlueGain(int /*value*/) { return 0; }
    virtual int GetBlueGain(int* /*value*/) { return 0; }

    virtual int GetExposureLinesMin(int* /*value*/) { return 0; }
    virtual int GetExposureLinesMax(int* /*value*/) { return 0; }
    virtual int GetExposureLinesDefault(int* /*value*/) { return 0; }
    virtual int GetGainMin(int* /*value*/) { return 0; }
    virtual int GetGainMax(int* /*value*/) { return 0; }
    virtual int GetGainDefault(int* /*value*/) { return 0; }
    virtual int GetColorGainMin(int* /*value*/) { return 0; }
    virtual int GetColorGainMax(int* /*value*/) { return 0; }
    virtual int GetColorGainDefault(int* /*value*/) { return 0; }

    // Gains and offsets of the output channels (1..4) of multi-channel sensors.
    virtual int SetChannelGain(int /*channel*/, int /*value*/) { return 0; }
    virtual int GetChannelGain(int /*channel*/, int* /*value*/) { return 0; }
    virtual int GetChannelGainMin(int* /*value*/) { return 0; }
    virtual int GetChannelGainMax(int* /*value*/) { return 0; }
    virtual int GetChannelGainDefault(int* /*value*/) { return 0; }
    virtual int SetChannelOffset(int /*channel*/, int /*value*/) { return 0; }
    virtual int GetChannelOffset(int /*channel*/, int* /*value*/) { return 0; }
    virtual int GetChannelOffsetMin(int* /*value*/) { return 0; }
    virtual int GetChannelOffsetMax(int* /*value*/) { return 0; }
    virtual int GetChannelOffsetDefault(int* /*value*/) { return 0; }

    // Black level: the base answers from the description's group.
    virtual int HasBlackLevel();
    virtual int SetBlackLevel(int /*value*/) { return 0; }
    virtual int GetBlackLevel(int* value);
    virtual int GetBlackLevelMin(int* value);
    virtual int GetBlackLevelMax(int* value);
    virtual int GetBlackLevelDefault(int* value);

    // Coarse gain steps: the base answers from the description's group.
    virtual int HasGainStep();
    virtual int GetGainStepMin(int* value);
    virtual int GetGainStepMax(int* value);
    virtual int GetGainStepDefault(int* value);
    virtual int GetGainStepCurrent(int* value);
    virtual int SetGainStep(int /*index*/) { return 0; }
    virtual int GetGainStep(int* /*index*/) { return 0; }
    // A driver with steps writes four characters of text (such as "1.85")
    // and a terminating zero into label (at least 5 bytes).
    virtual int GetGainStepLabel(int /*index*/, char* /*label*/) { return 0; }

    // Exposure in units of 0.1 ms.
    virtual int SetExposureTenths(int /*value*/) { return 0; }
    virtual int GetExposureTenths(int* /*value*/) { return 0; }
    virtual int GetExposureTenthsMin(int* /*value*/) { return 0; }
    virtual int GetExposureTenthsMax(int* /*value*/) { return 0; }
    virtual int GetExposureTenthsDefault(int* /*value*/) { return 0; }

    // Flips.
    virtual int SetMirrorV(int /*flag*/) { return 0; }
    virtual int GetMirrorV(int* /*flag*/) { return 0; }
    virtual int SetMirrorH(int /*flag*/) { return 0; }
    virtual int GetMirrorH(int* /*flag*/) { return 0; }
    virtual int GetMirrorVDefault();
    virtual int GetMirrorHDefault();
    virtual int HasMirrorV();
    virtual int HasMirrorH();

    // Model-specific command with a caller buffer.
    virtual int ModelCommand(int /*code*/, void* /*data*/) { return 0; }

    // Sensor registers on the register bus.
    virtual int WriteRegister(int /*address*/, int /*value*/) { return 0; }
    virtual int ReadRegister(int /*address*/, int* /*value*/) { return 0; }
    // Write, read back and compare, with retries.
    virtual int WriteRegisterVerified(int /*address*/, int /*value*/) { return 0; }
    // Read once the register bus is idle, with retries.
    virtual int ReadRegisterWaited(int /*address*/, int* /*value*/) { return 0; }

    // Sensor clock selection, index 0..2.
    virtual int SetClockRate(int /*index*/) { return 0; }
    virtual int GetClockRate(int* /*index*/) { return 0; }

    // Copies the whole description record; 0 for a null buffer.
    virtual int GetDescription(SensorDescription* buffer);

    // Called by the connection after it has re-applied all stored settings.
    virtual void Restart() {}
    virtual void AuxiliaryRestart() {}

    virtual int HasExtendedFirmware() { return 0; }
    virtual int SetModelOption(int /*value*/) { return 0; }
    virtual int GetModelOption(int* /*value*/) { return 0; }

    // Peltier cooler.
    virtual int HasPeltier() { return 0; }
    virtual int GetPeltier() { return 0; }
    virtual int SetPeltier(int /*flag*/) { return 0; }

    // Sensor temperature in degrees Celsius.
    virtual int HasTemperature() { return 0; }
    virtual int GetTemperature(double* /*degrees*/) { return 0; }

    // Bracket the core's acquisition thread.
    virtual void OnStreamStart() {}
    virtual void OnStreamStop() {}

    virtual int HasAuxSwitch() { return 0; }
    virtual int GetAuxSwitch(int* /*flag*/) { return 0; }
    virtual int SetAuxSwitch(int /*flag*/) { return 0; }

    // Text channel of sensors with a serial command interface.
    virtual int ReceiveText(char* /*buffer*/, int /*size*/) { return 0; }
    virtual int SendText(const char* /*text*/, int /*length*/) { return 0; }

    virtual int HasAuxMode() { return 0; }
    virtual int GetAuxMode(int* /*flag*/) { return 0; }
    virtual int SetAuxMode(int /*flag*/) { return 0; }

    // Cooling set point, integer degrees Celsius.
    virtual int HasCoolingSetpoint() { return 0; }
    virtual int GetCoolingTemperature(int* /*degrees*/) { return 0; }
    virtual int SetCoolingSetpoint(int /*degrees*/) { return 0; }

    // Exposure in seconds. The limit getters return the supported flag as a
    // double; GetExposureSeconds returns it as an integer.
    virtual int HasExposureSeconds();
    virtual double GetExposureSecondsMin(double* value);
    virtual double GetExposureSecondsMax(double* value);
    virtual double GetExposureSecondsDefault(double* value);
    virtual int GetExposureSeconds(double* value);
    virtual int SetExposureSeconds(double /*seconds*/) { return 0; }

    virtual int HasShortExposure() { return 0; }
    virtual int GetShortExposure(int* /*flag*/) { return 0; }
    virtual int SetShortExposure(int /*flag*/) { return 0; }

    virtual int HasVersionInfo(int /*a*/, int /*b*/) { return 0; }
    virtual int GetVersionInfo(int* /*a*/, int* /*b*/, int* /*c*/, int* /*d*/) { return 0; }

    // 0 = high gain, 1 = low gain, -1 = neither; nonzero flag selects low gain.
    virtual int HasGainMode() { return 0; }
    virtual int GetGainMode() { return -1; }
    virtual int SetGainMode(int /*flag*/) { return 0; }

    virtual int HasOutputSelect() { return 0; }
    virtual int GetOutputSelect() { return -1; }
    virtual int SetOutputSelect(int /*value*/) { return 0; }

    // Output capabilities: gate the output modes the connection offers.
    virtual int Supports8BitOutput() { return 1; }
    virtual int Supports16BitOutput() { return 1; }
    virtual int SupportsColorOutput() { return 1; }

    virtual int HasFirmwareFeature() { return 0; }
    virtual int EnableFirmwareFeature() { return 0; }

    // The FPGA version word, read once and cached; 0 without a controller or
    // when it cannot be read. Also written to *version when not null.
    int GetFirmwareVersion(std::uint16_t* version);

    // Writes an FPGA register and reads it back until the low byte matches:
    // up to 10 attempts, 5 ms after each write and after each mismatch.
    int WriteFpgaRegisterVerified(std::uint8_t address, int value);

    // The record the core reads directly and writes the window back into.
    SensorDescription& Description() { return description; }
    const SensorDescription& Description() const { return description; }

    CControllerBase* Controller() const { return controller; }
    std::uint8_t BusAddress() const { return busAddress; }
    int ModelCode() const { return modelCode; }

protected:
    SensorDescription description;
    CControllerBase* controller = nullptr;  // not owned
    // Sensor address on the register bus, in the 8-bit write form.
    std::uint8_t busAddress = 0;
    std::int32_t operatingMode = 15;
    std::uint16_t firmwareVersion = 0;
    std::int32_t modelCode = 0;
};

}  // namespace nodrix
