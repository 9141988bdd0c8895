// Exports: sensor and FPGA registers, the I/O port, the sampling rate and
// the temperature.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_ReadRegister(int handle, int address, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->ReadRegister(address & 0xFF, ok) : 0;
}

int NODRIX_CALL Nodrix_ReadRegisterEx(int handle, int address, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->ReadRegister(address, ok) : 0;
}

int NODRIX_CALL Nodrix_WriteRegister(int handle, int address, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->WriteRegister(address & 0xFF, value & 0xFFFF) : 0;
}

int NODRIX_CALL Nodrix_WriteRegisterEx(int handle, int address, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->WriteRegister(address, value) : 0;
}

int NODRIX_CALL Nodrix_Fpga_ReadRegister(int handle, int reg, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->ReadFpgaRegister(reg & 0xFF, ok) : 0;
}

int NODRIX_CALL Nodrix_Fpga_WriteRegister(int handle, int reg, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->WriteFpgaRegister(reg & 0xFF, value & 0xFFFF) : 0;
}

int NODRIX_CALL Nodrix_SetIOPort(int handle, int value) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetIOPort(value & 0xFF) : 0;
}

int NODRIX_CALL Nodrix_GetIOPort(int handle, unsigned char* value, int, int) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetIOPort(value) : 0;
}

int NODRIX_CALL Nodrix_SetSamplingRate(int handle, int rate) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetSamplingRate(rate) : 0;
}

// Also exported as Nodrix_GetVideoFormat.
int NODRIX_CALL Nodrix_GetSamplingRate(int handle, int* rate) {
    CNodrix* c = api::FindConnection(handle);
    if (c != nullptr && rate != nullptr) *rate = 0;
    return 0;
}

int NODRIX_CALL Nodrix_GetVideoFormat(int handle, int* format) {
    return Nodrix_GetSamplingRate(handle, format);
}

double NODRIX_CALL Nodrix_GetTemperatureEx(int handle, int* ok) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetTemperatureEx(ok) : 0.0;
}

}  // extern "C"
