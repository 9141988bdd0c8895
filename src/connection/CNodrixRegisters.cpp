// Direct register access, the I/O port, the sampling rate and the
// temperature: thin forwards to the camera core with their error codes.
#include "connection/CNodrix.h"

namespace nodrix {

int CNodrix::ReadRegister(int address, int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
#if NODRIX_HAVE_CORE
    int good = 0;
    const int value = core_->ReadRegister(address, &good);
    if (good) {
        if (ok != nullptr) *ok = 1;
        return value;
    }
#else
    (void)address;
#endif
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CNodrix::WriteRegister(int address, int value) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
#if NODRIX_HAVE_CORE
    if (core_->WriteRegister(address, value)) return 1;
#else
    (void)address;
    (void)value;
#endif
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CNodrix::ReadFpgaRegister(int reg, int* ok) {
    // ok is written only on failure.
    if (!core_) {
        if (ok != nullptr) *ok = 0;
        return PushError(NODRIX_ERROR_NO_CORE), 0;
    }
#if NODRIX_HAVE_CORE
    int good = 0;
    const int value = core_->ReadFpgaRegister(reg, &good);
    if (good) return value & 0xFFFF;
#else
    (void)reg;
#endif
    if (ok != nullptr) *ok = 0;
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CNodrix::WriteFpgaRegister(int reg, int value) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
#if NODRIX_HAVE_CORE
    if (core_->WriteFpgaRegister(reg, value)) return 1;
#else
    (void)reg;
    (void)value;
#endif
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

namespace {
// The FPGA register behind the I/O port.
constexpr int kIoPortRegister = 7;
}  // namespace

int CNodrix::SetIOPort(int value) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
#if NODRIX_HAVE_CORE
    return core_->WriteFpgaRegister(kIoPortRegister, value & 0xFF);
#else
    (void)value;
    return 0;
#endif
}

int CNodrix::GetIOPort(unsigned char* value) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    if (value == nullptr) {
        PostError(NODRIX_ERROR_INVALID_ARGUMENT);
        return 0;
    }
#if NODRIX_HAVE_CORE
    int good = 0;
    const int port = core_->ReadFpgaRegister(kIoPortRegister, &good);
    if (good) {
        *value = static_cast<unsigned char>(port);
        return 1;
    }
#endif
    PostError(NODRIX_ERROR_INVALID_ARGUMENT);
    return 0;
}

int CNodrix::SetSamplingRate(int rate) {
    if (!core_) return 0;
#if NODRIX_HAVE_CORE
    return core_->ModelCommand(0, &rate);
#else
    (void)rate;
    return 0;
#endif
}

double CNodrix::GetTemperatureEx(int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0.0;
#if NODRIX_HAVE_CORE
    if (!core_->HasTemperature()) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0.0;
    int good = 0;
    const double degrees = core_->GetTemperature(&good);
    if (!good) return PushError(NODRIX_ERROR_TEXT), 0.0;
    PushError(NODRIX_ERROR_NONE);
    if (ok != nullptr) *ok = 1;
    return degrees;
#else
    return 0.0;
#endif
}

}  // namespace nodrix
