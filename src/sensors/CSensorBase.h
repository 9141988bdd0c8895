#pragma once
// The abstract image-sensor driver. The camera core owns one driver per open
// device and reaches the sensor only through the virtual operations below; a
// driver reaches the hardware only through the transport's CControllerBase.
//
// The base gives every operation a trivial behaviour (mostly "return 0",
// which callers read as "not supported"), so that a driver overrides only what
// its sensor has. The order of the virtual operations is the interface's slot
// order; the trailing comment on each is its position. Results are nonzero for
// success unless noted; out-arguments are caller-owned pointers.

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

    virtual ~CSensorBase();                    // 1
    virtual int SetModelCode(int code);        // 2
    virtual void SetOperatingMode(int value);  // 3
    virtual int GetOperatingMode();            // 4

    // Initialisation.
    virtual int WaitReady() { return 0; }      // 5
    virtual int ApplyDefaults() { return 0; }  // 6
    virtual int Recover() { return 0; }        // 7
    virtual int RequestReset() { return 0; }   // 8

    // Readout window.
    virtual int SetWindow(int /*x*/, int /*width*/, int /*y*/, int /*height*/, int /*mode*/) {
        return 0;
    }  // 9
    virtual int GetWindow(int* /*x*/, int* /*width*/, int* /*y*/, int* /*height*/, int* /*mode*/) {
        return 0;
    }  // 10

    // 1 = externally triggered, 0 = free running.
    virtual int SetTriggerMode(int /*mode*/) { return 0; }   // 11
    virtual int GetTriggerMode(int* /*mode*/) { return 0; }  // 12

    virtual int SetReadoutOption(int /*value*/) { return 0; }  // 13
    virtual int ApplyReadoutOption() { return 0; }             // 14
    virtual int HasReadoutOption() { return 0; }               // 15

    // Nonzero: 16-bit samples on the link, else 8-bit.
    virtual int SetSampleWidth(int /*flag*/) { return 0; }  // 16

    virtual int SetExposureLines(int /*lines*/) { return 0; }   // 17
    virtual int GetExposureLines(int* /*lines*/) { return 0; }  // 18

    virtual int SetGain(int /*code*/) { return 0; }   // 19
    virtual int GetGain(int* /*code*/) { return 0; }  // 20

    // Per-colour sensor gains.
    virtual int SetRedGain(int /*value*/) { return 0; }      // 21
    virtual int GetRedGain(int* /*value*/) { return 0; }     // 22
    virtual int SetGreen1Gain(int /*value*/) { return 0; }   // 23
    virtual int GetGreen1Gain(int* /*value*/) { return 0; }  // 24
    virtual int SetGreen2Gain(int /*value*/) { return 0; }   // 25
    virtual int GetGreen2Gain(int* /*value*/) { return 0; }  // 26
    virtual int SetBlueGain(int /*value*/) { return 0; }     // 27
    virtual int GetBlueGain(int* /*value*/) { return 0; }    // 28

    virtual int GetExposureLinesMin(int* /*value*/) { return 0; }      // 29
    virtual int GetExposureLinesMax(int* /*value*/) { return 0; }      // 30
    virtual int GetExposureLinesDefault(int* /*value*/) { return 0; }  // 31
    virtual int GetGainMin(int* /*value*/) { return 0; }               // 32
    virtual int GetGainMax(int* /*value*/) { return 0; }               // 33
    virtual int GetGainDefault(int* /*value*/) { return 0; }           // 34
    virtual int GetColorGainMin(int* /*value*/) { return 0; }          // 35
    virtual int GetColorGainMax(int* /*value*/) { return 0; }          // 36
    virtual int GetColorGainDefault(int* /*value*/) { return 0; }      // 37

    // Gains and offsets of the output channels (1..4) of multi-channel sensors.
    virtual int SetChannelGain(int /*channel*/, int /*value*/) { return 0; }     // 38
    virtual int GetChannelGain(int /*channel*/, int* /*value*/) { return 0; }    // 39
    virtual int GetChannelGainMin(int* /*value*/) { return 0; }                  // 40
    virtual int GetChannelGainMax(int* /*value*/) { return 0; }                  // 41
    virtual int GetChannelGainDefault(int* /*value*/) { return 0; }              // 42
    virtual int SetChannelOffset(int /*channel*/, int /*value*/) { return 0; }   // 43
    virtual int GetChannelOffset(int /*channel*/, int* /*value*/) { return 0; }  // 44
    virtual int GetChannelOffsetMin(int* /*value*/) { return 0; }                // 45
    virtual int GetChannelOffsetMax(int* /*value*/) { return 0; }                // 46
    virtual int GetChannelOffsetDefault(int* /*value*/) { return 0; }            // 47

    // Black level: the base answers from the description's group.
    virtual int HasBlackLevel();                            // 48
    virtual int SetBlackLevel(int /*value*/) { return 0; }  // 49
    virtual int GetBlackLevel(int* value);                  // 50
    virtual int GetBlackLevelMin(int* value);               // 51
    virtual int GetBlackLevelMax(int* value);               // 52
    virtual int GetBlackLevelDefault(int* value);           // 53

    // Coarse gain steps: the base answers from the description's group.
    virtual int HasGainStep();                             // 54
    virtual int GetGainStepMin(int* value);                // 55
    virtual int GetGainStepMax(int* value);                // 56
    virtual int GetGainStepDefault(int* value);            // 57
    virtual int GetGainStepCurrent(int* value);            // 58
    virtual int SetGainStep(int /*index*/) { return 0; }   // 59
    virtual int GetGainStep(int* /*index*/) { return 0; }  // 60
    // A driver with steps writes four characters of text (such as "1.85")
    // and a terminating zero into label (at least 5 bytes).
    virtual int GetGainStepLabel(int /*index*/, char* /*label*/) { return 0; }  // 61

    // Exposure in units of 0.1 ms.
    virtual int SetExposureTenths(int /*value*/) { return 0; }          // 62
    virtual int GetExposureTenths(int* /*value*/) { return 0; }         // 63
    virtual int GetExposureTenthsMin(int* /*value*/) { return 0; }      // 64
    virtual int GetExposureTenthsMax(int* /*value*/) { return 0; }      // 65
    virtual int GetExposureTenthsDefault(int* /*value*/) { return 0; }  // 66

    // Flips.
    virtual int SetMirrorV(int /*flag*/) { return 0; }   // 67
    virtual int GetMirrorV(int* /*flag*/) { return 0; }  // 68
    virtual int SetMirrorH(int /*flag*/) { return 0; }   // 69
    virtual int GetMirrorH(int* /*flag*/) { return 0; }  // 70
    virtual int GetMirrorVDefault();                     // 71
    virtual int GetMirrorHDefault();                     // 72
    virtual int HasMirrorV();                            // 73
    virtual int HasMirrorH();                            // 74

    // Model-specific command with a caller buffer.
    virtual int ModelCommand(int /*code*/, void* /*data*/) { return 0; }  // 75

    // Sensor registers on the register bus.
    virtual int WriteRegister(int /*address*/, int /*value*/) { return 0; }  // 76
    virtual int ReadRegister(int /*address*/, int* /*value*/) { return 0; }  // 77
    // Write, read back and compare, with retries.
    virtual int WriteRegisterVerified(int /*address*/, int /*value*/) { return 0; }  // 78
    // Read once the register bus is idle, with retries.
    virtual int ReadRegisterWaited(int /*address*/, int* /*value*/) { return 0; }  // 79

    virtual int Reserved1(int /*value*/) { return 0; }  // 80
    virtual int Reserved2(int /*value*/) { return 0; }  // 81
    virtual int Reserved3(int /*value*/) { return 0; }  // 82
    virtual int Reserved4(int /*value*/) { return 0; }  // 83
    virtual int Reserved5(int /*value*/) { return 0; }  // 84

    // Sensor clock selection, index 0..2.
    virtual int SetClockRate(int /*index*/) { return 0; }   // 85
    virtual int GetClockRate(int* /*index*/) { return 0; }  // 86

    virtual int Reserved6() { return 0; }  // 87
    virtual int Reserved7() { return 0; }  // 88

    // Copies the whole description record; 0 for a null buffer.
    virtual int GetDescription(SensorDescription* buffer);  // 89

    // Called by the connection after it has re-applied all stored settings.
    virtual void Restart() {}           // 90
    virtual void AuxiliaryRestart() {}  // 91

    virtual int HasExtendedFirmware() { return 0; }           // 92
    virtual int SetModelOption(int /*value*/) { return 0; }   // 93
    virtual int GetModelOption(int* /*value*/) { return 0; }  // 94

    // Peltier cooler.
    virtual int HasPeltier() { return 0; }              // 95
    virtual int GetPeltier() { return 0; }              // 96
    virtual int SetPeltier(int /*flag*/) { return 0; }  // 97

    // Sensor temperature in degrees Celsius.
    virtual int HasTemperature() { return 0; }                     // 98
    virtual int GetTemperature(double* /*degrees*/) { return 0; }  // 99

    // Bracket the core's acquisition thread.
    virtual void OnStreamStart() {}  // 100
    virtual void OnStreamStop() {}   // 101

    virtual int HasAuxSwitch() { return 0; }               // 102
    virtual int GetAuxSwitch(int* /*flag*/) { return 0; }  // 103
    virtual int SetAuxSwitch(int /*flag*/) { return 0; }   // 104

    // Text channel of sensors with a serial command interface.
    virtual int ReceiveText(char* /*buffer*/, int /*size*/) { return 0; }     // 105
    virtual int SendText(const char* /*text*/, int /*length*/) { return 0; }  // 106

    virtual int HasAuxMode() { return 0; }               // 107
    virtual int GetAuxMode(int* /*flag*/) { return 0; }  // 108
    virtual int SetAuxMode(int /*flag*/) { return 0; }   // 109

    // Cooling set point, integer degrees Celsius.
    virtual int HasCoolingSetpoint() { return 0; }                     // 110
    virtual int Reserved8() { return 0; }                              // 111
    virtual int Reserved9() { return 0; }                              // 112
    virtual int GetCoolingTemperature(int* /*degrees*/) { return 0; }  // 113
    virtual int SetCoolingSetpoint(int /*degrees*/) { return 0; }      // 114

    // Exposure in seconds. The limit getters return the supported flag as a
    // double; GetExposureSeconds returns it as an integer.
    virtual int HasExposureSeconds();                                 // 115
    virtual double GetExposureSecondsMin(double* value);              // 116
    virtual double GetExposureSecondsMax(double* value);              // 117
    virtual double GetExposureSecondsDefault(double* value);          // 118
    virtual int GetExposureSeconds(double* value);                    // 119
    virtual int SetExposureSeconds(double /*seconds*/) { return 0; }  // 120

    virtual int HasShortExposure() { return 0; }               // 121
    virtual int GetShortExposure(int* /*flag*/) { return 0; }  // 122
    virtual int SetShortExposure(int /*flag*/) { return 0; }   // 123

    virtual int HasVersionInfo(int /*a*/, int /*b*/) { return 0; }                            // 124
    virtual int GetVersionInfo(int* /*a*/, int* /*b*/, int* /*c*/, int* /*d*/) { return 0; }  // 125

    // 0 = high gain, 1 = low gain, -1 = neither; nonzero flag selects low gain.
    virtual int HasGainMode() { return 0; }              // 126
    virtual int GetGainMode() { return -1; }             // 127
    virtual int SetGainMode(int /*flag*/) { return 0; }  // 128

    virtual int HasOutputSelect() { return 0; }               // 129
    virtual int GetOutputSelect() { return -1; }              // 130
    virtual int SetOutputSelect(int /*value*/) { return 0; }  // 131

    // Output capabilities: gate the output modes the connection offers.
    virtual int Supports8BitOutput() { return 1; }   // 132
    virtual int Supports16BitOutput() { return 1; }  // 133
    virtual int SupportsColorOutput() { return 1; }  // 134

    virtual int HasFirmwareFeature() { return 0; }     // 135
    virtual int EnableFirmwareFeature() { return 0; }  // 136

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
