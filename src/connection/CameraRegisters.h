#pragma once
// The camera's registers as the application reaches them: the sensor's and
// the FPGA's registers, the I/O port, the sampling rate, the temperature
// and the bytes of the configuration memory. No state of its own: each call
// goes to the camera core and records its error code.

#include "NodrixSdk.h"
#include "connection/CoreLink.h"
#include "connection/ErrorStack.h"

namespace nodrix {

class CameraRegisters {
public:
    CameraRegisters(CoreHandle& core, ErrorStack& errors) : core_(core), errors_(errors) {}
    CameraRegisters(const CameraRegisters&) = delete;
    CameraRegisters& operator=(const CameraRegisters&) = delete;

    int ReadRegister(int address, int* ok);
    int WriteRegister(int address, int value);
    // ok is written only on failure.
    int ReadFpgaRegister(int reg, int* ok);
    int WriteFpgaRegister(int reg, int value);
    int SetIOPort(int value);
    int GetIOPort(unsigned char* value);
    int SetSamplingRate(int rate);
    double GetTemperatureEx(int* ok);
    int ReadSromID(int address, int* ok);
    int WriteSromID(int address, int value);

private:
    int PushError(int code) { return errors_.Push(code), 1; }
    void PostError(int code) { errors_.Post(code); }

    CoreHandle& core_;
    ErrorStack& errors_;
};

}  // namespace nodrix
