// Exports: sensor and FPGA registers, the I/O port, the sampling rate and
// the temperature.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_ReadRegister(int handle, int address, int* ok) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Registers().ReadRegister(address & 0xFF, ok); });
}

int NODRIX_CALL Nodrix_ReadRegisterEx(int handle, int address, int* ok) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Registers().ReadRegister(address, ok); });
}

int NODRIX_CALL Nodrix_WriteRegister(int handle, int address, int value) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Registers().WriteRegister(address & 0xFF, value & 0xFFFF);
    });
}

int NODRIX_CALL Nodrix_WriteRegisterEx(int handle, int address, int value) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Registers().WriteRegister(address, value); });
}

int NODRIX_CALL Nodrix_Fpga_ReadRegister(int handle, int reg, int* ok) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Registers().ReadFpgaRegister(reg & 0xFF, ok); });
}

int NODRIX_CALL Nodrix_Fpga_WriteRegister(int handle, int reg, int value) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.Registers().WriteFpgaRegister(reg & 0xFF, value & 0xFFFF);
    });
}

int NODRIX_CALL Nodrix_SetIOPort(int handle, int value) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Registers().SetIOPort(value & 0xFF); });
}

int NODRIX_CALL Nodrix_GetIOPort(int handle, unsigned char* value, int, int) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Registers().GetIOPort(value); });
}

int NODRIX_CALL Nodrix_SetSamplingRate(int handle, int rate) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Registers().SetSamplingRate(rate); });
}

// Also exported as Nodrix_GetVideoFormat.
int NODRIX_CALL Nodrix_GetSamplingRate(int handle, int* rate) {
    return api::Call(handle, 0, [&](CNodrix&) {
        if (rate != nullptr) *rate = 0;
        return 0;
    });
}

int NODRIX_CALL Nodrix_GetVideoFormat(int handle, int* format) {
    return Nodrix_GetSamplingRate(handle, format);
}

double NODRIX_CALL Nodrix_GetTemperatureEx(int handle, int* ok) {
    return api::Call(handle, 0.0, [&](CNodrix& c) { return c.Registers().GetTemperatureEx(ok); });
}

}  // extern "C"
